#pragma once
// The window-system and shell services of the Win32 windows: the thread's message queue,
// MessageBoxW, an immediate ExitProcess, and the shell's ShellExecuteW and FindExecutableW.

namespace gui::win32 {

// Installs ProcessEvents, ShowCriticalMessage and EndProgram into the window services.
void gsInstallWin32WindowServices();

// Installs ShellExecute and FindExecutable into the shell services.
void gsInstallWin32Shell();

} // namespace gui::win32
