#pragma once
// The Wine prefix and its drives: which host folder each drive letter stands for.

#include <optional>
#include <string>
#include <vector>

namespace platform::wine {

// The Wine prefix: $WINEPREFIX when set and not empty, else the one gsChooseGamePrefix chose
// (platform/GamePrefix.h), else ~/.wine. Read at every call.
std::string gfstrWinePrefix();

// The prefix chosen when $WINEPREFIX is not set; empty forgets the choice (~/.wine then).
void gsSetChosenPrefix(std::string hostPath);

// The user's home folder: $HOME, else the password database's, else "/".
std::string gfstrHomeFolder();

// The host folder of drive `letter` (upper case): $WINEPREFIX/dosdevices/x: when it exists,
// else C: is $WINEPREFIX/drive_c and Z: is /; nothing for any other drive.
std::optional<std::string> gfstrDriveRoot(char letter);

// A drive and the canonical host folder it stands for.
struct Drive {
    char Letter;
    std::string Target;
};

// Every drive of the prefix whose target exists: the dosdevices links, then C: and Z: when
// the links do not name them.
std::vector<Drive> gudtDrives();

} // namespace platform::wine
