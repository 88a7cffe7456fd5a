#include "platform/AppInfo.h"

#include "platform/WinPath.h"

#include <utility>

#include <unistd.h>

namespace platform {

namespace {

std::string& mstrAppPathOverride()
{
    static std::string path;
    return path;
}

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

std::string gfstrAppPath()
{
    if (!mstrAppPathOverride().empty())
        return mstrAppPathOverride();
    // The reverse mapping reads the prefix's drives each time; while the path layer's memory
    // lives (a scan), the folder found first is kept, as the program does not move meanwhile.
    static std::uint64_t memoGeneration = 0;
    static std::string memo;
    const std::uint64_t generation = gflngPathMemoryGeneration();
    if (generation != 0 && generation == memoGeneration)
        return memo;
    const std::string executable = mfstrExecutable();
    const auto slash = executable.rfind('/');
    // Without the program's own path, the current folder is the best place the program has.
    std::string path = slash == std::string::npos ? gfstrWindowsPath(".")
                                                  : gfstrWindowsPath(slash == 0 ? "/" : executable.substr(0, slash));
    if (generation != 0) {
        memo = path;
        memoGeneration = generation;
    }
    return path;
}

void gsSetAppPath(std::string windowsPath) { mstrAppPathOverride() = std::move(windowsPath); }

} // namespace platform
