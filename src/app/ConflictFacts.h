#pragma once
// What the headless program can tell beyond the report. For each conflict row: whether every
// listed copy holds the same bytes once uncompressed (then the conflict is harmless: the game
// gets the same data whichever it loads) and which package wins. The game uses the copy it
// loads last, and it loads the packages in the order the scan lists them, so the winner is
// the last listed. For every two packages that share rows: how many rows, and in how many
// of those the two hold the same content. Copies and versions of one mod (app/ModNames.h) that
// share rows are one group, not pairs; the pairs are capped at kPairCap, most shared kept.

#include "app/FindHacks.h"
#include "package/ResourceContent.h"
#include "package/SimsID.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct ConflictFact {
    std::string_view TypeName;                // "BHAV", "BCON", "TTAB" or "TTAs"
    SimsID GroupID;
    SimsID InstanceID;
    std::string Name;                         // the row's name, as UTF-8
    std::vector<std::string_view> Packages;   // as the report lists them; a package may be there twice
    bool Identical = false;                   // every listed copy holds the same content
    // What each listed copy holds, in the order of Packages; empty where it could not be compared.
    std::vector<std::optional<ContentPrint>> Prints;
    bool New = false;                         // not among the conflicts of the last scan
    bool Reviewed = false;                    // marked reviewed, with the same packages and contents
    std::string_view Winner() const { return Packages.back(); }
};

// Two packages, in list order, and the conflict rows they share. A package listed twice in a
// row counts once there, by its first copy.
struct PairFact {
    std::string_view First;
    std::string_view Second;
    std::int64_t Shared = 0;     // rows both are listed in
    std::int64_t Identical = 0;  // of those, rows where their copies hold the same content
};

// Packages with one mod's name that share conflict rows, each with another of them.
struct GroupFact {
    std::vector<std::string_view> Packages;  // in list order
    std::int64_t Shared = 0;     // rows two or more of them are listed in
    std::int64_t Identical = 0;  // of those, rows where all their copies hold the same content
    // The one the game uses: the one it loads last.
    std::string_view Winner() const { return Packages.back(); }
};

// The most pairs the facts keep.
inline constexpr std::size_t kPairCap = 10000;

struct ScanFacts {
    std::vector<ConflictFact> Conflicts;         // in the report's order
    // Two packages of different groups (or of none); most shared first, equal counts in the
    // order first met; at most kPairCap.
    std::vector<PairFact> Pairs;
    std::int64_t PairsOmitted = 0;               // pairs past the cap
    std::vector<GroupFact> Groups;               // in the order of their first packages
    std::vector<PackageRef> Unreadable;          // as the report's last section
    // Packages whose copies could not be compared (not readable again as the scan read them, or
    // past the comparison's byte budget): their copies count as different.
    std::vector<std::string_view> NotCompared;
    // What the program could not use of what it remembers between scans, a sentence each.
    std::vector<std::string> Notes;
};

// The facts of the tables of the last scan. The package names are views into the scan's
// store, valid until the next scan.
ScanFacts gudtScanFacts();
