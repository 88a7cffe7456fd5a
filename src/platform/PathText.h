#pragma once
// The text of a Windows-form path: its separators and its drive letter. Nothing is looked up.

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

// "\" and "/" both separate the components of a Windows path.
bool gfblnIsSeparator(char c);

// The position of the last separator of a path, or npos.
std::size_t gflngLastSeparator(std::string_view path);

// True when the path begins with a drive letter and a colon ("C:", "c:\x").
bool gfblnHasDriveLetter(std::string_view path);

// For hosts: the path of a new file that is to replace the file at `path` once written, beside
// it and hidden: "." and the file's name, then the process, a count of this process's writes and
// `attempt`, so that no other writer, in this process or another, takes it at the same time.
// `nameStart` is where the file's name begins in `path`.
std::string gfstrReplacementPath(std::string_view path, std::size_t nameStart, unsigned long processId,
                                 unsigned attempt);

// How many names a writer tries in turn: one left by a run that ended before its rename is
// never reused.
constexpr unsigned kReplacementAttempts = 16;

} // namespace platform
