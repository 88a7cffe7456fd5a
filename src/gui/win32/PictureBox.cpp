#include "gui/win32/PictureBox.h"

#include "errors/Failure.h"

namespace gui::win32 {

PictureBox::PictureBox(HWND parent, int id, const Place& place)
{
    // WS_EX_CLIENTEDGE is the 2-pixel sunken panel.
    const RECT frame{place.Left, place.Top, place.Left + place.Width, place.Top + place.Height};
    msCreate(WS_EX_CLIENTEDGE, kPictureBoxClass, L"", WS_CHILD | WS_VISIBLE, frame, parent, id);
    RECT inside{};
    GetClientRect(hwnd_, &inside);
    size_ = SIZE{inside.right, inside.bottom};

    HDC screen = GetDC(nullptr);
    memory_ = CreateCompatibleDC(screen);
    image_ = CreateCompatibleBitmap(screen, size_.cx, size_.cy);
    ReleaseDC(nullptr, screen);
    if (!memory_ || !image_)
        gsRaise(errOutOfMemory);
    original_ = SelectObject(memory_, image_);
    Clear();
}

PictureBox::~PictureBox()
{
    SelectObject(memory_, original_);
    DeleteObject(image_);
    DeleteDC(memory_);
}

void PictureBox::FillBox(const RECT& box, COLORREF color)
{
    const RECT inside{0, 0, size_.cx, size_.cy};
    RECT cut{};
    if (!IntersectRect(&cut, &box, &inside))
        return;
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(memory_, &cut, brush);
    DeleteObject(brush);
}

void PictureBox::Clear()
{
    const RECT inside{0, 0, size_.cx, size_.cy};
    FillRect(memory_, &inside, GetSysColorBrush(COLOR_BTNFACE));
    InvalidateRect(hwnd_, nullptr, FALSE);
}

void PictureBox::Refresh()
{
    InvalidateRect(hwnd_, nullptr, FALSE);
    UpdateWindow(hwnd_);
}

COLORREF PictureBox::Pixel(int x, int y) const
{
    return GetPixel(memory_, x, y);
}

LRESULT PictureBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the paint covers the whole inside
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC screen = BeginPaint(hwnd_, &paint);
        BitBlt(screen, 0, 0, size_.cx, size_.cy, memory_, 0, 0, SRCCOPY);
        EndPaint(hwnd_, &paint);
        return 0;
    }
    default:
        return Window::WindowProc(message, wParam, lParam);
    }
}

} // namespace gui::win32
