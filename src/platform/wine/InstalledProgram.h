#pragma once
// Where the program keeps its own files (temp\hackreport.txt, errorlog.txt). A copy run from
// wherever it was built or unpacked keeps them beside itself, as on Windows. An installed copy
// lives in a folder the player may not write to (/usr/bin), so it keeps them in the user's data
// folder instead.
//
// Installed means: the program's folder is <prefix>/bin and the install rules' marker file
// <prefix>/share/clashwick/installed is there. Nothing is decided when the program is built, so
// one build serves both ways, and any prefix (/usr, /usr/local, a staging folder) works; a build
// folder never holds the marker.

#include <string>

namespace platform::wine {

// True when the host folder `programFolder` (absolute, no trailing "/") is the bin folder of a
// prefix that holds share/clashwick/installed.
bool gfblnInstalledProgram(const std::string& programFolder);

// The user's data folder for the program: $XDG_DATA_HOME/clashwick when that variable holds an
// absolute path, else $HOME/.local/share/clashwick.
std::string gfstrUserDataFolder();

// The host folder that holds the program's own files, for a program in `programFolder`: the
// user's data folder for an installed program, made (with the folders on the way) when missing;
// `programFolder` otherwise. The data folder is refused (UnusableFolder, platform/AppInfo.h,
// naming it) when another user owns it or a link to it, when group or others can write to it
// (70), or when its Windows form does not lead back to it (52); one that cannot be made is
// still given, and the first write there fails with its error.
std::string gfstrOwnFilesFolder(const std::string& programFolder);

} // namespace platform::wine
