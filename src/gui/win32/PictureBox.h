#pragma once
// A picture box: a sunken panel that keeps what is drawn on it. Drawings go into a bitmap the
// size of the panel's inside, so a repaint shows them again and a new drawing only covers the
// ones before it. Where nothing is drawn the panel shows the dialog's face colour.

#include "gui/win32/Form.h"

namespace gui::win32 {

class PictureBox : public Window {
public:
    // Makes the panel at `place` in `parent`'s client area.
    PictureBox(HWND parent, int id, const Place& place);
    ~PictureBox() override;

    // Fills `box` (in the inside's coordinates) with `color`; what lies outside the inside is
    // cut off. Shown at the next paint.
    void FillBox(const RECT& box, COLORREF color);

    // Erases every drawing.
    void Clear();

    // Paints the panel now.
    void Refresh();

    // The size of the inside, and the colour drawn at one of its points.
    SIZE InsideSize() const { return size_; }
    COLORREF Pixel(int x, int y) const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    SIZE size_{};
    HDC memory_ = nullptr;
    HBITMAP image_ = nullptr;
    HGDIOBJ original_ = nullptr;
};

} // namespace gui::win32
