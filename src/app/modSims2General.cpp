#include "app/modSims2General.h"

#include "errors/modErrorTrap.h"
#include "platform/Folders.h"
#include "platform/GamePrefix.h"
#include "platform/KnownFolders.h"
#include "platform/Names.h"
#include "platform/PathText.h"
#include "platform/modGetRegistryValuesEx.h"
#include "platform/modWINAPI.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

std::string gstrDocumentsPath;
std::string gstrSims2Path;
std::string gstrSims2DataPath;

namespace {

// Where each edition keeps its keys. The disc editions and the Ultimate Collection write the
// install folder below the local machine's key; the Legacy Collection writes only below the
// user's, with one subkey per game program, each with the folder of that program.
constexpr std::string_view kDiscKey = "SOFTWARE\\EA GAMES\\The Sims 2";
constexpr std::string_view kLegacyKey = "Software\\Electronic Arts\\The Sims 2 Ultimate Collection 25";
constexpr std::string_view kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The Legacy Collection's program under Steam, whose Proton prefix holds the game on Linux.
constexpr std::string_view kLegacySteamApp = "3314070";

// The game's user-data folder under its localized names, in the order they are tried.
constexpr std::array<std::string_view, 6> kDataFolders = {
    "\\EA Games\\The Sims 2", "\\EA Games\\Los Sims 2", "\\EA Games\\Die Sims 2",
    "\\EA Games\\Les Sims 2", "\\EA Games\\De Sims 2",  "\\EA Games\\Os Sims 2",
};

// Editions' user-data folders whose names the listing's "Sims 2" test cannot see.
constexpr std::array<std::string_view, 1> kEditionDataFolders = {
    "\\EA Games\\The Sims\xE2\x84\xA2 2 Ultimate Collection",  // U+2122 between "Sims" and "2"
};

// One registry value, read with the default 255-byte buffer; "ERROR" when it cannot be read.
std::string mfstrRegistryValue(std::uint32_t root, std::string_view key, const std::string& value)
{
    std::int32_t bufferSize = 0;
    return platform::gfstrGetRegistryValue(root, std::string(key), value, bufferSize);
}

// The folder that holds a folder path's last component ("C:\x\EP9" gives "C:\x"), or empty
// when the path has none above it.
std::string mfstrParentFolder(std::string path)
{
    while (!path.empty() && platform::gfblnIsSeparator(path.back()))
        path.pop_back();
    const auto separator = platform::gflngLastSeparator(path);
    if (separator == std::string::npos || separator == 0)
        return {};
    return path.substr(0, separator);
}

// The Legacy Collection's root folder: the folder above the program folder of its last
// expansion (Sims2EP9.exe), or else of the first game program that names one; "ERROR" when
// no program subkey names a folder.
std::string mfstrLegacyRoot()
{
    std::vector<std::string> programs = platform::gfstrGetRegistrySubkeys(platform::glngHKEY_CURRENT_USER,
                                                                         std::string(kLegacyKey));
    programs.insert(programs.begin(), "Sims2EP9.exe");
    for (const std::string& program : programs) {
        if (!platform::gfblnPatternMatches("Sims2*.exe", program))
            continue;
        const std::string path =
            mfstrRegistryValue(platform::glngHKEY_CURRENT_USER, std::string(kLegacyKey) + "\\" + program, "path");
        if (path == "ERROR")
            continue;
        std::string root = mfstrParentFolder(path);
        if (!root.empty())
            return root;
    }
    return "ERROR";
}

// True when the registry in use names an installed game of any edition.
bool mfblnGameRegistered()
{
    return mfstrRegistryValue(platform::glngHKEY_LOCAL_MACHINE, kDiscKey, "Install Dir") != "ERROR" ||
           mfstrLegacyRoot() != "ERROR";
}

// Finds the install folder: the disc editions' and Ultimate Collection's value first, else the
// Legacy Collection's root. Stores its long form in gstrSims2Path ("ERROR" when neither names
// one) and returns the DisplayName the same installer wrote ("ERROR" when there is none).
std::string mfstrFindInstallFolder()
{
    const std::string installDir = mfstrRegistryValue(platform::glngHKEY_LOCAL_MACHINE, kDiscKey, "Install Dir");
    if (installDir != "ERROR") {
        gstrSims2Path = platform::gfstrGetLongPathName(installDir);
        return mfstrRegistryValue(platform::glngHKEY_LOCAL_MACHINE, kDiscKey, "DisplayName");
    }
    const std::string legacyRoot = mfstrLegacyRoot();
    if (legacyRoot == "ERROR") {
        gstrSims2Path = legacyRoot;
        return "ERROR";
    }
    gstrSims2Path = platform::gfstrGetLongPathName(legacyRoot);
    return mfstrRegistryValue(platform::glngHKEY_CURRENT_USER, kLegacyKey, "DisplayName");
}

// True when the path names a folder or file that a directory search would find.
bool mfblnEntryThere(const std::string& path)
{
    return platform::gfblnEntryExists(path, platform::ListKind::FilesAndFolders);
}

// Finds the user-data folder below gstrDocumentsPath and stores it in gstrSims2DataPath.
// Runs even when the documents folder is "ERROR": the paths tried then begin with "ERROR" and
// are relative to the current folder. No handler of its own: failures reach gsGetSims2Paths.
// `displayName` is the name the game's installer wrote ("ERROR" when none): the folder the
// game itself uses, so it comes first; without it everything below runs as it always has.
void msFindSims2DataPath(const std::string& displayName)
{
    const bool named = displayName != "ERROR" && platform::gfblnEntryName(displayName);
    if (named) {
        gstrSims2DataPath = gstrDocumentsPath + "\\EA Games\\" + displayName;
        if (mfblnEntryThere(gstrSims2DataPath))
            return;
    }

    // The known names, looked up without regard to case; a folder or a file of that name
    // counts, a hidden entry does not.
    for (const std::string_view candidate : kDataFolders) {
        gstrSims2DataPath = gstrDocumentsPath + std::string(candidate);
        if (mfblnEntryThere(gstrSims2DataPath))
            return;
    }

    // Any other localized name: the first entry of "EA Games", in listing order, whose name
    // holds "Sims 2" exactly as written. A missing "EA Games" folder lists nothing, as a
    // directory search there finds nothing; it is no failure and ends in "ERROR" below. A host
    // name that no Windows path can hold (":", "?", ...) is no entry a Windows program sees:
    // the scan could never walk it.
    const std::vector<std::string> names =
        platform::gfstrListFolder(gstrDocumentsPath + "\\EA Games\\*.*", platform::ListKind::FilesAndFolders);
    for (const std::string& name : names) {
        if (platform::gfblnEntryName(name) && name.find("Sims 2") != std::string::npos) {
            gstrSims2DataPath = gstrDocumentsPath + "\\EA Games\\" + name;
            return;
        }
    }

    // An edition's own name that the test above cannot see, when an installer named one.
    if (displayName != "ERROR") {
        for (const std::string_view edition : kEditionDataFolders) {
            gstrSims2DataPath = gstrDocumentsPath + std::string(edition);
            if (mfblnEntryThere(gstrSims2DataPath))
                return;
        }
    }
    gstrSims2DataPath = "ERROR";
}

} // namespace

void gsGetSims2Paths()
{
    gfblnRunHandled("modSims2General", "gsGetSims2Paths", [] {
        glngErrLocation = 1000;
        // On a host with several places the game may live (Wine prefixes), the one that holds it.
        platform::gsChooseGamePrefix(mfblnGameRegistered, kLegacySteamApp);

        const std::string displayName = mfstrFindInstallFolder();
        // The system's word first: the registry's value may be missing, or name the folder's
        // old place after the player moved it or had it redirected to a cloud drive.
        gstrDocumentsPath = platform::gfstrSystemDocumentsFolder();
        if (gstrDocumentsPath.empty())
            gstrDocumentsPath = mfstrRegistryValue(platform::glngHKEY_CURRENT_USER, kShellFoldersKey, "Personal");
        msFindSims2DataPath(displayName);
    });
}
