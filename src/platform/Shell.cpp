#include "platform/Shell.h"

namespace platform {

ShellServices gudtNoShellServices()
{
    ShellServices services;
    services.ShellExecute = [](std::string_view, std::string_view, std::string_view) -> std::int32_t {
        return shellNoAssociation;
    };
    services.FindExecutable = [](std::string_view, std::string& program) -> std::int32_t {
        program.clear();
        return shellNoAssociation;
    };
    return services;
}

ShellServices& gudtShellServices()
{
    static ShellServices services = gudtNoShellServices();
    return services;
}

} // namespace platform
