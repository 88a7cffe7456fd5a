#pragma once
// The facts of a scan told to a person on a terminal: first the pairs of packages that share
// resources, with what they probably are, then each conflict with its winner and whether it is
// harmless, then the packages that could not be read. Plain text in UTF-8, lines ending in LF;
// control characters in names are shown as '?' (platform/TerminalText.h).

#include "app/ConflictFacts.h"

#include <string>
#include <string_view>

std::string gfstrFactsExplained(const ScanFacts& facts);

// One line for each package whose copies could not be compared, for standard error, in the
// same form.
std::string gfstrNotComparedLines(const ScanFacts& facts);

// A package's file name without its folder and its ".package" ending, as the pairs name it.
std::string gfstrShortPackageName(std::string_view relativeName);

// True when two package names look like one mod's: the same once letter case and trailing
// version marks are put aside ("SpeedUpTime", "SpeedUpTime_v2", "Speed Up Time 1.5",
// "SpeedUpTime (1)", "SpeedUpTime - Copy").
bool gfblnNamesOfOneMod(std::string_view first, std::string_view second);
