#pragma once
// The facts of a scan as one JSON document (UTF-8), for other programs to read:
//   {"conflicts": [{"type", "group", "instance", "name", "packages", "identical", "winner", "new",
//                   "reviewed"}, ...],
//    "pairs": [{"packages": [first, second], "shared", "identical"}, ...],
//    "pairs_omitted": the pairs past the cap,
//    "groups": [{"packages": [...], "winner"}, ...],
//    "unreadable": [{"package", "error"}, ...]}
// Identifiers are "0x" and eight hexadecimal digits, as the report prints them.

#include "app/ConflictFacts.h"

#include <string>

// The document, indented, ending with a line end. With `withPrints` each conflict also holds
// "prints": each listed copy's content print as gfstrContentPrintText writes it, or null.
std::string gfstrFactsJson(const ScanFacts& facts, bool withPrints = false);

// An identifier as the document writes it: "0x" and eight hexadecimal digits.
std::string gfstrHexID(const SimsID& id);

// A content print as text: its length, ":" and the 128-bit hash in 32 hexadecimal digits.
std::string gfstrContentPrintText(const ContentPrint& print);
