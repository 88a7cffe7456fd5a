#include "platform/wine/InstalledProgram.h"

#include "platform/wine/HostFolder.h"
#include "platform/wine/Prefix.h"

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include <sys/stat.h>

namespace platform::wine {

namespace {

// The path without the "/" it may end in ("/" itself stays).
std::string mfstrWithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

// Makes the host folder and each missing folder on the way. Folders made here are the user's
// alone, as the base-directory rules ask of the data folder, which holds the player's reports.
// A folder that cannot be made is left to the program's first write there, which reports it.
void msMakeHostFolders(const std::string& folder)
{
    for (std::size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string part = folder.substr(0, end);
        struct stat st {};
        if (!part.empty() && part.back() != '/' && ::stat(part.c_str(), &st) != 0 &&
            ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return;
        if (end == std::string::npos)
            return;
    }
}

} // namespace

bool gfblnInstalledProgram(const std::string& programFolder)
{
    const std::string folder = mfstrWithoutTrailingSlashes(programFolder);
    const auto slash = folder.rfind('/');
    if (slash == std::string::npos || std::string_view(folder).substr(slash + 1) != "bin")
        return false;
    // The marker is a file; a folder of that name is no install's.
    struct stat st {};
    const std::string marker = folder.substr(0, slash) + "/share/clashwick/installed";
    return ::stat(marker.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string gfstrUserDataFolder()
{
    // The base-directory rules take an absolute $XDG_DATA_HOME and ignore any other value.
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    const std::string base = dataHome != nullptr && dataHome[0] == '/'
                                 ? mfstrWithoutTrailingSlashes(dataHome)
                                 : mfstrWithoutTrailingSlashes(gfstrHomeFolder()) + "/.local/share";
    return (base == "/" ? "" : base) + "/clashwick";
}

std::string gfstrOwnFilesFolder(const std::string& programFolder)
{
    if (!gfblnInstalledProgram(programFolder))
        return programFolder;
    const std::string folder = gfstrUserDataFolder();
    if (!gfblnIsHostFolder(folder))
        msMakeHostFolders(folder);
    return folder;
}

} // namespace platform::wine
