#pragma once
// Windows-form paths and the host's own. The program builds every path in Windows form
// ("C:\users\...", "\" separators); the host turns one into the path it opens, and a path of
// its own (the program's folder, a program it found) back into Windows form.

#include <string>
#include <string_view>

namespace platform {

enum class PathUse {
    Existing,  // the whole path must name an entry
    ToCreate,  // the folders on the way must exist; the last component may be new
};

// The host path named by a Windows-form path. Components that are not valid names raise 52;
// a missing last component 53 (Existing only); a folder on the way missing or not a folder 76;
// other failures as the host gives them.
std::string gfstrHostPath(std::string_view windowsPath, PathUse use = PathUse::Existing);

// A host path in Windows form.
std::string gfstrWindowsPath(std::string_view hostPath);

} // namespace platform
