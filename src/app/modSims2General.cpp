#include "app/modSims2General.h"

#include "errors/modErrorTrap.h"
#include "platform/Folders.h"
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

// The game's user-data folder under its localized names, in the order they are tried.
constexpr std::array<std::string_view, 6> kDataFolders = {
    "\\EA Games\\The Sims 2", "\\EA Games\\Los Sims 2", "\\EA Games\\Die Sims 2",
    "\\EA Games\\Les Sims 2", "\\EA Games\\De Sims 2",  "\\EA Games\\Os Sims 2",
};

// Finds the user-data folder below gstrDocumentsPath and stores it in gstrSims2DataPath.
// Runs even when the documents folder is "ERROR": the paths tried then begin with "ERROR" and
// are relative to the current folder. No handler of its own: failures reach gsGetSims2Paths.
void msFindSims2DataPath()
{
    // The known names, looked up without regard to case; a folder or a file of that name
    // counts, a hidden entry does not.
    for (const std::string_view candidate : kDataFolders) {
        gstrSims2DataPath = gstrDocumentsPath + std::string(candidate);
        if (platform::gfblnEntryExists(gstrSims2DataPath, platform::ListKind::FilesAndFolders))
            return;
    }

    // Any other localized name: the first entry of "EA Games", in listing order, whose name
    // holds "Sims 2" exactly as written. A missing "EA Games" folder lists nothing, as a
    // directory search there finds nothing; it is no failure and ends in "ERROR" below.
    const std::vector<std::string> names =
        platform::gfstrListFolder(gstrDocumentsPath + "\\EA Games\\*.*", platform::ListKind::FilesAndFolders);
    for (const std::string& name : names) {
        if (name.find("Sims 2") != std::string::npos) {
            gstrSims2DataPath = gstrDocumentsPath + "\\EA Games\\" + name;
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

        // Each read starts from a size of 0, the 255-byte default buffer.
        std::int32_t bufferSize = 0;
        const std::string installDir = platform::gfstrGetRegistryValue(
            platform::glngHKEY_LOCAL_MACHINE, "SOFTWARE\\EA GAMES\\The Sims 2", "Install Dir", bufferSize);
        gstrSims2Path = installDir == "ERROR" ? installDir : platform::gfstrGetLongPathName(installDir);

        bufferSize = 0;
        gstrDocumentsPath = platform::gfstrGetRegistryValue(
            platform::glngHKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
            "Personal", bufferSize);

        msFindSims2DataPath();
    });
}
