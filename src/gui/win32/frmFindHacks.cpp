#include "gui/win32/frmFindHacks.h"

#include "app/FindHacks.h"

#include <cmath>

using gui::win32::TwipsRect;
using gui::win32::TwipsSize;

namespace {

enum : int { idStatus = 101 };

// Posted by each showing: the scan starts once the window is up, after the messages that show
// and activate it.
constexpr UINT kFormActivate = WM_APP + 1;

} // namespace

frmFindHacks::frmFindHacks(HWND owner)
    : Form(Kind::Dialog, L"Searching For Hacks", TwipsSize(10290, 1335), owner),
      picStatus(Handle(), idStatus, TwipsRect(240, 420, 9795, 435))
{
}

void frmFindHacks::Show()
{
    RECT ownerFrame{};
    if (HWND owner = GetWindow(hwnd_, GW_OWNER); owner && GetWindowRect(owner, &ownerFrame))
        gui::win32::gsCentreWindow(hwnd_, ownerFrame);
    picStatus.Clear();
    ShowModal();
}

LRESULT frmFindHacks::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SHOWWINDOW:
        // Only a showing of its own: the window shown again with its restored owner goes on.
        if (wParam && lParam == 0)
            PostMessageW(hwnd_, kFormActivate, 0, 0);
        break;
    case kFormActivate:
        if (IsWindowVisible(hwnd_) && !scanning_)
            Form_Activate();
        return 0;
    case WM_CLOSE:
        // The scan cannot be stopped half way; after a trapped failure the window closes.
        if (scanning_)
            return 0;
        break;
    default:
        break;
    }
    return Form::WindowProc(message, wParam, lParam);
}

void frmFindHacks::Form_Activate()
{
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    drawn_.clear();
    scanning_ = true;
    const bool finished = gfblnFindHacks(
        meshPath_, [this](std::int32_t done, std::int32_t count) { msDrawProgress(done, count); });
    scanning_ = false;
    // After a trapped failure the window stays, as the error handler leaves without unloading.
    if (finished)
        EndModal();
}

void frmFindHacks::msDrawProgress(std::int32_t done, std::int32_t count)
{
    const double fraction = static_cast<double>(done) / count;
    const SIZE inside = picStatus.InsideSize();
    const RECT bar{0, 0, static_cast<LONG>(std::lround(inside.cx * fraction)), inside.cy};
    picStatus.FillBox(bar, RGB(255, 0, 0));
    picStatus.Refresh();
    drawn_.emplace_back(done, count);
}
