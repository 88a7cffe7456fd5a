#include "gui/win32/Win32Services.h"

#include "gui/win32/DisplayText.h"
#include "gui/win32/Form.h"
#include "platform/Shell.h"
#include "platform/WindowServices.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <iostream>
#include <limits>

namespace gui::win32 {

namespace {

// Every message waiting in the thread's queue, handed on as the message loop would. A WM_QUIT
// among them stops the pass and is posted again for the message loop.
void msProcessEvents()
{
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        gsDispatchMessage(message);
    }
}

// MB_TASKMODAL with no owner: every window of the program waits for the box, as for a modal form.
void msShowCriticalMessage(const std::string& message, const std::string& title)
{
    MessageBoxW(nullptr, gfwsWide(message).c_str(), gfwsWide(title).c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// At once: no window gets another message and nothing is unloaded; only buffered output is
// written out first.
void msEndProgram(int exitCode)
{
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    ExitProcess(static_cast<UINT>(exitCode));
}

// The shell's result kept as it is: above 32 is success, 32 or less a failure code.
std::int32_t mflngShellResult(HINSTANCE result)
{
    const INT_PTR code = reinterpret_cast<INT_PTR>(result);
    if (code > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(code);
}

std::int32_t mflngShellExecute(std::string_view operation, std::string_view file, std::string_view parameters)
{
    const std::wstring verb = gfwsWide(operation);
    const std::wstring target = gfwsWide(file);
    const std::wstring arguments = gfwsWide(parameters);
    return mflngShellResult(ShellExecuteW(nullptr, verb.empty() ? nullptr : verb.c_str(), target.c_str(),
                                          arguments.empty() ? nullptr : arguments.c_str(), nullptr, SW_SHOWNORMAL));
}

std::int32_t mflngFindExecutable(std::string_view file, std::string& program)
{
    wchar_t found[MAX_PATH] = {};
    const std::int32_t result = mflngShellResult(FindExecutableW(gfwsWide(file).c_str(), nullptr, found));
    program = result > 32 ? gfstrUtf8(found) : std::string();
    return result;
}

} // namespace

void gsInstallWin32WindowServices()
{
    platform::WindowServices& services = platform::gudtWindowServices();
    services.ProcessEvents = msProcessEvents;
    services.ShowCriticalMessage = msShowCriticalMessage;
    services.EndProgram = msEndProgram;
}

void gsInstallWin32Shell()
{
    platform::ShellServices& shell = platform::gudtShellServices();
    shell.ShellExecute = mflngShellExecute;
    shell.FindExecutable = mflngFindExecutable;
}

} // namespace gui::win32
