#pragma once
// Folders the host itself knows the place of.

#include <string>

namespace platform {

// The user's documents folder as the system says it is now, in Windows form: on Windows the
// known folder, which follows a folder the player moved or had redirected to a cloud drive,
// where the registry's "Shell Folders" value may be missing or still name the old place.
// Empty when the host has no such service (the Wine model, whose registry files are the only
// word), cannot say, or names a folder that is not there; the caller then reads the registry.
std::string gfstrSystemDocumentsFolder();

} // namespace platform
