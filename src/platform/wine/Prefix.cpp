#include "platform/wine/Prefix.h"

#include "platform/wine/HostFolder.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::wine {

namespace {

std::string& mstrChosenPrefix()
{
    static std::string prefix;
    return prefix;
}

} // namespace

std::string gfstrHomeFolder()
{
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        const passwd* user = ::getpwuid(::getuid());
        home = user != nullptr ? user->pw_dir : "/";
    }
    return home;
}

std::string gfstrWinePrefix()
{
    const char* prefix = std::getenv("WINEPREFIX");
    if (prefix != nullptr && *prefix != '\0')
        return prefix;
    if (!mstrChosenPrefix().empty())
        return mstrChosenPrefix();
    return gfstrHomeFolder() + "/.wine";
}

void gsSetChosenPrefix(std::string hostPath) { mstrChosenPrefix() = std::move(hostPath); }

std::optional<std::string> gfstrDriveRoot(char letter)
{
    const std::string prefix = gfstrWinePrefix();
    std::string device = prefix + "/dosdevices/";
    device += static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
    device += ':';
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0)
        return device;
    if (letter == 'C')
        return prefix + "/drive_c";
    if (letter == 'Z')
        return std::string("/");
    return std::nullopt;
}

std::vector<Drive> gudtDrives()
{
    std::vector<Drive> drives;
    const std::string prefix = gfstrWinePrefix();
    const std::string devices = prefix + "/dosdevices";
    gfblnReadHostFolder(devices, [&](std::string_view name, HostEntryType) {
        if (name.size() == 2 && name[1] == ':' && name[0] >= 'a' && name[0] <= 'z') {
            if (auto target = gfstrCanonicalHost(gfstrJoinHost(devices, name)))
                drives.push_back({static_cast<char>(name[0] - 'a' + 'A'), std::move(*target)});
        }
    });
    const auto has = [&](char letter) {
        return std::any_of(drives.begin(), drives.end(), [&](const Drive& d) { return d.Letter == letter; });
    };
    if (!has('C')) {
        if (auto target = gfstrCanonicalHost(prefix + "/drive_c"))
            drives.push_back({'C', std::move(*target)});
    }
    if (!has('Z'))
        drives.push_back({'Z', "/"});
    return drives;
}

} // namespace platform::wine
