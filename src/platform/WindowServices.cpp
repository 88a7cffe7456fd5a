#include "platform/WindowServices.h"

#include "errors/modErrorTrap.h"

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
    services.PresentErrorTrap = [] {
        std::cerr << "Error: " << glngErrNumber << "\n"
                  << gstrErrDescription << "\n"
                  << "Module: " << gstrErrModule << "\n"
                  << "Procedure: " << gstrErrProcedure << "\n"
                  << "Location: " << glngErrLocation << "\n";
        if (!gstrErrData.empty())
            std::cerr << "Additional Error Data:\n" << gstrErrData << "\n";
        msEndAtOnce(2);
    };
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
