#include "support/SampleGame.h"

#include "support/PackageWriter.h"

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
    msWriteText(prefix / "user.reg",
                "WINE REGISTRY Version 2\n;; All keys relative to \\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=" +
                    std::string(win64 ? "win64" : "win32") +
                    "\n\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Explorer\\\\Shell Folders] "
                    "1733580000\n#time=1db48a1c0a2f6e0\n\"AppData\"=\"C:\\\\users\\\\player\\\\AppData\\\\Roaming\"\n"
                    "\"Personal\"=\"" +
                    mfstrRegString(documents) + "\"\n\n");
}

fs::path gfSampleDownloads(const fs::path& prefix)
{
    return prefix / "drive_c" / "users" / "player" / "Documents" / "EA Games" / "The Sims 2" / "Downloads";
}

void gsMakeSampleGame(const fs::path& prefix)
{
    fs::remove_all(prefix / "drive_c");
    gsWriteSampleRegistry(prefix, kSampleInstallDir, kSampleDocuments, true);
    msWriteText(prefix / "drive_c" / "Program Files" / "EA GAMES" / "The Sims 2" / "TSBin" / "readme.txt",
                "The game's program files would be here.\n");

    const fs::path downloads = gfSampleDownloads(prefix);
    constexpr std::uint32_t kGroupA = 0x7FE0A001;
    constexpr std::uint32_t kGroupB = 0x7F10B002;

    // Two versions of the same time hack: the BHAV and BCON conflict.
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

    // A menu mod and a nested package that replaces the same menu and strings.
    PackagePlan menus;
    menus.Resources = {mudtHack(kTypeTTAB, kGroupB, 0x00000080, "Interactions - Chat", true),
                       mudtHack(kTypeTTAs, kGroupB, 0x00000080, "Interaction strings", true),
                       mudtHack(kTypeBHAV, kGroupB, 0x00002000, "Chat - Guardian", false)};
    msWritePackage(downloads / "Menus" / "BetterChat.package", menus);
    menus.Resources.pop_back();
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
