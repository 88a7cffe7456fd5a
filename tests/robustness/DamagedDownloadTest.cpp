// Damaged downloads through the whole scan: one damaged package sits among the sample game's
// packages. Whatever its damage, the scan ends without the error trap, the package is listed as
// unreadable or passed over, memory stays below a fixed bound, and the report of every other
// package is exactly what it was without it. The same holds for a package or folder that cannot
// be opened, listed or read: vanished or replaced while the scan runs, refused, or held by
// another program.

#include "app/FindHacks.h"
#include "app/ScanCommand.h"
#include "app/ScanReads.h"
#include "app/modSims2General.h"
#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"
#include "package/Decompress.h"
#include "support/AllocationMeter.h"
#include "support/PackageWriter.h"
#include "support/RefPackEncoder.h"
#include "support/SampleGame.h"
#include "support/TestSupport.h"

#include <chrono>
#include <functional>
#include <mutex>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using namespace writer;

// The whole scan, packages and tables included, never holds more than this at once for the
// sample game plus one damaged package of a few kilobytes.
constexpr std::size_t kScanMemoryBound = 2u << 20;

const std::string kPastEnd = "62 - Input past end of file";
const std::string kBadRecord = "63 - Bad record number";
const std::string kInvalidCall = "5 - Invalid procedure call or argument";

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

class DamagedDownload : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        gsMakeSampleGame(Scratch() / "prefix");
        std::filesystem::create_directories(Scratch() / "program");
        platform::gsSetAppPath(WinPath(Scratch() / "program"));
        gstrSims2DataPath = WinPath(Downloads().parent_path());
        gsInitTypeIDs();
        baseline = ScanBody();
        ASSERT_NE(baseline.find("The following packages could not be read:"), std::string::npos);
    }
    void TearDown() override
    {
        platform::gsSetFaultHook({});
        platform::gsSetAppPath("");
        TrapTest::TearDown();
    }

    std::filesystem::path Downloads() const { return gfSampleDownloads(Scratch() / "prefix"); }
    // Root files come first in the scan, so the victim is scanned before the sample's packages.
    std::filesystem::path Victim() const { return Downloads() / "Victim.package"; }

    // Runs the scan and returns the report's body (everything after its first two lines).
    std::string ScanBody()
    {
        testsupport::AllocationMeter meter;
        EXPECT_TRUE(gfblnFindHacks(gstrSims2DataPath + "\\downloads", {}));
        peak = meter.PeakBytes();
        std::int32_t conflicts = 0;
        return gfstrReportBody(conflicts);
    }

    // The baseline report with the victim listed first among the unreadable packages.
    std::string WithUnreadable(const std::string& code) const
    {
        const std::string heading = "The following packages could not be read:\r\n";
        std::string body = baseline;
        body.insert(body.find(heading) + heading.size(), "\\downloads\\Victim.package  Error Code: " + code + "\r\n");
        return body;
    }

    // Names of the BHAV rows the victim made.
    static std::vector<std::string> NewBHAVNames()
    {
        std::vector<std::string> names;
        for (std::size_t row = 1; row < gudtBHAVTable.size(); ++row)
            if (gudtBHAVTable[row].Packages[1].PackageName == "\\downloads\\Victim.package")
                names.emplace_back(gudtBHAVTable[row].ResourceName);
        return names;
    }

    std::string baseline;
    std::size_t peak = 0;
};

std::int32_t Int32At(const std::string& bytes, std::size_t at)
{
    std::uint32_t value = 0;
    for (std::size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return static_cast<std::int32_t>(value);
}

// Every length short of the whole file of five sample packages. A hack package cut anywhere is
// unreadable; a package without hack code is unreadable when its index is cut, and passed over
// when only its hole table is (the index-only read never looks there).
TEST_F(DamagedDownload, EveryTruncationIsListedOrPassedOver)
{
    struct Subject {
        const char* file;
        bool hack;
    };
    const Subject subjects[] = {
        {"Hacks/SpeedUpTime_v2.package", true}, // 20-byte entries, compressed and plain
        {"Hacks/DoubleTuning.package", true},   // plain only
        {"Menus/BetterChat.package", true},     // compressed menus
        {"Objects/ModernChair.package", false}, // compressed content with a hole table
        {"GlobalOnly.package", false},          // plain, ignored group only
    };
    std::size_t lengths = 0;
    std::size_t passedOver = 0;
    for (const Subject& subject : subjects) {
        const std::string whole = ReadFile(Downloads() / subject.file);
        const std::int64_t indexEnd = Int32At(whole, 40) + std::int64_t{Int32At(whole, 36)} *
                                                               (Int32At(whole, 60) == 2 ? 24 : 20);
        for (std::size_t length = 0; length < whole.size(); ++length, ++lengths) {
            WriteFile(Victim(), whole.substr(0, length));
            const bool passOver = !subject.hack && static_cast<std::int64_t>(length) >= indexEnd;
            passedOver += passOver;
            ASSERT_EQ(ScanBody(), passOver ? baseline : WithUnreadable(kPastEnd)) << subject.file << " cut at " << length;
            ASSERT_LE(peak, kScanMemoryBound) << subject.file << " cut at " << length;
        }
    }
    EXPECT_GT(lengths, 2000u);
    EXPECT_GT(passedOver, 0u);
    EXPECT_TRUE(trapCalls.empty());
}

// A package of our own whose pairs no sample package holds; each case spoils one field.
PackagePlan VictimPlan()
{
    PackagePlan plan;
    plan.Resources = {{kTypeBHAV, 0x7F0D0001, 1, 0, gfstrBehaviourBody("Victim Main", 40), true},
                      {kTypeBCON, 0x7F0D0001, 2, 0, gfstrBehaviourBody("Victim Tuning", 20), false},
                      {kTypeOBJD, 0x00000001, 3, 0, std::string(100, 'o'), false}};
    plan.Holes = {{96, 8}};
    return plan;
}

// A victim holding one BHAV stored exactly as given (a hand-made RefPack stream), named in
// its index under `pairs` instances that all point at the same bytes.
BuiltPackage WithStream(const std::string& stored, std::uint32_t pairs = 1)
{
    PackagePlan plan;
    plan.Resources.push_back({kTypeBHAV, 0x7F0D0002, 0x100, 0, stored, false});
    for (std::uint32_t i = 1; i < pairs; ++i)
        plan.Resources.push_back({kTypeBHAV, 0x7F0D0002, 0x100 + i, 0, "", false});
    BuiltPackage built = gudtBuildPackage(plan);
    for (std::uint32_t i = 1; i < pairs; ++i) {
        gsPatchInt32(built.Bytes, built.OffsetField(i), static_cast<std::int32_t>(built.ResourceOffsets[0]));
        gsPatchInt32(built.Bytes, built.SizeField(i), static_cast<std::int32_t>(stored.size()));
    }
    return built;
}

struct Corruption {
    const char* what;
    std::function<BuiltPackage()> make;
    std::string code;                  // the error code listed, or empty when none
    std::vector<std::string> bhavRows; // names of the BHAV rows the victim adds
};

BuiltPackage Spoiled(const std::function<void(BuiltPackage&)>& spoil)
{
    BuiltPackage built = gudtBuildPackage(VictimPlan());
    spoil(built);
    return built;
}

TEST_F(DamagedDownload, TargetedCorruptions)
{
    // 16 MiB - 1 declared and produced from 64 KiB by 4-byte copies of 1028 bytes: the name is
    // "Bomb" and 60 more b's; decoding the whole stream would expand it to 16 MiB for every row.
    std::string bomb = Bytes({0xE0}) + "Bomb";
    for (std::size_t produced = 4; produced + 1028 <= 0xFFFFFF; produced += 1028)
        bomb += Bytes({0xCC, 0x00, 0x00, 0xFF});
    const std::string bombName = "Bomb" + std::string(60, 'b');

    const std::vector<Corruption> cases = {
        {"undamaged", [] { return gudtBuildPackage(VictimPlan()); }, "", {"Victim Main"}},
        {"index count 2^31-1", [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexCountField, 0x7FFFFFFF); }); },
         kPastEnd, {}},
        {"index count 2^31-1 with 20-byte entries",
         [] {
             return Spoiled([](BuiltPackage& b) {
                 gsPatchInt32(b.Bytes, kIndexCountField, 0x7FFFFFFF);
                 gsPatchInt32(b.Bytes, kIndexMinorVersionField, 1);
             });
         },
         kPastEnd, {}},
        {"hole count 2^31-1", [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, kHoleCountField, 0x7FFFFFFF); }); },
         kPastEnd, {}},
        {"negative index count reads no entries",
         [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexCountField, -1); }); }, "", {}},
        {"negative index offset", [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexOffsetField, -2147483647 - 1); }); },
         kBadRecord, {}},
        {"negative hole offset", [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, kHoleOffsetField, -8); }); },
         kBadRecord, {}},
        {"negative resource offset", [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, b.OffsetField(2), -1); }); },
         kBadRecord, {}},
        {"negative resource size", [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, b.SizeField(1), -20); }); },
         kInvalidCall, {}},
        {"resource size 2^31-1", [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, b.SizeField(0), 0x7FFFFFFF); }); },
         kPastEnd, {}},
        {"resource one byte past the end",
         [] {
             return Spoiled([](BuiltPackage& b) {
                 gsPatchInt32(b.Bytes, b.SizeField(2), static_cast<std::int32_t>(b.Bytes.size() - b.ResourceOffsets[2] + 1));
             });
         },
         kPastEnd, {}},
        {"resource offset past the end",
         [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, b.OffsetField(0), static_cast<std::int32_t>(b.Bytes.size())); }); },
         kPastEnd, {}},
        {"index past the end",
         [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexOffsetField, static_cast<std::int32_t>(b.Bytes.size() - 8)); }); },
         kPastEnd, {}},
        // The entries are then read from the header itself: type "DBPF", no hack code.
        {"index overlapping the header", [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexOffsetField, 0); }); },
         "", {}},
        // Entries read from the header's middle: offsets and sizes taken from its fields.
        {"index starting inside the header", [] { return Spoiled([](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexOffsetField, 36); }); },
         "", {}},
        {"RefPack copy from before the output start",
         [] { return WithStream(gfstrRefPackWrap(64, Bytes({0xE0}) + "Name" + Bytes({0x00, 0x10}) + Bytes({0xE0}) + "More")); },
         "", {"Name"}},
        {"RefPack copy past the declared size",
         [] { return WithStream(gfstrRefPackWrap(6, Bytes({0xE0}) + "Name" + Bytes({0x01, 0x00}) + "X")); }, "", {"Name"}},
        {"RefPack literals past the declared size",
         [] { return WithStream(gfstrRefPackWrap(3, Bytes({0xE0}) + "Name")); }, "", {""}},
        {"RefPack literals past the input", [] { return WithStream(gfstrRefPackWrap(64, Bytes({0xE4}) + "Na")); }, "", {""}},
        {"RefPack header only", [] { return WithStream(gfstrRefPackWrap(0xFFFFFF, "")); }, "", {""}},
        {"RefPack 16 MiB bomb under 300 pairs", [&] { return WithStream(gfstrRefPackWrap(0xFFFFFF, bomb), 300); }, "",
         std::vector<std::string>(300, bombName)},
    };
    for (const Corruption& c : cases) {
        WriteFile(Victim(), c.make().Bytes);
        const auto start = std::chrono::steady_clock::now();
        const std::string body = ScanBody();
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(body, c.code.empty() ? baseline : WithUnreadable(c.code)) << c.what;
        EXPECT_EQ(NewBHAVNames(), c.bhavRows) << c.what;
        EXPECT_LE(peak, kScanMemoryBound) << c.what;
        EXPECT_LT(seconds, 5.0) << c.what;
    }
    EXPECT_TRUE(trapCalls.empty());
}

// The name the scan reads from the first stored bytes is the one the whole stream gives, for
// streams whose first 64 bytes come from long literal runs, long copies or damaged commands.
TEST_F(DamagedDownload, NamesFromLongStreamsMatchTheWholeDecoding)
{
    std::string text;
    for (int i = 0; text.size() < 5000; ++i)
        text += static_cast<char>('A' + i % 23) + std::string(1 + i % 5, 'a' + static_cast<char>(i % 7));
    const std::vector<std::string> streams = {
        gfstrRefPackCompress(text),
        gfstrRefPackWrap(500, Bytes({0xFB}) + std::string(112, 'L') + Bytes({0xFB}) + std::string(112, 'M')),
        gfstrRefPackWrap(5000, Bytes({0x03, 0x00}) + "abc" + Bytes({0xCF, 0x00, 0x02, 0xFF}) + "xyz"),
        gfstrRefPackWrap(70, Bytes({0xE0}) + "abcd" + Bytes({0xE1}) + "efghijkl" + Bytes({0x7F, 0xFF}) + "12" + Bytes({0xFC})),
    };
    for (std::size_t i = 0; i < streams.size(); ++i) {
        WriteFile(Victim(), WithStream(streams[i]).Bytes);
        ScanBody();
        const std::string whole = Decompress(streams[i]).substr(0, 64);
        EXPECT_EQ(NewBHAVNames(), std::vector<std::string>{whole.substr(0, whole.find('\0'))}) << "stream " << i;
    }
    EXPECT_TRUE(trapCalls.empty());
}

// A package that changes between the listing and its read, as players' moves and sync tools
// change them while a scan runs: as its index read opens it (1), or as its whole load begins
// (2), the fault hook changes it on the host, then lets the read go on. Changed as it is
// opened, it is listed with the error its read met. A package with hack code is loaded whole
// from the file its index was read from, held open since: changed after that opening, it is
// read as it stood. Every other package is reported as before.
TEST_F(DamagedDownload, PackagesThatChangeWhileTheScanRunsAreListed)
{
    namespace fs = std::filesystem;
    const struct {
        const char* what;
        int opening;
        std::function<void(const fs::path&)> change;
        std::string code;  // empty: read as it stood
    } cases[] = {
        {"deleted", 1, [](const fs::path& p) { fs::remove(p); }, "53 - File not found"},
        {"deleted before the whole load", 2, [](const fs::path& p) { fs::remove(p); }, ""},
        {"renamed", 1, [](const fs::path& p) { fs::rename(p, p.parent_path() / "Victim.bak"); }, "53 - File not found"},
        {"replaced by a folder", 1,
         [](const fs::path& p) {
             fs::remove(p);
             fs::create_directory(p);
         },
         "75 - Path/File access error"},
#ifndef _WIN32
        // Opening a pipe must neither wait for a writer nor read one.
        {"replaced by a named pipe", 1,
         [](const fs::path& p) {
             fs::remove(p);
             ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0);
         },
         "75 - Path/File access error"},
        {"replaced by a named pipe before the whole load", 2,
         [](const fs::path& p) {
             fs::remove(p);
             ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0);
         },
         ""},
        {"replaced by a link to a device", 1,
         [](const fs::path& p) {
             fs::remove(p);
             fs::create_symlink("/dev/zero", p);
         },
         "75 - Path/File access error"},
        {"replaced by a link to a device that reads as empty", 1,
         [](const fs::path& p) {
             fs::remove(p);
             fs::create_symlink("/dev/null", p);
         },
         "75 - Path/File access error"},
#endif
    };
    WriteFile(Victim(), gudtBuildPackage(VictimPlan()).Bytes);
    const std::string intact = ScanBody();
    for (const auto& c : cases) {
        for (int threads : {0, 4}) {
            SCOPED_TRACE(std::string(c.what) + ", " + std::to_string(threads) + " threads");
            fs::remove_all(Victim());
            fs::remove(Downloads() / "Victim.bak");
            WriteFile(Victim(), gudtBuildPackage(VictimPlan()).Bytes);
            const std::string victim = gstrSims2DataPath + "\\downloads\\Victim.package";
            const platform::FileOperation when =
                c.opening == 1 ? platform::FileOperation::OpenFile : platform::FileOperation::ReadWhole;
            platform::gsSetFaultHook([&](platform::FileOperation operation, std::string_view path) -> std::int32_t {
                if (operation == when && path == victim)
                    c.change(Victim());
                return 0;
            });
            gsSetScanReadThreads(threads);
            EXPECT_EQ(ScanBody(), c.code.empty() ? intact : WithUnreadable(c.code));
            EXPECT_EQ(gstrErrData, "");
        }
    }
    gsSetScanReadThreads(-1);
    fs::remove_all(Victim());
    EXPECT_TRUE(trapCalls.empty());
}

#ifdef _WIN32
// A package another program holds open without sharing it is listed as refused, and the scan
// goes on.
TEST_F(DamagedDownload, APackageHeldByAnotherProgramIsListed)
{
    WriteFile(Victim(), gudtBuildPackage(VictimPlan()).Bytes);
    const HANDLE held = ::CreateFileW(Victim().wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const std::string body = ScanBody();
    ::CloseHandle(held);
    EXPECT_EQ(body, WithUnreadable("70 - Permission denied"));
    EXPECT_TRUE(trapCalls.empty());
    std::filesystem::remove(Victim());
}
#endif

// A folder below Downloads that cannot be listed, or whose entry cannot be examined, is listed
// by its name with its error and passed over; the scan goes on. Only the Downloads folder's own
// failure ends the scan, and the error record then names it.
TEST_F(DamagedDownload, FoldersThatCannotBeListedArePassedOver)
{
    namespace fs = std::filesystem;
    WriteFile(Downloads() / "Locked" / "Inside.package", gudtBuildPackage(VictimPlan()).Bytes);
    const std::string downloads = gstrSims2DataPath + "\\downloads";
    const struct {
        const char* what;
        platform::FileOperation operation;
        std::string failing;
        std::int32_t number;
        std::string line;
    } cases[] = {
        {"a folder the user may not list", platform::FileOperation::ListFolder, downloads + "\\Locked", 70,
         "\\downloads\\Locked  Error Code: 70 - Permission denied"},
        {"a folder failing on the disk", platform::FileOperation::ListFolder, downloads + "\\Locked", 57,
         "\\downloads\\Locked  Error Code: 57 - Device I/O error"},
        {"a folder whose kind cannot be read", platform::FileOperation::GetAttr, downloads + "\\Locked", 70,
         "\\downloads\\Locked  Error Code: 70 - Permission denied"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        platform::gsSetFaultHook([&](platform::FileOperation operation, std::string_view path) -> std::int32_t {
            return operation == c.operation && path == c.failing ? c.number : 0;
        });
        std::string body = ScanBody();
        const auto line = body.find(c.line + "\r\n");
        ASSERT_NE(line, std::string::npos) << body;
        EXPECT_EQ(body.erase(line, c.line.size() + 2), baseline);
        EXPECT_TRUE(trapCalls.empty());
    }

    // The Downloads folder itself: the scan ends in the trap, which names that folder.
    gstrErrData = "Filename = an earlier package";
    platform::gsSetFaultHook([&](platform::FileOperation operation, std::string_view path) -> std::int32_t {
        return operation == platform::FileOperation::ListFolder && path == downloads ? 70 : 0;
    });
    EXPECT_TRUE(gfblnFindHacks(downloads, {}));
    ASSERT_EQ(trapCalls.size(), 1u);
    EXPECT_EQ(trapCalls[0].Number, 70);
    EXPECT_EQ(trapCalls[0].Procedure, "gflngFindFiles");
    EXPECT_EQ(trapCalls[0].Data, "Error Data = " + downloads);
    trapCalls.clear();
    platform::gsSetFaultHook({});

#ifndef _WIN32
    // The host's own refusal, where the permission bits bind (not for root).
    if (::geteuid() != 0) {
        fs::permissions(Downloads() / "Locked", fs::perms::none);
        std::string body = ScanBody();
        fs::permissions(Downloads() / "Locked", fs::perms::owner_all);
        const std::string refused = "\\downloads\\Locked  Error Code: 70 - Permission denied\r\n";
        const auto line = body.find(refused);
        ASSERT_NE(line, std::string::npos) << body;
        EXPECT_EQ(body.erase(line, refused.size()), baseline);
        EXPECT_TRUE(trapCalls.empty());
    }
#endif
}

// Package names begin at the scanned Downloads folder, whatever folder of that name holds the
// player's documents: the report of a game below D:\Downloads\Docs is the report of the same game
// anywhere else.
TEST_F(DamagedDownload, NamesBeginAtTheScannedDownloadsFolder)
{
    namespace fs = std::filesystem;
    const fs::path elsewhere = Scratch() / "Downloads" / "Docs";
    fs::create_directories(elsewhere);
    fs::copy(Scratch() / "prefix", elsewhere / "prefix", fs::copy_options::recursive);
    gstrSims2DataPath = WinPath(gfSampleDownloads(elsewhere / "prefix").parent_path());
    ASSERT_NE(gstrSims2DataPath.find("\\Downloads\\Docs\\"), std::string::npos);
    EXPECT_EQ(ScanBody(), baseline);
    EXPECT_TRUE(trapCalls.empty());
}

} // namespace
