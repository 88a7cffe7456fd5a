#include "app/StartUp.h"

#include "app/modSims2General.h"
#include "errors/Failure.h"
#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"
#include "platform/Folders.h"
#include "platform/WindowServices.h"


namespace {

// The three fatal checks in order; the message of the first folder not found, or empty.
std::string mfstrFatalMessage()
{
    if (gstrDocumentsPath == "ERROR")
        return "Can not find the documents folder!";
    if (gstrSims2Path == "ERROR")
        return "Can not find the path to the Sims 2!";
    if (gstrSims2DataPath == "ERROR")
        return "Can not find Sims 2 data path!";
    return "";
}

void msEndProgram(const std::string& message, const std::string& title)
{
    platform::WindowServices& services = platform::gudtWindowServices();
    services.ShowCriticalMessage(message, title);
    services.EndProgram(1);
}

} // namespace

std::string gfstrMainCaption(const AppVersion& version)
{
    return "Clashwick - Version " + gfstrVersionDigits(version.Major) + "." + gfstrVersionDigits(version.Minor) + "." +
           gfstrVersionDigits(version.Revision) + " - " + std::string(kAppCopyright);
}

bool gfblnStartUp(std::string& caption)
{
    gsGetSims2Paths();
    if (const std::string fatal = mfstrFatalMessage(); !fatal.empty()) {
        msEndProgram(fatal, "Fatal Error");
        return false;
    }
    // Start-up has no handler of its own: an unexpected failure ends the program after a
    // message that gives its number and description.
    try {
        const std::string tempFolder = platform::gfstrAppPath() + "\\temp";
        if (!platform::gfblnEntryExists(tempFolder, platform::ListKind::FilesAndFolders))
            platform::gsMakeFolder(tempFolder);
        caption = gfstrMainCaption(kAppVersion);
        gsInitTypeIDs();
    } catch (const platform::UnusableFolder& unusable) {
        // A program folder the host refuses (a data folder not the user's own, or one its
        // Windows path does not lead to) ends the program as a missing game folder does, with a
        // message that names it; nothing is written there, nor anywhere else.
        msEndProgram(unusable.Description(), "Fatal Error");
        return false;
    } catch (...) {
        const Failure failure = gudtCaughtFailure();
        msEndProgram("Run-time error '" + std::to_string(failure.Number()) + "':\n\n" + failure.Description(),
                     std::string(kAppTitle));
        return false;
    }
    return true;
}
