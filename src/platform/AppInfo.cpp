#include "platform/AppInfo.h"

#include <utility>

namespace platform {

namespace {

std::string& mstrAppPathOverride()
{
    static std::string path;
    return path;
}

} // namespace

std::string gfstrAppPath()
{
    if (!mstrAppPathOverride().empty())
        return mstrAppPathOverride();
    return gfstrProgramFolder();
}

void gsSetAppPath(std::string windowsPath) { mstrAppPathOverride() = std::move(windowsPath); }

} // namespace platform
