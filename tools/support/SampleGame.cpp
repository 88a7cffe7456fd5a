#include "support/SampleGame.h"

#include "support/PackageWriter.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>

namespace writer {

namespace {

namespace fs = std::filesystem;

// A registry string with the escapes of Wine's registry files.
std::string mfstrRegString(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

void msWriteText(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out)
        throw std::runtime_error("cannot write " + file.string());
}

// Text for a registry file: UTF-8 as Wine writes it, every character past ASCII as "\\x" and
// its UTF-16 unit in hexadecimal (this generator only writes characters of the plane).
std::string mfstrRegText(const std::string& utf8)
{
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += mfstrRegString(std::string(1, utf8[i]));
            ++i;
            continue;
        }
        const std::size_t length = byte >= 0xE0 ? 3 : 2;
        unsigned unit = byte & (length == 3 ? 0x0Fu : 0x1Fu);
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k)
            unit = (unit << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%04x", unit);
        out += hex;
        i += length;
    }
    return out;
}

// Windows-form path below drive C: to the host path below the prefix.
fs::path mfHostPath(const fs::path& prefix, const std::string& windows)
{
    fs::path host = prefix / "drive_c";
    std::size_t start = 3;  // after "C:\"
    while (start < windows.size()) {
        const std::size_t end = windows.find('\\', start);
        host /= windows.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? windows.size() : end + 1;
    }
    return host;
}

// The user's registry with the documents folder.
void msWriteShellFolders(const fs::path& prefix, const std::string& documents, bool win64)
{
    msWriteText(prefix / "user.reg",
                "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=" +
                    std::string(win64 ? "win64" : "win32") +
                    "\n\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] "
                    "1733580000\n#time=1db48a1c0a2f6e0\n\"AppData\"=\"C:\\\\users\\\\player\\\\AppData\\\\Roaming\"\n"
                    "\"Personal\"=\"" +
                    mfstrRegString(documents) + "\"\n\n");
}

void msWritePackage(const fs::path& file, const PackagePlan& plan)
{
    msWriteText(file, gudtBuildPackage(plan).Bytes);
}

Resource mudtHack(std::uint32_t type, std::uint32_t group, std::uint32_t instance, const std::string& name,
                  bool compress, std::size_t bodySize = 120)
{
    return Resource{type, group, instance, 0, gfstrBehaviourBody(name, bodySize), compress};
}

Resource mudtContent(std::uint32_t type, std::uint32_t instance, std::size_t size, bool compress)
{
    std::string data;
    for (std::size_t i = 0; i < size; ++i)
        data += static_cast<char>("content "[i % 8] + (i / 512) % 3);
    return Resource{type, 0x1C050000, instance, 0, data, compress};
}

} // namespace

void gsWriteSampleRegistry(const fs::path& prefix, const std::string& installDir, const std::string& documents,
                           bool win64)
{
    const std::string gameKey = win64 ? "Software\\\\Wow6432Node\\\\EA GAMES\\\\The Sims 2" : "Software\\\\EA GAMES\\\\The Sims 2";
    msWriteText(prefix / "system.reg",
                "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=" +
                    std::string(win64 ? "win64" : "win32") + "\n\n[" + gameKey +
                    "] 1733580000\n#time=1db48a1c0a2f6e0\n\"DisplayName\"=\"The Sims 2\"\n\"Install Dir\"=\"" +
                    mfstrRegString(installDir) + "\"\n\"Language\"=dword:00000409\n\n");
    msWriteShellFolders(prefix, documents, win64);
}

namespace {

constexpr const char* kUltimateInstall =
    "C:\\Program Files (x86)\\Origin Games\\The Sims 2 Ultimate Collection\\Double Deluxe\\Base";
constexpr const char* kUltimateName = "The Sims\xE2\x84\xA2 2 Ultimate Collection";
constexpr const char* kLegacyRoot = "C:\\Program Files (x86)\\Steam\\steamapps\\common\\The Sims 2 Legacy";
constexpr const char* kSteamDocuments = "C:\\users\\steamuser\\Documents";

std::string mfstrLegacyName(SampleEdition edition)
{
    return edition == SampleEdition::LegacySpanish ? "Los Sims 2 Legado" : "The Sims 2 Legacy";
}

// The registry of the Ultimate Collection: the disc editions' key, the collection's names.
void msWriteUltimateRegistry(const fs::path& prefix)
{
    const std::string root = "C:\\Program Files (x86)\\Origin Games\\The Sims 2 Ultimate Collection";
    msWriteText(prefix / "system.reg",
                "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
                "[Software\\\\Wow6432Node\\\\EA GAMES\\\\The Sims 2] 1733580000\n#time=1db48a1c0a2f6e0\n"
                "\"DisplayName\"=\"" + mfstrRegText(kUltimateName) + "\"\n"
                "\"Folder\"=\"" + mfstrRegString(root) + "\"\n"
                "\"Install Dir\"=\"" + mfstrRegString(kUltimateInstall) + "\"\n\n");
    msWriteShellFolders(prefix, kSampleDocuments, true);
}

// The registry of the Legacy Collection: nothing of the game below the local machine; below
// the user, the collection's key with one subkey per game program.
void msWriteLegacyRegistry(const fs::path& prefix, SampleEdition edition)
{
    msWriteText(prefix / "system.reg",
                "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n"
                "[Software\\\\Wow6432Node\\\\Microsoft\\\\DirectX] 1733580000\n\"Version\"=\"4.09.00.0904\"\n\n");
    const std::string key = "Software\\\\Electronic Arts\\\\The Sims 2 Ultimate Collection 25";
    std::string user = "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win64\n\n";
    user += "[" + key + "] 1733580000\n#time=1db48a1c0a2f6e0\n\"DisplayName\"=\"" +
            mfstrRegText(mfstrLegacyName(edition)) + "\"\n\"EPsInstalled\"=\"Sims2EP1.exe,Sims2EP2.exe,Sims2EP9.exe\"\n\n";
    user += "[" + key + "\\\\1.0] 1733580000\n\"language\"=\"" +
            std::string(edition == SampleEdition::LegacySpanish ? "es_ES" : "en_US") + "\"\n\n";
    for (const char* program : {"Sims2EP1.exe", "Sims2EP2.exe", "Sims2EP9.exe", "Sims2SP1.exe"}) {
        std::string folder = std::string(program).substr(5, 3);  // "EP1", "SP1"
        user += "[" + key + "\\\\" + program + "] 1733580000\n\"Installed\"=dword:00000001\n\"path\"=\"" +
                mfstrRegString(std::string(kLegacyRoot) + "\\" + folder) + "\"\n\n";
    }
    user += "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] 1733580000\n"
            "\"Personal\"=\"" + mfstrRegString(kSteamDocuments) + "\"\n\n";
    msWriteText(prefix / "user.reg", user);
}

} // namespace

SampleFolders gudtSampleFolders(SampleEdition edition)
{
    switch (edition) {
    case SampleEdition::Disc:
        return {kSampleDocuments, kSampleInstallDir, std::string(kSampleDocuments) + "\\EA Games\\The Sims 2"};
    case SampleEdition::UltimateCollection:
        return {kSampleDocuments, kUltimateInstall, std::string(kSampleDocuments) + "\\EA Games\\" + kUltimateName};
    case SampleEdition::Legacy:
    case SampleEdition::LegacySpanish:
        break;
    }
    return {kSteamDocuments, kLegacyRoot, std::string(kSteamDocuments) + "\\EA Games\\" + mfstrLegacyName(edition)};
}

fs::path gfSampleDownloads(const fs::path& prefix, SampleEdition edition)
{
    return mfHostPath(prefix, gudtSampleFolders(edition).DataFolder) / "Downloads";
}

const char* gfstrSampleEditionName(SampleEdition edition)
{
    switch (edition) {
    case SampleEdition::Disc: return "disc";
    case SampleEdition::UltimateCollection: return "ultimate";
    case SampleEdition::Legacy: return "legacy";
    case SampleEdition::LegacySpanish: return "legacy-es";
    }
    return "disc";
}

bool gfblnSampleEdition(const std::string& name, SampleEdition& edition)
{
    for (const SampleEdition each : {SampleEdition::Disc, SampleEdition::UltimateCollection, SampleEdition::Legacy,
                                     SampleEdition::LegacySpanish}) {
        if (name == gfstrSampleEditionName(each)) {
            edition = each;
            return true;
        }
    }
    return false;
}

void gsMakeSampleGame(const fs::path& prefix, SampleEdition edition)
{
    fs::remove_all(prefix / "drive_c");
    const SampleFolders folders = gudtSampleFolders(edition);
    switch (edition) {
    case SampleEdition::Disc:
        gsWriteSampleRegistry(prefix, kSampleInstallDir, kSampleDocuments, true);
        break;
    case SampleEdition::UltimateCollection:
        msWriteUltimateRegistry(prefix);
        break;
    case SampleEdition::Legacy:
    case SampleEdition::LegacySpanish:
        msWriteLegacyRegistry(prefix, edition);
        break;
    }
    msWriteText(mfHostPath(prefix, folders.InstallFolder) / "TSBin" / "readme.txt", "The game's program files would be here.\n");
    if (edition == SampleEdition::Legacy || edition == SampleEdition::LegacySpanish) {
        for (const char* folder : {"EP1", "EP2", "EP9", "SP1"})
            msWriteText(mfHostPath(prefix, folders.InstallFolder) / folder / "readme.txt", "An expansion.\n");
    }
    if (edition == SampleEdition::UltimateCollection) {
        // The folder a disc edition left behind: never scanned while the collection's own is there.
        PackagePlan old;
        old.Resources = {mudtHack(kTypeBHAV, 0x7F440004, 0x00003000, "Old Disc Hack", false)};
        const fs::path stale = mfHostPath(prefix, std::string(kSampleDocuments) + "\\EA Games\\The Sims 2") / "Downloads";
        msWritePackage(stale / "OldDiscHack.package", old);
        msWritePackage(stale / "OldDiscHackCopy.package", old);
    }

    const fs::path downloads = gfSampleDownloads(prefix, edition);
    constexpr std::uint32_t kGroupA = 0x7FE0A001;
    constexpr std::uint32_t kGroupB = 0x7F10B002;

    // Two versions of the same time hack: the BHAV and BCON conflict, the BHAV changed, the
    // BCON the same in both.
    PackagePlan speed;
    speed.Resources = {mudtHack(kTypeBHAV, kGroupA, 0x00001001, "Speed Up Time - Main", true),
                       mudtHack(kTypeBHAV, kGroupA, 0x00001002, "Speed Up Time - Helper", false),
                       mudtHack(kTypeBCON, kGroupA, 0x00001000, "Speed Tuning", false),
                       mudtContent(kTypeSTR, 1, 300, false)};
    msWritePackage(downloads / "Hacks" / "SpeedUpTime.package", speed);
    speed.Resources[0].Data = gfstrBehaviourBody("Speed Up Time v2 - Main", 150);
    speed.Resources.erase(speed.Resources.begin() + 1);
    speed.IndexMinorVersion = 1;
    msWritePackage(downloads / "Hacks" / "SpeedUpTime_v2.package", speed);

    // A menu mod and a nested package that replaces the same menu and strings with the same
    // bytes: two harmless conflicts.
    PackagePlan menus;
    menus.Resources = {mudtHack(kTypeTTAB, kGroupB, 0x00000080, "Interactions - Chat", true),
                       mudtHack(kTypeTTAs, kGroupB, 0x00000080, "Interaction strings", true),
                       mudtHack(kTypeBHAV, kGroupB, 0x00002000, "Chat - Guardian", false)};
    msWritePackage(downloads / "Menus" / "BetterChat.package", menus);
    // The same menu bytes stored plain: a copy identical to the compressed one once decoded.
    menus.Resources.pop_back();
    menus.Resources[0].Compress = false;
    msWritePackage(downloads / "Menus" / "Nested" / "ChatTweaks.package", menus);

    // One package holding the same constants twice: its name is listed twice.
    PackagePlan twice;
    twice.Resources = {mudtHack(kTypeBCON, 0x7F330003, 0x00001000, "Tuning A", false),
                       mudtHack(kTypeBCON, 0x7F330003, 0x00001000, "Tuning B", false)};
    msWritePackage(downloads / "Hacks" / "DoubleTuning.package", twice);

    // Hacks only in the ignored group, and plain content: neither is examined.
    PackagePlan ignored;
    ignored.Resources = {mudtHack(kTypeBHAV, kIgnoredGroup, 0x00001001, "Global Override", false)};
    msWritePackage(downloads / "GlobalOnly.package", ignored);
    msWritePackage(downloads / "Hacks" / "GlobalOnlyToo.package", ignored);
    PackagePlan chair;
    chair.Resources = {mudtContent(kTypeOBJD, 1, 2000, true), mudtContent(kTypeSTR, 2, 700, false)};
    chair.Holes = {{96, 16}};
    msWritePackage(downloads / "Objects" / "ModernChair.package", chair);

    // Hidden entries are never scanned.
    msWritePackage(downloads / ".backup" / "SpeedUpTime.package", speed);
    msWritePackage(downloads / ".SpeedUpTime_old.package", speed);

    // A download cut short: listed as unreadable.
    std::string broken = gudtBuildPackage(menus).Bytes;
    broken.resize(broken.size() - 10);
    msWriteText(downloads / "Broken" / "HalfDownloaded.package", broken);
    msWriteText(downloads / "Broken" / "readme.txt", "Not a package.\n");
}

} // namespace writer
