#pragma once
// Windows-form paths as the W calls take them. On this host the host path of an entry is its
// Windows path; what is left is the text's conversion and the long form of a long path.

#include <string>
#include <string_view>

namespace platform::win32 {

// The path as UTF-16 for a W call: "" is the current folder ("."); a path of 248 units or more
// (the limit of CreateDirectoryW, the lowest of the calls used) is made full and given the
// "\\?\" prefix, so that a deep Downloads folder can be walked to its end. So is a path with a
// name the system would take for something else (a device's name such as CON or nul.package,
// a name ending in a dot or a space): the file on disk is reached, never a device. Raises 52 for text
// no Windows path can hold: a NUL, bytes that are not UTF-8, a wildcard, a control character,
// a colon other than a drive letter's (it would name a file's stream), or the "\\.\" and
// "\\?\" forms (a device, or a path Windows would take unchecked).
std::wstring gfstrWidePath(std::string_view windowsPath);

// The host path of `name` in `hostFolder` by plain joining.
std::string gfstrJoinHost(std::string_view hostFolder, std::string_view name);

} // namespace platform::win32
