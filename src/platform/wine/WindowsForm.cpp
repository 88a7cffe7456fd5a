// A host path in Windows form, through the drive whose target holds it (the longest target
// wins; Z: only when no other drive holds it): with the default prefix, /opt/clashwick/bin is
// Z:\opt\clashwick\bin. A relative host path is taken from the current folder; links are
// followed when the path exists. A drive's root itself reads "X:\".

#include "platform/Paths.h"

#include "platform/wine/HostFolder.h"
#include "platform/wine/Prefix.h"

#include <algorithm>
#include <vector>

namespace platform {

namespace {

// "/a/./b/../c" -> "/a/c", for a path that does not exist and so cannot be made canonical.
std::string mfstrLexicallyNormal(std::string_view absolute)
{
    std::vector<std::string_view> parts;
    while (!absolute.empty()) {
        const auto slash = absolute.find('/');
        const std::string_view part = absolute.substr(0, slash);
        absolute.remove_prefix(slash == std::string_view::npos ? absolute.size() : slash + 1);
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        parts.push_back(part);
    }
    std::string result;
    for (const auto part : parts) {
        result += '/';
        result += part;
    }
    return result.empty() ? "/" : result;
}

bool mfblnHolds(const std::string& target, const std::string& path)
{
    if (target == "/")
        return true;
    return path.size() >= target.size() && path.compare(0, target.size(), target) == 0 &&
           (path.size() == target.size() || path[target.size()] == '/');
}

} // namespace

std::string gfstrWindowsPath(std::string_view hostPath)
{
    std::string absolute(hostPath);
    if (absolute.empty() || absolute[0] != '/')
        absolute = wine::gfstrJoinHost(wine::gfstrCurrentFolder(), absolute);
    const std::string path = wine::gfstrCanonicalHost(absolute).value_or(mfstrLexicallyNormal(absolute));

    const std::vector<wine::Drive> drives = wine::gudtDrives();
    const wine::Drive* best = nullptr;
    for (const wine::Drive& drive : drives) {
        if (drive.Letter == 'Z' || !mfblnHolds(drive.Target, path))
            continue;
        if (best == nullptr || drive.Target.size() > best->Target.size() ||
            (drive.Target.size() == best->Target.size() && drive.Letter < best->Letter))
            best = &drive;
    }
    std::string rest = path;
    char letter = 'Z';
    if (best != nullptr) {
        letter = best->Letter;
        rest = path.substr(best->Target == "/" ? 0 : best->Target.size());
    } else {
        const auto z = std::find_if(drives.begin(), drives.end(), [](const wine::Drive& d) { return d.Letter == 'Z'; });
        if (z != drives.end() && mfblnHolds(z->Target, path))
            rest = path.substr(z->Target == "/" ? 0 : z->Target.size());
    }
    std::replace(rest.begin(), rest.end(), '/', '\\');
    std::string windows{letter, ':'};
    windows += rest.empty() ? "\\" : rest;
    return windows;
}

} // namespace platform
