#pragma once
// The progress window of a scan. Shown modally over the main window, it runs the whole scan
// (app/FindHacks.h) once it is up after each showing, draws the progress bar in picStatus as
// the scan goes, and unloads itself when the scan reached its end.

#include "gui/win32/Form.h"
#include "gui/win32/PictureBox.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class frmFindHacks : public gui::win32::Form {
public:
    explicit frmFindHacks(HWND owner);

    // The MeshPath property: the folder the next scan lists (Windows form).
    void SetMeshPath(std::string meshPath) { meshPath_ = std::move(meshPath); }

    // Loads the window afresh (centred on its owner, an empty status box) and shows it modally;
    // returns once the scan has unloaded it, or the user closed it after a trapped failure.
    void Show();

    // Each bar the last scan drew, as (packages done, package count).
    const std::vector<std::pair<std::int32_t, std::int32_t>>& ProgressDrawn() const { return drawn_; }

    gui::win32::PictureBox picStatus;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Form_Activate();
    void msDrawProgress(std::int32_t done, std::int32_t count);

    std::string meshPath_;
    std::vector<std::pair<std::int32_t, std::int32_t>> drawn_;
    bool scanning_ = false;
};
