#pragma once
// The long form of a path, as the Windows call that gives it would on this platform.

#include <string>

namespace platform {

// The long form of an existing Windows-form path: the path as given, with each of its names
// replaced by the entry's name as stored on disk (its real letter case), separators, drive and
// "." / ".." kept as written. A Wine prefix has no short names, so a path whose components all
// exist comes back with their real names. Empty when any component does not exist, the path
// cannot name an entry (wildcards, bad names), or the long form is over 259 characters (the
// 260-character buffer with its terminator). Characters are counted as UTF-16 units.
std::string gfstrGetLongPathName(const std::string& path);

} // namespace platform
