#pragma once
// What the program knows of itself: its folder (in Windows form), title and version.

#include "errors/Failure.h"

#include <string>

namespace platform {

// A program folder the program must not use, raised by gfstrProgramFolder: an installed
// program's data folder that another user owns or can write to, or that no Windows path leads
// back to (platform/wine/InstalledProgram.h). Its description names the folder and says why;
// start-up shows it as a fatal message.
class UnusableFolder : public Failure {
public:
    using Failure::Failure;
};

// The program folder: where the program keeps its own files (temp\hackreport.txt, errorlog.txt),
// in Windows form without a trailing separator. It is the folder that holds the running program
// (for /opt/clashwick/bin: Z:\opt\clashwick\bin), except for a program installed on Linux,
// which keeps them in the user's data folder (platform/wine/InstalledProgram.h), and for a
// program on Windows whose folder cannot be written, which keeps them in %LOCALAPPDATA%\Clashwick
// (platform/win32/OwnFilesFolder.h). Raises as gfstrProgramFolder does.
std::string gfstrAppPath();

// Replaces the program folder (tests point it at a folder of their own); empty restores it.
void gsSetAppPath(std::string windowsPath);

// From the host: the program folder as gfstrAppPath describes it, whatever gsSetAppPath says.
// Raises UnusableFolder rather than give a folder the program must not write in.
std::string gfstrProgramFolder();

} // namespace platform
