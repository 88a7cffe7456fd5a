#include "platform/AppInfo.h"

#include "platform/Paths.h"
#include "platform/wine/InstalledProgram.h"

#include <unistd.h>

namespace platform {

namespace {

// The host path of the running program, or empty when the host will not say.
std::string mfstrExecutable()
{
    // A path longer than this is not one the program could use anyway; stop growing there.
    for (std::size_t size = 1024; size <= 64 * 1024; size *= 2) {
        std::string buffer(size, '\0');
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<std::size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(length));
            return buffer;
        }
    }
    return {};
}

} // namespace

std::string gfstrProgramFolder()
{
    const std::string executable = mfstrExecutable();
    const auto slash = executable.rfind('/');
    // Without the program's own path, the current folder is the best place the program has.
    if (slash == std::string::npos)
        return gfstrWindowsPath(".");
    // An installed program keeps its files in the user's data folder (platform/wine/InstalledProgram.h).
    return gfstrWindowsPath(wine::gfstrOwnFilesFolder(slash == 0 ? "/" : executable.substr(0, slash)));
}

} // namespace platform
