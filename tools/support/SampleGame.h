#pragma once
// A Wine prefix holding a small Sims 2 installation with a Downloads folder full of packages:
// conflicting hacks of all four types, compressed and uncompressed resources, index versions
// 1 and 2, a package with only ignored-group hacks, non-hack content, nested and hidden
// folders and a damaged package. The README's first command scans it.

#include <filesystem>
#include <string>

namespace writer {

// The documents folder of the sample game's player, as the registry names it.
inline constexpr const char* kSampleDocuments = "C:\\users\\player\\Documents";
inline constexpr const char* kSampleInstallDir = "C:\\Program Files\\EA GAMES\\The Sims 2";

// Writes the prefix's registry files (system.reg with the install folder, user.reg with the
// documents folder) for a prefix folder; `win64` puts the game's key below Wow6432Node.
void gsWriteSampleRegistry(const std::filesystem::path& prefix, const std::string& installDir,
                           const std::string& documents, bool win64);

// Makes the whole sample game below `prefix` (which is created or refreshed).
void gsMakeSampleGame(const std::filesystem::path& prefix);

// The host path of the sample game's Downloads folder.
std::filesystem::path gfSampleDownloads(const std::filesystem::path& prefix);

} // namespace writer
