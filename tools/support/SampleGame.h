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

// The editions a player may have, each with its registry keys and folders as its installer
// leaves them.
enum class SampleEdition {
    Disc,                // 2004-2008: the local machine's key with Install Dir and DisplayName
    UltimateCollection,  // 2014: the same key; its own data folder (with "™"), a stale disc one beside it
    Legacy,              // 2025: only the user's key, one subkey per game program; English
    LegacySpanish,       // the same with the Spanish DisplayName
};

// What the program should find in an edition's prefix (Windows form).
struct SampleFolders {
    std::string Documents;
    std::string InstallFolder;  // gstrSims2Path
    std::string DataFolder;     // gstrSims2DataPath
};
SampleFolders gudtSampleFolders(SampleEdition edition);

// Writes the prefix's registry files (system.reg with the install folder, user.reg with the
// documents folder) for a prefix folder; `win64` puts the game's key below Wow6432Node.
void gsWriteSampleRegistry(const std::filesystem::path& prefix, const std::string& installDir,
                           const std::string& documents, bool win64);

// Makes the whole sample game below `prefix` (which is created or refreshed).
void gsMakeSampleGame(const std::filesystem::path& prefix, SampleEdition edition = SampleEdition::Disc);

// The host path of the sample game's Downloads folder.
std::filesystem::path gfSampleDownloads(const std::filesystem::path& prefix,
                                        SampleEdition edition = SampleEdition::Disc);

// The name of an edition as clashwick-make-sample takes it ("disc", "ultimate", "legacy",
// "legacy-es"), and back; false for a name that is none of them.
const char* gfstrSampleEditionName(SampleEdition edition);
bool gfblnSampleEdition(const std::string& name, SampleEdition& edition);

} // namespace writer
