// The window program. It takes no arguments: loading the main window runs the start-up, and
// the program then waits for Scan or for the window to close.
//
// CLASHWICK_SCREENSHOT, when set to a file name, makes the program press Scan as soon as the
// main window is up, save a picture of the window's client area with its report to that file
// (PNG) and end, as the Qt program does for scripts/screenshot. CLASHWICK_SCREENSHOT_DETAILS,
// when set to a file name too, makes it then press Details... and save a picture of the
// details window there before it ends.

#include "errors/modErrorTrap.h"
#include "gui/win32/Form.h"
#include "gui/win32/Screenshot.h"
#include "gui/win32/Win32Services.h"
#include "gui/win32/frmDetails.h"
#include "gui/win32/frmErrorDialog.h"
#include "gui/win32/frmHackMain.h"
#include "platform/WindowServices.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

namespace {

// The value of an environment variable, or empty.
std::wstring mfwsEnvironment(const wchar_t* name)
{
    const DWORD length = GetEnvironmentVariableW(name, nullptr, 0);
    if (length == 0)
        return {};
    std::wstring value(length, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), length));
    return value;
}

// Waits until a window just shown is drawn and active, as a player would find it (at most 20 s:
// a window system may map a new window late).
void msWaitUntilActive(HWND window)
{
    UpdateWindow(window);
    for (int wait = 0; wait < 200 && GetForegroundWindow() != window; ++wait) {
        platform::gudtWindowServices().ProcessEvents();
        Sleep(100);
    }
    platform::gudtWindowServices().ProcessEvents();
}

// What a click of the button sends its window; it does not depend on the window being active.
void msClick(HWND window, HWND button)
{
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand)
{
    // The shell's handlers of e-mail and web addresses may be COM objects.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
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

        const std::wstring screenshot = mfwsEnvironment(L"CLASHWICK_SCREENSHOT");
        if (!screenshot.empty()) {
            // Scan is pressed once the window is up, drawn and active; the picture is taken
            // once the report is shown and the details read, Details... with it.
            msWaitUntilActive(window.Handle());
            msClick(window.Handle(), window.cmdScan);
            platform::gudtWindowServices().ProcessEvents();
            exitCode = gui::win32::gfblnSaveClientPicture(window.Handle(), screenshot) ? 0 : 1;
            const std::wstring details = mfwsEnvironment(L"CLASHWICK_SCREENSHOT_DETAILS");
            if (exitCode == 0 && !details.empty()) {
                msClick(window.Handle(), window.cmdDetails);
                frmDetails* form = window.DetailsForm();
                if (form)
                    msWaitUntilActive(form->Handle());
                exitCode = form && gui::win32::gfblnSaveClientPicture(form->Handle(), details) ? 0 : 1;
            }
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
