#pragma once
// What a package's name says about the mod it holds: its file name without the folder, and
// whether two names are one mod's (copies or versions of it).

#include <string>
#include <string_view>

// A package's file name: its relative name after the last backslash.
std::string_view gfstrFileName(std::string_view relativeName);

// A package's file name without its folder and its ".package" ending, as the pairs name it.
std::string gfstrShortPackageName(std::string_view relativeName);

// True when two package names look like one mod's: the same once letter case and trailing
// version marks are put aside ("SpeedUpTime", "SpeedUpTime_v2", "Speed Up Time 1.5",
// "SpeedUpTime (1)", "SpeedUpTime - Copy").
bool gfblnNamesOfOneMod(std::string_view first, std::string_view second);

// The key by which packages are copies or versions of one mod: equal for two relative names
// exactly when their file names are the same or gfblnNamesOfOneMod holds for them.
std::string gfstrModKey(std::string_view relativeName);
