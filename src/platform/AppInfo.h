#pragma once
// What the program knows of itself: its folder (in Windows form), title and version.

#include <string>

namespace platform {

// The folder that holds the running program, in Windows form without a trailing separator
// (for /opt/clashwick/bin: Z:\opt\clashwick\bin).
std::string gfstrAppPath();

// Replaces the program folder (tests point it at a folder of their own); empty restores it.
void gsSetAppPath(std::string windowsPath);

// From the host: the folder of the running program in Windows form, whatever gsSetAppPath says.
std::string gfstrProgramFolder();

} // namespace platform
