// The scan with packages read on a pool of threads against the plain loop that reads each one
// on the scan's own thread: the same tables, report, progress drawings, error record and trap
// calls, on the sample game, damaged downloads, thousands of generated packages, and failures
// injected into opening files.

#include "app/FindHacks.h"
#include "app/ScanCommand.h"
#include "app/ScanReads.h"
#include "app/modSims2General.h"
#include "package/modBinarySupport.h"
#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"
#include "platform/Folders.h"
#include "support/PackageWriter.h"
#include "support/RefPackEncoder.h"
#include "support/SampleGame.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <atomic>
#include <random>
#include <tuple>

namespace {

using namespace writer;

std::string mfstrTrapText(const testsupport::TrapCall& call)
{
    return std::to_string(call.Location) + " " + std::to_string(call.Number) + " " + call.Description + " " +
           call.Module + "." + call.Procedure + " [" + call.Data + "]";
}

// Everything a scan leaves that anyone reads, as text that compares whole.
struct ScanOutcome {
    bool Completed = false;
    std::vector<std::string> Rows;
    std::string Body;
    std::vector<std::pair<std::int32_t, std::int32_t>> Drawings;
    std::vector<std::string> Traps;
    std::string ErrorRecord;

    bool operator==(const ScanOutcome&) const = default;
};

std::vector<std::string> mudtTableRows()
{
    std::vector<std::string> rows;
    const std::pair<const char*, const HackTable*> tables[] = {
        {"BHAV", &gudtBHAVTable}, {"BCON", &gudtBCONTable}, {"TTAB", &gudtTTABTable}, {"TTAs", &gudtTTAsTable}};
    for (const auto& [type, table] : tables) {
        for (std::size_t i = 1; i < table->size(); ++i) {
            const HackResource& row = (*table)[i];
            std::string text = std::string(type) + " " + gfstrBinToHex(row.GroupID.Bytes()) + " " +
                               gfstrBinToHex(row.InstanceID.Bytes()) + " [" + std::string(row.ResourceName) + "]";
            for (std::size_t p = 1; p < row.Packages.size(); ++p)
                text += " " + std::string(row.Packages[p].PackageName);
            rows.push_back(std::move(text));
        }
    }
    for (std::size_t i = 1; i < gudtUnreadablePackages.size(); ++i)
        rows.push_back("unreadable " + gudtUnreadablePackages[i].PackageName + " " + gudtUnreadablePackages[i].ErrorCode);
    return rows;
}

class ScanReads : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        gsInitTypeIDs();
        gsMakeSampleGame(Scratch() / "prefix");
        std::filesystem::create_directories(Scratch() / "program");
        platform::gsSetAppPath(WinPath(Scratch() / "program"));
        gstrSims2DataPath = WinPath(Downloads().parent_path());
    }
    void TearDown() override
    {
        gsSetScanReadThreads(-1);
        gsSetReaderStartsAllowed(-1);
        platform::gsSetFaultHook({});
        platform::gsSetAppPath("");
        TrapTest::TearDown();
    }

    std::filesystem::path Downloads() const { return gfSampleDownloads(Scratch() / "prefix"); }

    void Put(const std::string& relative, const std::string& bytes) { WriteFile(Downloads() / relative, bytes); }

    ScanOutcome Scan(int threads)
    {
        gsSetScanReadThreads(threads);
        trapCalls.clear();
        glngErrLocation = 0;
        gstrErrData = "before the scan";
        ScanOutcome outcome;
        outcome.Completed = gfblnFindHacks(gstrSims2DataPath + "\\downloads", [&](std::int32_t done, std::int32_t count) {
            outcome.Drawings.emplace_back(done, count);
        });
        outcome.ErrorRecord = std::to_string(glngErrLocation) + " [" + gstrErrData + "]";
        outcome.Rows = mudtTableRows();
        std::int32_t conflicts = 0;
        outcome.Body = gfstrReportBody(conflicts);
        for (const testsupport::TrapCall& call : trapCalls)
            outcome.Traps.push_back(mfstrTrapText(call));
        return outcome;
    }

    // The plain loop's outcome, then the same scan on pools of several sizes.
    void ExpectPoolsMatchThePlainLoop(const char* what)
    {
        const ScanOutcome plain = Scan(0);
        ASSERT_TRUE(plain.Completed) << what;
        for (int threads : {1, 3, 8, 17}) {
            const ScanOutcome pooled = Scan(threads);
            EXPECT_TRUE(pooled == plain) << what << ": " << threads << " threads";
            if (pooled.Rows != plain.Rows)
                ADD_FAILURE() << "first row: " << (pooled.Rows.empty() ? "" : pooled.Rows.front());
        }
    }
};

Resource Behaviour(std::uint32_t type, std::uint32_t group, std::uint32_t instance, const std::string& name,
                   bool compress)
{
    return Resource{type, group, instance, 0, gfstrBehaviourBody(name, 24), compress};
}

TEST_F(ScanReads, SampleGameAndDamagedDownloadsAsThePlainLoopGivesThem)
{
    ExpectPoolsMatchThePlainLoop("sample game");

    PackagePlan hack{2, {Behaviour(kTypeBHAV, 0x7F000001, 0x1001, "Shared", false),
                         Behaviour(kTypeBCON, 0x7F000001, 0x1001, "Twice", true),
                         Behaviour(kTypeBCON, 0x7F000001, 0x1001, "Twice", true)}, {}};
    BuiltPackage cut = gudtBuildPackage(hack);
    cut.Bytes.resize(cut.Bytes.size() - 10);
    BuiltPackage negative = gudtBuildPackage(hack);
    gsPatchInt32(negative.Bytes, negative.OffsetField(1), -1);
    BuiltPackage badSize = gudtBuildPackage(hack);
    gsPatchInt32(badSize.Bytes, badSize.SizeField(2), -20);
    BuiltPackage stream = gudtBuildPackage({2, {Behaviour(kTypeBHAV, 0x7F000002, 7, "x", false)}, {}});
    const std::string bomb = gfstrRefPackWrap(64, std::string(1, '\xE4') + "Na");
    stream.Bytes.replace(stream.ResourceOffsets[0], bomb.size(), bomb);
    Put("AAA Cut.package", cut.Bytes);
    Put("Hacks/Negative.package", negative.Bytes);
    Put("Hacks/Deep/BadSize.package", badSize.Bytes);
    Put("Hacks/Deep/Stream.package", stream.Bytes);
    Put("Hacks/Deep/Empty.package", "");
    Put("Hacks/Deep/Good.package", gudtBuildPackage(hack).Bytes);
    Put("ZZZ Good again.package", gudtBuildPackage(hack).Bytes);
    ExpectPoolsMatchThePlainLoop("damaged downloads");
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(ScanReads, ThousandsOfGeneratedPackages)
{
    std::mt19937 random(20261208);
    const auto chance = [&](int percent) { return static_cast<int>(random() % 100) < percent; };
    const std::uint32_t types[] = {kTypeBHAV, kTypeBCON, kTypeTTAB, kTypeTTAs};
    for (int i = 0; i < 3000; ++i) {
        std::string folder = "Set" + std::to_string(i % 23);
        if (i % 4 == 0)
            folder += "/Sub" + std::to_string(i % 3) + (i % 8 == 0 ? "/Deeper" : "");
        PackagePlan plan;
        plan.IndexMinorVersion = chance(80) ? 2 : 1;
        if (chance(20)) {
            // A hack: behaviour resources whose pairs often meet those of other hacks.
            const int resources = 1 + static_cast<int>(random() % 12);
            for (int r = 0; r < resources; ++r) {
                const std::uint32_t type = types[random() % 4];
                const std::uint32_t group = chance(10) ? kIgnoredGroup : 0x7F000000u + random() % 3;
                plan.Resources.push_back(Behaviour(type, group, random() % 400, "Res " + std::to_string(random() % 1000),
                                                   chance(40)));
            }
        }
        for (int r = static_cast<int>(random() % 4); r > 0; --r)
            plan.Resources.push_back({kTypeOBJD, 1, static_cast<std::uint32_t>(random()), 0, "object body", chance(30)});
        BuiltPackage built = gudtBuildPackage(plan);
        if (chance(3) && built.Bytes.size() > 20)
            built.Bytes.resize(random() % built.Bytes.size());
        Put(folder + "/Package " + std::to_string(i) + ".package", built.Bytes);
    }
    ExpectPoolsMatchThePlainLoop("3000 generated packages");
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(ScanReads, FailuresInjectedIntoOpeningGiveTheSameTrapsInListOrder)
{
    // The hook fails the index read's opening (1) or the whole load (2) of a package whose name
    // holds a marker. Packages are opened on several threads at once.
    struct Fault {
        std::string Marker;
        int Opening;
        std::int32_t Number;
    };
    const auto inject = [](std::vector<Fault> faults) {
        platform::gsSetFaultHook([faults](platform::FileOperation operation, std::string_view path) -> std::int32_t {
            if (operation != platform::FileOperation::OpenFile && operation != platform::FileOperation::ReadWhole)
                return 0;
            const int opening = operation == platform::FileOperation::OpenFile ? 1 : 2;
            for (const Fault& fault : faults)
                if (path.find(fault.Marker) != std::string_view::npos && opening == fault.Opening)
                    return fault.Number;
            return 0;
        });
    };
    PackagePlan hack{2, {Behaviour(kTypeBHAV, 0x7F000001, 0x1001, "Shared", false)}, {}};
    for (int i = 0; i < 200; ++i)
        Put("Many/Hack " + std::to_string(i) + ".package", gudtBuildPackage(hack).Bytes);

    // Out of memory is no package's own failure and goes to the trap; the others are the
    // package's own: it is listed as unreadable with its error, and the scan goes on.
    const std::vector<std::tuple<const char*, std::vector<Fault>, std::size_t>> cases = {
        {"the index read out of memory", {{"Hack 17.", 1, errOutOfMemory}}, 1},
        {"the whole load out of memory", {{"Hack 5.", 2, errOutOfMemory}}, 1},
        {"two failures, the later package's first in time",
         {{"Hack 150.", 1, errOutOfMemory}, {"Hack 3.", 2, errOutOfMemory}}, 2},
        {"a sample package vanishing", {{"ModernChair", 1, errFileNotFound}}, 0},
        {"refused, held by another program, failing on the disk, no longer a file",
         {{"Hack 17.", 1, errPermission}, {"Hack 5.", 2, errDeviceIO}, {"Hack 150.", 2, errPermission},
          {"Hack 3.", 1, errPathFileAccess}, {"Hack 99.", 1, errPathNotFound}},
         0},
    };
    for (const auto& [what, faults, traps] : cases) {
        inject(faults);
        const ScanOutcome plain = Scan(0);
        ASSERT_EQ(plain.Traps.size(), traps) << what << ": " << testing::PrintToString(plain.Traps);
        if (traps == 0) {
            EXPECT_TRUE(plain.Completed) << what;
            const auto listed = std::count_if(plain.Rows.begin(), plain.Rows.end(),
                                              [](const std::string& row) { return row.starts_with("unreadable "); });
            EXPECT_EQ(static_cast<std::size_t>(listed), faults.size() + 1) << what;  // and the sample's damaged one
        }
        for (int threads : {2, 8}) {
            inject(faults);
            EXPECT_TRUE(Scan(threads) == plain) << what << ": " << threads << " threads";
        }
    }

    // A trap that ends the program: the tables as the first failure finds them are those of
    // the plain loop, however far the reading threads have gone ahead.
    std::vector<std::vector<std::string>> atTrap;
    gsSetErrorTrapPresenter([&] { atTrap.push_back(mudtTableRows()); });
    for (int threads : {0, 8}) {
        inject({{"Hack 120.", 1, errOutOfMemory}});
        Scan(threads);
    }
    ASSERT_EQ(atTrap.size(), 2u);
    EXPECT_EQ(atTrap[0], atTrap[1]);
}

// The host may refuse to start a reader (a process limit): the scan goes on with the readers
// that started, or on its own thread when none did, with the plain loop's outcome.
TEST_F(ScanReads, ReadersTheHostRefusesAreDoneWithout)
{
    for (int i = 0; i < 300; ++i)
        Put("Many/Hack " + std::to_string(i) + ".package",
            gudtBuildPackage({2, {Behaviour(kTypeBHAV, 0x7F000001, 0x1001, "Shared", false)}, {}}).Bytes);
    const ScanOutcome plain = Scan(0);
    ASSERT_TRUE(plain.Completed);
    for (int allowed : {0, 1}) {
        gsSetReaderStartsAllowed(allowed);
        EXPECT_TRUE(Scan(8) == plain) << allowed << " readers allowed";
    }
    gsSetReaderStartsAllowed(-1);
}

// Reading starts while the list is still being handed over, and holds back once the packages
// read and not yet taken hold more than the bound, except for the one the scan needs next. A
// package read holds its lists and its names; its resource bytes go once the names are decoded.
TEST_F(ScanReads, ReadingRunsAheadOfTheListUpToTheHeldBytes)
{
    constexpr int kPackages = 24;
    constexpr std::uint32_t kEntries = 12000;  // lists of about 1 MiB
    const auto name = [](int i) { return std::to_string(1000 + i) + ".package"; };
    for (int i = 0; i < kPackages; ++i) {
        PackagePlan plan{2, {Resource{kTypeBHAV, 0x7F000001, static_cast<std::uint32_t>(i), 0, std::string(100000, 'b'), false}}, {}};
        for (std::uint32_t e = 0; e < kEntries; ++e)
            plan.Resources.push_back({kTypeOBJD, 0x7F000002, e, 0, "", false});
        Put("Big/" + name(i), gudtBuildPackage(plan).Bytes);
    }
    std::atomic<int> wholeLoads{0};
    const auto loads = [&] { return wholeLoads.load(); };
    platform::gsSetFaultHook([&](platform::FileOperation operation, std::string_view) -> std::int32_t {
        if (operation == platform::FileOperation::ReadWhole)
            ++wholeLoads;
        return 0;
    });
    const auto folder = std::make_shared<const platform::Folder>(*platform::gudtFindFolder(WinPath(Downloads() / "Big")));
    {
        ScanReadAhead reads(4);
        std::vector<std::string> names;
        for (int i = 0; i < kPackages; ++i)
            names.push_back(name(i));
        reads.Add(folder, std::move(names));
        // Not finished yet, and nothing taken: the readers go as far as the bound lets them, and
        // stop there (no whole load starts for half a second; a sanitizer build reads slowly).
        int loadsBeforeTaking = loads();
        for (int still = 0, wait = 0; still < 50 && wait < 3000; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const int now = loads();
            still = now == loadsBeforeTaking ? still + 1 : 0;
            loadsBeforeTaking = now;
        }
        reads.Finish(kPackages);
        std::size_t held = 0;
        for (std::int32_t m = 1; m <= kPackages; ++m) {
            const PackageRead& read = reads.Take(m);
            ASSERT_EQ(read.Number, m);
            EXPECT_EQ(read.Path, folder->Windows + "\\" + name(m - 1));
            ASSERT_EQ(read.Package.Resources.size(), kEntries + 2);
            EXPECT_EQ(read.Package.Resources[1].Size, 100000);
            EXPECT_TRUE(read.Package.Resources[1].Data.empty());
            EXPECT_EQ(read.Package.Contents, nullptr);
            EXPECT_EQ(read.Names, '\x40' + std::string(64, 'b'));  // the one BHAV's name, after its length
            held = read.Package.Index.capacity() * sizeof(PackageIndexEntry) +
                   read.Package.Resources.capacity() * sizeof(PackageResource) + read.Names.capacity();
        }
        // Each of the 4 readers may have claimed one more as the bound was passed.
        const int most = static_cast<int>(ScanReadAhead::kHeldBytes / held) + 4 + 1;
        EXPECT_GE(loadsBeforeTaking, most - 5);
        EXPECT_LE(loadsBeforeTaking, most);
    }
    EXPECT_EQ(loads(), kPackages);
}

} // namespace
