#pragma once
// Discovery of the game's folders: the install folder from the registry, the documents folder
// from the system (the registry where the system cannot say), and the game's user-data folder
// below the documents folder.

#include <string>

// The user's documents folder: as the system says (platform/KnownFolders.h), else exactly as
// the registry holds it, or "ERROR".
extern std::string gstrDocumentsPath;
// The game's install folder in its long form; "ERROR" when the registry value cannot be read,
// empty when it names a folder that does not exist.
extern std::string gstrSims2Path;
// The game's user-data folder (documents folder + "\EA Games\" + name), or "ERROR".
extern std::string gstrSims2DataPath;

// Fills the three globals; called once, first thing at start-up. A failure goes to the error
// trap (location 1000) and leaves the globals not yet filled as they were.
void gsGetSims2Paths();
