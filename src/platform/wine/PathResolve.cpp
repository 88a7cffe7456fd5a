#include "platform/wine/PathResolve.h"

#include "errors/Failure.h"
#include "platform/Names.h"
#include "platform/wine/HostErrors.h"
#include "platform/wine/HostFolder.h"
#include "platform/wine/PathParse.h"

#include <cerrno>
#include <optional>
#include <utility>
#include <vector>

namespace platform::wine {

namespace {

// The entry of `hostFolder` equal to `name` without regard to case. Should a case-sensitive
// host hold several, the first in byte order is taken, so the choice is the same every time.
// A folder that cannot be read is "Path not found" (76) or the host's own failure.
std::optional<std::string> mfCaselessMatch(const std::string& hostFolder, std::string_view name)
{
    const std::u16string key = gfstrNameKey(name);
    std::optional<std::string> match;
    const bool listed = gfblnReadHostFolder(hostFolder, [&](std::string_view entry, HostEntryType) {
        if (gfstrNameKey(entry) == key && (!match || entry < *match))
            match = std::string(entry);
    });
    if (!listed)
        gsRaise(errPathNotFound);
    return match;
}

// The host path of one component in a host folder: exact name first, else the caseless match.
std::string mfstrResolvePart(const std::string& folder, std::string_view part, bool last, PathUse use)
{
    std::string candidate = gfstrJoinHost(folder, part);
    if (gfblnHostEntryThere(candidate))
        return candidate;
    // lstat does not follow the component's own link, so a loop it meets is a folder on the way.
    // A name longer than the host can hold (a valid Windows name of 255 characters may take up to
    // 765 bytes here) names no entry by its exact name; only the caseless search can find one.
    if (errno != ENOENT && errno != ENAMETOOLONG)
        gsRaisePathError(errno, last && errno != ELOOP ? PathPart::Last : PathPart::OnTheWay);
    if (auto match = mfCaselessMatch(folder, part))
        return gfstrJoinHost(folder, *match);
    if (last && use == PathUse::ToCreate)
        return candidate;
    gsRaise(last ? errFileNotFound : errPathNotFound);
}

} // namespace

std::string gfstrHostChild(const std::string& hostFolder, std::string_view name, PathUse use)
{
    if (!gfblnEntryName(name))
        gsRaise(errBadFileName);
    return mfstrResolvePart(hostFolder, name, true, use);
}

} // namespace platform::wine

namespace platform {

std::string gfstrHostPath(std::string_view windowsPath, PathUse use)
{
    using namespace wine;
    const ParsedPath parsed = gudtParsePath(windowsPath);
    if (parsed.Parts.empty()) {
        if (use == PathUse::Existing && !gfblnHostEntryThere(parsed.Root))
            gsRaise(errPathNotFound);
        return parsed.Root;
    }

    // Nearly every path the program uses names an entry exactly: one look settles it.
    std::string direct = parsed.Root;
    for (const auto& part : parsed.Parts)
        direct = gfstrJoinHost(direct, part);
    if (gfblnHostEntryThere(direct))
        return direct;
    // Not there, or a folder on the way is not one (a file, a link loop): the lookup of each
    // component below says which.
    if (!gfblnNothingThere(errno) && errno != ENAMETOOLONG)
        gsRaisePathError(errno, PathPart::Last);

    std::string current = parsed.Root;
    for (std::size_t i = 0; i < parsed.Parts.size(); ++i)
        current = mfstrResolvePart(current, parsed.Parts[i], i + 1 == parsed.Parts.size(), use);
    return current;
}

} // namespace platform
