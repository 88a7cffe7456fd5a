#pragma once
// The facts of a scan as one JSON document (UTF-8), for other programs to read:
//   {"conflicts": [{"type", "group", "instance", "name", "packages", "identical", "winner"}, ...],
//    "pairs": [{"packages": [first, second], "shared", "identical"}, ...],
//    "unreadable": [{"package", "error"}, ...]}
// Identifiers are "0x" and eight hexadecimal digits, as the report prints them.

#include "app/ConflictFacts.h"

#include <string>

// The document, indented, ending with a line end.
std::string gfstrFactsJson(const ScanFacts& facts);
