#pragma once
// The facts of a scan told to a person on a terminal: first the copies of one mod and the pairs
// of packages that share resources, with what they probably are, then each conflict with its winner and whether it is
// harmless, then the packages that could not be read. Plain text in UTF-8, lines ending in LF;
// control characters in names are shown as '?' (platform/TerminalText.h).

#include "app/ConflictFacts.h"
#include "app/ModNames.h"

#include <string>
#include <string_view>

std::string gfstrFactsExplained(const ScanFacts& facts);

// One line for each package whose copies could not be compared, for standard error, in the
// same form.
std::string gfstrNotComparedLines(const ScanFacts& facts);

// What a pair's counts say: "the same content, harmless" or "where they differ, the one loaded
// last wins".
std::string_view gfstrPairVerdict(const PairFact& pair);

// A group of copies of one mod in one line: "pjseTestData.package: 6 copies in different
// folders; the game uses the one in \downloads\Later; keep one", or, for names that differ,
// "A.package and A_v2.package: 2 versions of one mod; the game uses \downloads\A_v2.package;
// keep one" ("copies" when every row they share holds the same content).
std::string gfstrGroupLine(const GroupFact& group);
// The two halves of that line: before ": " and after.
std::string gfstrGroupNames(const GroupFact& group);
std::string gfstrGroupVerdict(const GroupFact& group);
