// The window program. It takes no arguments: loading the main window runs the start-up, and
// the program then waits for Scan or for the window to close.
//
// CLASHWICK_SCREENSHOT, when set to a file name, makes the program press Scan as soon as the
// main window is up, save a picture of the window's client area with its report to that file
// (PNG) and end, as the Qt program does for scripts/screenshot.

#include "errors/modErrorTrap.h"
#include "gui/win32/Form.h"
#include "gui/win32/Screenshot.h"
#include "gui/win32/Win32Services.h"
#include "gui/win32/frmErrorDialog.h"
#include "gui/win32/frmHackMain.h"
#include "platform/WindowServices.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

namespace {

// The value of CLASHWICK_SCREENSHOT, or empty.
std::wstring mfwsScreenshotPath()
{
    const DWORD length = GetEnvironmentVariableW(L"CLASHWICK_SCREENSHOT", nullptr, 0);
    if (length == 0)
        return {};
    std::wstring path(length, L'\0');
    path.resize(GetEnvironmentVariableW(L"CLASHWICK_SCREENSHOT", path.data(), length));
    return path;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand)
{
    // The shell's handlers of e-mail and web addresses may be COM objects.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    gui::win32::gsInstallWin32WindowServices();
    gui::win32::gsInstallWin32Shell();
    gsSetErrorTrapPresenter(gsShowErrorDialog);

    int exitCode = 0;
    try {
        frmHackMain window;
        if (!window.Form_Load())
            return 1;
        window.Show(showCommand);

        const std::wstring screenshot = mfwsScreenshotPath();
        if (!screenshot.empty()) {
            // Scan is pressed once the window is up, drawn and active, as a player would find
            // it (at most 20 s: a window system may map a new window late). The press is the
            // notification a click sends, which does not depend on the window being active.
            UpdateWindow(window.Handle());
            for (int wait = 0; wait < 200 && GetForegroundWindow() != window.Handle(); ++wait) {
                platform::gudtWindowServices().ProcessEvents();
                Sleep(100);
            }
            platform::gudtWindowServices().ProcessEvents();
            SendMessageW(window.Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window.cmdScan), BN_CLICKED),
                         reinterpret_cast<LPARAM>(window.cmdScan));
            exitCode = gui::win32::gfblnSaveClientPicture(window.Handle(), screenshot) ? 0 : 1;
        } else {
            exitCode = gui::win32::gfintRunMessageLoop();
        }
    } catch (...) {
        // The main window could not be made (no window station, no memory).
        gui::win32::gsEndOnUnhandledFailure();
    }
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
