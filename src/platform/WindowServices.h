#pragma once
// The window-system services the core needs. The window program installs its own; the
// headless program keeps the defaults; tests install stand-ins and need no display.

#include <functional>
#include <string>

namespace platform {

struct WindowServices {
    // Shows the error report modally; returns when it was dismissed without ending the program.
    std::function<void()> PresentErrorTrap;
    // Lets the user interface process its pending events.
    std::function<void()> ProcessEvents;
    // A modal message box with one OK button and the critical icon.
    std::function<void(const std::string& message, const std::string& title)> ShowCriticalMessage;
    // Ends the program at once with the given exit code; never returns.
    std::function<void(int exitCode)> EndProgram;
};

// The services in use. Defaults: the error report is written to errorlog.txt and standard error
// and the program ends with exit code 2; events are not processed; messages go to standard error.
WindowServices& gudtWindowServices();

// The default services, for restoring after a stand-in.
WindowServices gudtDefaultWindowServices();

} // namespace platform
