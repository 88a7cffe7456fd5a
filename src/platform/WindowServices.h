#pragma once
// The window-system services the core needs. The window program installs its own; the
// headless program keeps the defaults; tests install stand-ins and need no display.

#include <functional>
#include <string>

namespace platform {

struct WindowServices {
    // Lets the user interface process its pending events.
    std::function<void()> ProcessEvents;
    // A modal message box with one OK button and the critical icon.
    std::function<void(const std::string& message, const std::string& title)> ShowCriticalMessage;
    // Ends the program at once with the given exit code; never returns.
    std::function<void(int exitCode)> EndProgram;
};

// The services in use. Defaults: events are not processed; messages go to standard error; the
// program ends after flushing its output. (The error trap is installed apart: errors/modErrorTrap.h.)
WindowServices& gudtWindowServices();

// The default services, for restoring after a stand-in.
WindowServices gudtDefaultWindowServices();

} // namespace platform
