#include "gui/win32/frmHackMain.h"

#include "app/AppIdentity.h"
#include "app/ScanCommand.h"
#include "app/StartUp.h"
#include "gui/win32/DisplayText.h"
#include "gui/win32/frmDetails.h"
#include "gui/win32/frmFindHacks.h"
#include "platform/DateText.h"

using gui::win32::TwipsRect;
using gui::win32::TwipsSize;

namespace {

enum : int { idFocus = 101, idScan, idHackReport, idDetails };

// Posted once the report of a scan is shown: the details are read after it has been drawn.
constexpr UINT kPrepareDetails = WM_APP + 1;

std::wstring mfwsFirstCaption()
{
    // Until start-up puts the version in, the caption is the product and its copyright.
    return gui::win32::gfwsWide(std::string(kAppTitle) + " - " + std::string(kAppCopyright));
}

} // namespace

frmHackMain::frmHackMain() : Form(Kind::Main, mfwsFirstCaption(), TwipsSize(10095, 6675), nullptr)
{
    // Made in tab order. cmdFocus lies below the visible client area.
    cmdFocus = mfhwndButton(idFocus, L"Focus", TwipsRect(6060, 7500, 735, 255));
    cmdScan = mfhwndButton(idScan, L"Scan", TwipsRect(4560, 6240, 975, 375));
    // Hidden and disabled until a scan has details: the window opens as it always has.
    cmdDetails = mfhwndButton(idDetails, L"Details...", TwipsRect(5655, 6240, 1215, 375), WS_DISABLED);
    ShowWindow(cmdDetails, SW_HIDE);
    // Read-only, with only the vertical scroll bar: a line longer than the box (a long package
    // path) wraps onto the next, so all of it can be read without scrolling sideways.
    txtHackReport = mfhwndControl(L"EDIT", idHackReport,
                                  ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL | WS_VSCROLL | WS_TABSTOP,
                                  WS_EX_CLIENTEDGE, TwipsRect(120, 180, 9855, 5955));
    // The report of a large Downloads folder is longer than the box takes by default.
    SendMessageW(txtHackReport, EM_SETLIMITTEXT, 0, 0);
}

frmHackMain::~frmHackMain() = default;

bool frmHackMain::Form_Load()
{
    std::string caption;
    if (!gfblnStartUp(caption))
        return false;
    gui::win32::gsSetWindowText(hwnd_, caption);
    return true;
}

void frmHackMain::Show(int showCommand)
{
    if (!placed_) {
        gui::win32::gsCentreOnScreen(hwnd_);
        placed_ = true;
    }
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
}

void frmHackMain::OnClick(int id)
{
    if (id == idScan)
        cmdScan_Click();
    else if (id == idDetails)
        cmdDetails_Click();
}

LRESULT frmHackMain::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC:
        // A read-only box is drawn on the dialog's face; the report keeps a window's white.
        if (reinterpret_cast<HWND>(lParam) == txtHackReport) {
            HDC box = reinterpret_cast<HDC>(wParam);
            SetTextColor(box, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(box, GetSysColor(COLOR_WINDOW));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case kPrepareDetails:
        msPrepareDetails();
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return Form::WindowProc(message, wParam, lParam);
}

void frmHackMain::cmdScan_Click()
{
    // The tables of the last scan are about to go: its details are read first if they are not yet.
    msPrepareDetails();
    ScanCommandHooks hooks;
    hooks.MoveFocusToSink = [this] { SetFocus(cmdFocus); };
    hooks.ShowScanForm = [this](const std::string& meshPath) { msShowScanForm(meshPath); };
    hooks.DateText = platform::gfstrGeneralDateNow;
    std::string displayText;
    if (!lastScan_.RunScan(hooks, displayText))
        return;
    gui::win32::gsSetWindowText(txtHackReport, displayText);
    report_ = std::move(displayText);
    // The details are read once the report is up; until then the details window, if open,
    // shows those of the scan before, which hold their own copies of everything.
    PostMessageW(hwnd_, kPrepareDetails, 0, 0);
}

void frmHackMain::msPrepareDetails()
{
    if (!lastScan_.Pending())
        return;
    // While a failure's error dialog is up, the details window still draws the details it has.
    const bool ready = lastScan_.Prepare();
    if (detailsForm_)
        detailsForm_->SetDetails(lastScan_.Details());
    EnableWindow(cmdDetails, ready);
    ShowWindow(cmdDetails, ready ? SW_SHOW : SW_HIDE);
    if (!ready && GetFocus() == cmdDetails)
        SetFocus(cmdScan);
}

void frmHackMain::cmdDetails_Click()
{
    // Clicked before the posted message came: the details are read now.
    msPrepareDetails();
    if (!lastScan_.Details())
        return;
    if (!detailsForm_) {
        detailsForm_ = std::make_unique<frmDetails>(hwnd_);
        detailsForm_->SetDetails(lastScan_.Details());
    }
    detailsForm_->Show();
}

void frmHackMain::msShowScanForm(const std::string& meshPath)
{
    // One scan window, made on first use and shown again by every later scan.
    if (!findHacks_)
        findHacks_ = std::make_unique<frmFindHacks>(hwnd_);
    findHacks_->SetMeshPath(meshPath);
    findHacks_->Show();
}
