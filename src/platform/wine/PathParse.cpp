#include "platform/wine/PathParse.h"

#include "errors/Failure.h"
#include "platform/Names.h"
#include "platform/PathText.h"
#include "platform/Paths.h"
#include "platform/wine/HostFolder.h"
#include "platform/wine/Prefix.h"

#include <algorithm>
#include <cctype>

namespace platform::wine {

namespace {

std::string mfstrDriveRootOrRaise(char letter)
{
    const auto root = gfstrDriveRoot(static_cast<char>(std::toupper(static_cast<unsigned char>(letter))));
    if (!root)
        gsRaise(errPathNotFound);
    return *root;
}

} // namespace

ParsedPath gudtParsePath(std::string_view path)
{
    if (path.find('\0') != std::string_view::npos)
        gsRaise(errBadFileName);

    ParsedPath parsed;
    bool relative = false;
    if (gfblnHasDriveLetter(path)) {
        parsed.Root = mfstrDriveRootOrRaise(path[0]);
        path.remove_prefix(2);
    } else if (path.size() >= 2 && gfblnIsSeparator(path[0]) && gfblnIsSeparator(path[1])) {
        // "\\server\share": network names have no place in the prefix.
        gsRaise(errBadFileName);
    } else if (!path.empty() && gfblnIsSeparator(path[0])) {
        parsed.Root = mfstrDriveRootOrRaise(gfstrWindowsPath(gfstrCurrentFolder())[0]);
    } else {
        parsed.Root = gfstrCurrentFolder();
        relative = true;
    }

    while (!path.empty()) {
        const auto end = std::find_if(path.begin(), path.end(), gfblnIsSeparator);
        const std::string_view part = path.substr(0, static_cast<std::size_t>(end - path.begin()));
        path.remove_prefix(std::min(path.size(), part.size() + 1));
        if (part.empty() || part == ".")
            continue;
        if (part == "..") {
            if (!parsed.Parts.empty() && parsed.Parts.back() != "..")
                parsed.Parts.pop_back();
            else if (relative)
                parsed.Parts.emplace_back(part);  // above the current folder: the host knows where
            continue;                             // above a drive's root: stays at the root
        }
        if (!gfblnValidName(part))
            gsRaise(errBadFileName);
        parsed.Parts.emplace_back(part);
    }
    return parsed;
}

} // namespace platform::wine
