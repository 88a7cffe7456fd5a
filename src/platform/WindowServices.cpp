#include "platform/WindowServices.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace platform {

namespace {

[[noreturn]] void msEndAtOnce(int exitCode)
{
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

} // namespace

WindowServices gudtDefaultWindowServices()
{
    WindowServices services;
    services.ProcessEvents = [] {};
    services.ShowCriticalMessage = [](const std::string& message, const std::string& title) {
        std::cerr << title << ": " << message << "\n";
    };
    services.EndProgram = [](int exitCode) { msEndAtOnce(exitCode); };
    return services;
}

WindowServices& gudtWindowServices()
{
    static WindowServices services = gudtDefaultWindowServices();
    return services;
}

} // namespace platform
