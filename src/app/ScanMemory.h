#pragma once
// What the program remembers between scans, beside the report in the program's temp folder:
//   temp\lastscan.json  the facts of the last scan (the JSON document, each copy's content print
//                       with it), from which the next scan tells which conflicts are new;
//   temp\reviewed.json  the conflicts the player marked reviewed, each by its type, group,
//                       instance and every package's name and content print, so that a review
//                       ends when a package or its content changes.
// Both are written whole (platform::OutputFile). A file that cannot be read, or is not one of
// ours, is kept as "....bad" beside it, said once in ScanFacts::Notes, and taken as no file.

#include "app/ConflictFacts.h"

#include <cstddef>
#include <string>
#include <vector>

std::string gfstrLastScanPath();   // the program folder followed by "\temp\lastscan.json"
std::string gfstrReviewedPath();   // the program folder followed by "\temp\reviewed.json"

// Marks each conflict new (no conflict of the previous scan had its type, group, instance and
// set of packages; nothing is new without a previous scan) and reviewed (a review of it with the
// same packages, in order, holding the same contents), then writes lastscan.json for the next
// scan. What could not be read goes to facts.Notes.
void gsRememberScan(ScanFacts& facts);

// Marks the given conflicts of the facts reviewed (or not) in reviewed.json and in the facts.
// A conflict with a copy that could not be compared has no content to keep and is not marked.
void gsMarkReviewed(ScanFacts& facts, const std::vector<std::size_t>& conflicts, bool reviewed);
