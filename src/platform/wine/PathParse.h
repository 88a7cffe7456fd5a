#pragma once
// A Windows-form path taken apart, as Windows does before it looks anything up.

#include <string>
#include <string_view>
#include <vector>

namespace platform::wine {

// The host folder a path starts from and its components, "." dropped and ".." applied.
struct ParsedPath {
    std::string Root;
    std::vector<std::string> Parts;
};

//  - "X:\..." starts at drive X: (any drive the prefix lacks is "Path not found" 76).
//  - "\..." starts at the root of the drive that holds the current folder; a path without a
//    drive letter is relative to the current folder; "X:name" is taken from the root of X:.
//  - "\" and "/" both separate; empty components (doubled separators) and "." are skipped;
//    ".." removes the component before it (at a drive's root it stays at the root).
// Raises 52 for a component that is not a valid name, a NUL, or the "\\server" form.
ParsedPath gudtParsePath(std::string_view path);

} // namespace platform::wine
