#pragma once
// Where the program keeps its own files (temp\hackreport.txt, errorlog.txt). A copy unpacked
// in a folder the player may write to keeps them beside itself. One unpacked where the player
// may not write (C:\Program Files\...) keeps them in the user's own data folder instead, as an
// installed copy on Linux does, so that it works from any folder.

#include <string>

namespace platform::win32 {

// The user's own data folder for the program: %LOCALAPPDATA%\Clashwick when that variable
// holds a full path, else the system's local application data folder followed by
// "\Clashwick"; empty when neither can be had. Its place only: it may not be there yet.
std::string gfstrUserDataFolder();

// True when a file can be made in the folder: one is made and removed at once.
bool gfblnFolderWritable(const std::string& folder);

// The folder that holds the program's own files for a program in `programFolder` (Windows
// form): that folder when a file can be made there; else the user's data folder, made when
// missing; `programFolder` still when there is no data folder to be had, so that the failure
// shows where the program's files were to go.
std::string gfstrOwnFilesFolder(const std::string& programFolder);

} // namespace platform::win32
