#pragma once
// The text of a Windows-form path: its separators and its drive letter. Nothing is looked up.

#include <cstddef>
#include <string_view>

namespace platform {

// "\" and "/" both separate the components of a Windows path.
bool gfblnIsSeparator(char c);

// The position of the last separator of a path, or npos.
std::size_t gflngLastSeparator(std::string_view path);

// True when the path begins with a drive letter and a colon ("C:", "c:\x").
bool gfblnHasDriveLetter(std::string_view path);

} // namespace platform
