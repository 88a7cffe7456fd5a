#include "platform/wine/InstalledProgram.h"

#include "platform/AppInfo.h"
#include "platform/Paths.h"
#include "platform/wine/HostFolder.h"
#include "platform/wine/Prefix.h"

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string_view>

#include <sys/stat.h>
#include <unistd.h>

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

[[noreturn]] void msRefuse(std::int32_t number, const std::string& folder, std::string_view why)
{
    throw UnusableFolder(number, "Can not use the data folder " + folder + ": " + std::string(why));
}

// The folder holds the player's reports and error logs, so another user must not be able to
// plant a link or a file in it, nor hand the program a folder (or a link to one) of their own:
// as ssh judges its folder, it must be the user's and closed to writing by group and others.
void msCheckOwnFolder(const std::string& folder)
{
    struct stat entry {};
    struct stat target {};
    if (::lstat(folder.c_str(), &entry) != 0 || ::stat(folder.c_str(), &target) != 0)
        return;  // gone since it was made: the first write there reports it
    if (entry.st_uid != ::geteuid() || target.st_uid != ::geteuid())
        msRefuse(errPermission, folder, "it belongs to another user.");
    if ((target.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        msRefuse(errPermission, folder, "other users can write to it.");
}

// The program writes through the folder's Windows form, so that form must lead back to this
// folder: a "\" in a name reads as a separator there (".../we\ird" would be ".../we/ird"),
// and a name Windows cannot hold leads nowhere. For a folder that is missing (it could not be
// made) the form must lead nowhere, not to a name matched without regard to case; the first
// write there then reports the failure.
void msCheckReachable(const std::string& folder)
{
    std::optional<std::string> reached;
    try {
        reached = gfstrCanonicalHost(gfstrHostPath(gfstrWindowsPath(folder)));
    } catch (const Failure&) {
    }
    if (folder.find('\\') != std::string::npos || reached != gfstrCanonicalHost(folder))
        msRefuse(errBadFileName, folder, "no Windows path leads to it.");
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
    if (gfblnIsHostFolder(folder))
        msCheckOwnFolder(folder);
    msCheckReachable(folder);
    return folder;
}

} // namespace platform::wine
