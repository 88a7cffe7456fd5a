#include "package/modSimsPackage.h"
#include "support/AllocationMeter.h"
#include "support/PackageWriter.h"
#include "support/TestSupport.h"

#include <fstream>

namespace {

using namespace writer;

PackagePlan SamplePlan(std::int32_t minorVersion)
{
    PackagePlan plan;
    plan.IndexMinorVersion = minorVersion;
    plan.Resources = {
        {kTypeBHAV, 0x7F0000AB, 0x00001001, 0xCAFEBABE, gfstrBehaviourBody("Main Loop", 40), false},
        {kTypeOBJD, 0x00000001, 0x00000002, 0x00000003, std::string(300, 'o'), true},
        {kTypeTTAs, kIgnoredGroup, 0x00000007, 0x00000000, "", false},
    };
    plan.Holes = {{10, 20}, {30, 40}};
    return plan;
}

std::string Id(std::uint32_t value) { return gfstrIdBytes(value); }

class PackageLoad : public testsupport::TrapTest {
protected:
    // Writes a package into the scratch folder and returns its Windows-form path.
    std::string Put(const std::string& bytes, const std::string& name = "test.package")
    {
        WriteFile(Scratch() / name, bytes);
        return WinPath(Scratch() / name);
    }

    void ExpectNoRecord()
    {
        EXPECT_TRUE(trapCalls.empty());
        EXPECT_EQ(glngErrNumber, 0);
        EXPECT_EQ(gstrErrDescription, "");
        EXPECT_EQ(gstrErrModule, "");
        EXPECT_EQ(gstrErrProcedure, "");
    }
};

TEST_F(PackageLoad, IndexVersionsOneAndTwoGiveTheSameEntries)
{
    std::vector<std::vector<PackageIndexEntry>> results;
    for (std::int32_t minor : {1, 2}) {
        const BuiltPackage built = gudtBuildPackage(SamplePlan(minor));
        std::vector<PackageIndexEntry> index;
        PackageDamage damage;
        gsLoadPackageIndexOnly(Put(built.Bytes), index, damage);
        EXPECT_EQ(damage.Number, 0);
        ASSERT_EQ(gflngUBound(index), 3);
        for (std::size_t i = 1; i <= 3; ++i) {
            EXPECT_EQ(index[i].Offset, static_cast<std::int32_t>(built.ResourceOffsets[i - 1]));
            EXPECT_EQ(index[i].Size, static_cast<std::int32_t>(built.StoredData[i - 1].size()));
        }
        EXPECT_EQ(index[1].TypeID.Bytes(), Id(kTypeBHAV));
        EXPECT_EQ(index[1].GroupID.Bytes(), Id(0x7F0000AB));
        EXPECT_EQ(index[1].InstanceID.Bytes(), Id(0x1001));
        EXPECT_EQ(index[1].ResourceID.Bytes(), minor == 2 ? Id(0xCAFEBABE) : Id(0));
        EXPECT_EQ(gstrErrData, "");
        EXPECT_EQ(glngErrLocation, 4000);
        results.push_back(index);
    }
    ExpectNoRecord();
}

TEST_F(PackageLoad, OtherMinorVersionsUseTwentyByteEntries)
{
    for (std::int32_t minor : {0, 3, -1, 0x7FFFFFFF}) {
        PackagePlan plan = SamplePlan(1);
        BuiltPackage built = gudtBuildPackage(plan);
        gsPatchInt32(built.Bytes, kIndexMinorVersionField, minor);
        std::vector<PackageIndexEntry> index;
        gsLoadPackageIndexOnly(Put(built.Bytes), index);
        ASSERT_EQ(gflngUBound(index), 3) << minor;
        EXPECT_EQ(index[3].TypeID.Bytes(), Id(kTypeTTAs)) << minor;
    }
    ExpectNoRecord();
}

TEST_F(PackageLoad, EmptyIndexLeavesOnlyElementZero)
{
    PackagePlan plan;
    const BuiltPackage built = gudtBuildPackage(plan);
    std::vector<PackageIndexEntry> index(5);
    gsLoadPackageIndexOnly(Put(built.Bytes), index);
    EXPECT_EQ(gflngUBound(index), 0);

    // A count of 0 still seeks: a negative offset is damage even then.
    std::string bytes = built.Bytes;
    gsPatchInt32(bytes, kIndexOffsetField, -4);
    PackageDamage damage;
    gsLoadPackageIndexOnly(Put(bytes), index, damage);
    EXPECT_EQ(damage.Number, 63);
    EXPECT_EQ(damage.Description, "Bad record number");
    ExpectNoRecord();
}

TEST_F(PackageLoad, SignatureIsNeverTested)
{
    BuiltPackage built = gudtBuildPackage(SamplePlan(2));
    built.Bytes.replace(0, 4, "XXXX");
    std::vector<PackageIndexEntry> index;
    gsLoadPackageIndexOnly(Put(built.Bytes), index);
    EXPECT_EQ(gflngUBound(index), 3);
}

TEST_F(PackageLoad, UnusableNameIsPassedOverQuietly)
{
    const std::string path = WinPath(Scratch()) + "\\" + std::string(300, 'n') + ".package";
    std::vector<PackageIndexEntry> index(3);
    PackageDamage damage;
    gsLoadPackageIndexOnly(path, index, damage);
    EXPECT_EQ(gflngUBound(index), 0);
    EXPECT_EQ(damage.Number, 0);
    EXPECT_EQ(glngErrLocation, 2500);
    EXPECT_EQ(gstrErrData, "Filename = " + path);
    ExpectNoRecord();
}

// A file that cannot be opened is the package's own failure, told to the caller as damage is:
// it vanished, it is refused, it is a folder or a device now, or the disk failed. Only what is
// not about the one file (out of memory) goes to the trap.
TEST_F(PackageLoad, FilesThatCannotBeOpenedAreToldToTheCaller)
{
    const std::string absent = WinPath(Scratch() / "absent.package");
    std::filesystem::create_directories(Scratch() / "folder.package");
    const std::string folder = WinPath(Scratch() / "folder.package");
    const std::string locked = WinPath(Scratch() / "locked.package");
    WriteFile(Scratch() / "locked.package", gudtBuildPackage({2, {}, {}}).Bytes);
    platform::gsSetFaultHook([&](platform::FileOperation operation, std::string_view path) -> std::int32_t {
        if (operation != platform::FileOperation::OpenFile)
            return 0;
        return path == locked ? errPermission : path.find("hungry") != std::string_view::npos ? errOutOfMemory : 0;
    });
    const struct {
        std::string path;
        std::int32_t number;
        const char* description;
    } cases[] = {
        {absent, 53, "File not found"},
        {folder, 75, "Path/File access error"},
        {locked, 70, "Permission denied"},
        {WinPath(Scratch()) + "\\" + std::string(300, 'n'), 52, "Bad file name or number"},  // the full load only
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        trapCalls.clear();
        std::vector<PackageIndexEntry> index;
        PackageDamage damage;
        gsLoadPackageIndexOnly(c.path, index, damage);
        // An unusable name is passed over by the index read without a trace.
        EXPECT_EQ(damage.Number, c.number == 52 ? 0 : c.number);
        EXPECT_EQ(index.size(), 1u);
        PackageFile package;
        gsLoadPackage(c.path, package, damage);
        EXPECT_EQ(damage.Number, c.number);
        EXPECT_EQ(damage.Description, c.description);
        EXPECT_EQ(gstrErrData, "Filename = " + c.path);
        EXPECT_TRUE(trapCalls.empty());
    }

    trapCalls.clear();
    const std::string hungry = WinPath(Scratch() / "hungry.package");
    std::vector<PackageIndexEntry> index;
    PackageDamage damage;
    gsLoadPackageIndexOnly(hungry, index, damage);
    PackageFile package;
    gsLoadPackage(hungry, package, damage);
    ASSERT_EQ(trapCalls.size(), 2u);
    EXPECT_EQ(trapCalls[0].Number, 7);
    EXPECT_EQ(trapCalls[0].Procedure, "gsLoadPackageIndexOnly");
    EXPECT_EQ(trapCalls[0].Location, 2500);
    EXPECT_EQ(trapCalls[0].Data, "Filename = " + hungry);
    EXPECT_EQ(trapCalls[1].Procedure, "gsOpenPackageFile");
    EXPECT_EQ(trapCalls[1].Location, 1000);
    EXPECT_EQ(damage.Number, 0);
    platform::gsSetFaultHook({});
}

TEST_F(PackageLoad, FullLoadReadsEveryResourceAsStored)
{
    PackagePlan plan = SamplePlan(2);
    const BuiltPackage built = gudtBuildPackage(plan);
    PackageFile package;
    PackageDamage damage;
    gsLoadPackage(Put(built.Bytes), package, damage);
    EXPECT_EQ(damage.Number, 0);
    EXPECT_EQ(package.Header.Signature, 0x46504244);
    EXPECT_EQ(package.Header.IndexCount, 3);
    EXPECT_EQ(package.Header.IndexMinorVersion, 2);
    EXPECT_EQ(std::string(package.Header.Reserved.begin(), package.Header.Reserved.end()), std::string(32, '\0'));
    ASSERT_EQ(gflngUBound(package.Index), 3);
    ASSERT_EQ(gflngUBound(package.Resources), 3);
    ASSERT_EQ(gflngUBound(package.Holes), 2);
    EXPECT_EQ(package.Holes[2].Offset, 30);
    EXPECT_EQ(package.Holes[2].Size, 40);
    for (std::size_t i = 1; i <= 3; ++i) {
        const PackageResource& resource = package.Resources[i];
        EXPECT_EQ(resource.Data, built.StoredData[i - 1]);
        EXPECT_EQ(resource.Size, static_cast<std::int32_t>(resource.Data.size()));
        EXPECT_EQ(resource.TypeID, package.Index[i].TypeID);
        EXPECT_EQ(resource.GroupID, package.Index[i].GroupID);
        EXPECT_EQ(resource.InstanceID, package.Index[i].InstanceID);
        EXPECT_EQ(resource.ResourceID, package.Index[i].ResourceID);
    }
    EXPECT_EQ(package.Resources[2].Data.substr(4, 2), "\x10\xFB"); // still compressed
    EXPECT_EQ(gstrErrData, "");
    EXPECT_EQ(glngErrLocation, 5000);

    // A copy keeps its bytes after the original is reused for another package.
    const PackageFile copy = package;
    gsLoadPackage(Put(gudtBuildPackage(PackagePlan{}).Bytes, "empty.package"), package);
    EXPECT_EQ(gflngUBound(package.Resources), 0);
    EXPECT_EQ(copy.Resources[1].Data, built.StoredData[0]);
    ExpectNoRecord();
}

TEST_F(PackageLoad, OverlappingResourcesAreBothReadInFull)
{
    PackagePlan plan;
    plan.Resources = {{kTypeBHAV, 1, 1, 0, "0123456789", false}, {kTypeBHAV, 1, 2, 0, "abc", false}};
    BuiltPackage built = gudtBuildPackage(plan);
    gsPatchInt32(built.Bytes, built.OffsetField(1), static_cast<std::int32_t>(built.ResourceOffsets[0] + 4));
    gsPatchInt32(built.Bytes, built.SizeField(1), 6);
    PackageFile package;
    gsLoadPackage(Put(built.Bytes), package);
    EXPECT_EQ(package.Resources[1].Data, "0123456789");
    EXPECT_EQ(package.Resources[2].Data, "456789");
}

TEST_F(PackageLoad, EmptyPathLeavesThePackageAsItWas)
{
    PackageFile package;
    package.Header.IndexCount = 42;
    package.Index.resize(4);
    gsLoadPackage("", package);
    EXPECT_EQ(package.Header.IndexCount, 42);
    EXPECT_EQ(package.Index.size(), 4u);
    EXPECT_EQ(glngErrLocation, 1000);
    ExpectNoRecord();
}

// A damaged package: the loader reports the damage to its caller, records nothing in the
// error record and keeps the location code and file name of the failing step.
struct Damage {
    const char* what;
    std::function<void(BuiltPackage&)> spoil;
    std::int32_t indexOnlyNumber;  // 0: the index-only load does not meet it
    std::int32_t indexOnlyLocation;
    std::int32_t fullNumber;
    std::int32_t fullLocation;
};

TEST_F(PackageLoad, DamageIsHandedToTheCallerWithoutTheTrap)
{
    const std::vector<Damage> cases = {
        {"header cut short", [](BuiltPackage& b) { b.Bytes.resize(95); }, 62, 3000, 62, 2000},
        {"count of 2^31-1", [](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexCountField, 0x7FFFFFFF); },
         62, 4000, 62, 3000},
        {"index past the end",
         [](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexOffsetField, static_cast<std::int32_t>(b.Bytes.size())); },
         62, 4000, 62, 3000},
        {"negative index offset", [](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexOffsetField, -1); }, 63, 4000,
         63, 3000},
        {"index overlapping the header",
         [](BuiltPackage& b) { gsPatchInt32(b.Bytes, kIndexOffsetField, 0); }, 0, 0, 0, 5000},
        {"hole count of 2^31-1", [](BuiltPackage& b) { gsPatchInt32(b.Bytes, kHoleCountField, 0x7FFFFFFF); }, 0, 0,
         62, 4000},
        {"negative hole offset with no holes",
         [](BuiltPackage& b) {
             gsPatchInt32(b.Bytes, kHoleCountField, 0);
             gsPatchInt32(b.Bytes, kHoleOffsetField, -8);
         },
         0, 0, 63, 4000},
        {"resource size past the end", [](BuiltPackage& b) { gsPatchInt32(b.Bytes, b.SizeField(1), 0x7FFFFFF0); },
         0, 0, 62, 5000},
        {"negative resource size", [](BuiltPackage& b) { gsPatchInt32(b.Bytes, b.SizeField(0), -5); }, 0, 0, 5, 5000},
        {"negative resource offset", [](BuiltPackage& b) { gsPatchInt32(b.Bytes, b.OffsetField(2), -100); }, 0, 0,
         63, 5000},
    };
    for (const Damage& c : cases) {
        BuiltPackage built = gudtBuildPackage(SamplePlan(2));
        c.spoil(built);
        const std::string path = Put(built.Bytes);
        const std::string fileLine = "Filename = " + path;

        testsupport::gsResetErrorRecord();
        std::vector<PackageIndexEntry> index;
        PackageDamage damage;
        gsLoadPackageIndexOnly(path, index, damage);
        EXPECT_EQ(damage.Number, c.indexOnlyNumber) << c.what;
        if (c.indexOnlyNumber != 0) {
            EXPECT_EQ(gflngUBound(index), 0) << c.what;
            EXPECT_EQ(glngErrLocation, c.indexOnlyLocation) << c.what;
            EXPECT_EQ(gstrErrData, fileLine) << c.what;
        }

        PackageFile package;
        gsLoadPackage(path, package, damage);
        EXPECT_EQ(damage.Number, c.fullNumber) << c.what;
        EXPECT_EQ(damage.Description, c.fullNumber ? gfstrErrorDescription(c.fullNumber) : "") << c.what;
        EXPECT_EQ(glngErrLocation, c.fullLocation) << c.what;
        EXPECT_EQ(gstrErrData, c.fullNumber ? fileLine : "") << c.what;
        ExpectNoRecord();
    }
}

// Every truncation of a few packages: no crash, no trap, and never more memory than a small
// multiple of the file's own size, whatever its counts and sizes claim (the records in memory
// are wider than the file's 20- and 24-byte entries, and the full load keeps the file's bytes).
TEST_F(PackageLoad, EveryTruncationIsSafe)
{
    std::vector<BuiltPackage> packages = {gudtBuildPackage(SamplePlan(1)), gudtBuildPackage(SamplePlan(2))};
    PackagePlan many;
    for (std::uint32_t i = 0; i < 40; ++i)
        many.Resources.push_back({kTypeBCON, i, i, i, std::string(i, 'x'), i % 3 == 0});
    packages.push_back(gudtBuildPackage(many));

    const std::string path = Put("");
    for (const BuiltPackage& built : packages) {
        for (std::size_t length = 0; length < built.Bytes.size(); ++length) {
            WriteFile(Scratch() / "test.package", built.Bytes.substr(0, length));
            std::vector<PackageIndexEntry> index;
            PackageFile package;
            PackageDamage damage;
            testsupport::AllocationMeter meter;
            gsLoadPackageIndexOnly(path, index, damage);
            gsLoadPackage(path, package, damage);
            EXPECT_NE(damage.Number, 0) << "length " << length;
            EXPECT_LE(meter.PeakBytes(), 8 * length + 4096) << "length " << length;
        }
    }
    ExpectNoRecord();
}

// A package padded far beyond its tables and resources, sparse on disk: the loaders read what
// the records hold and nothing else, so neither its size nor where a resource sits costs memory.
TEST_F(PackageLoad, GiganticPackagesCostWhatTheirRecordsHold)
{
    constexpr std::uintmax_t kGigantic = std::uintmax_t{40} << 30;  // 40 GiB
    constexpr std::int32_t kFar = 0x7FFF0000;                        // near the last offset there is
    const BuiltPackage built = gudtBuildPackage(SamplePlan(1));
    const std::string behaviour = built.StoredData[0];
    const std::filesystem::path file = Scratch() / "gigantic.package";
    gsInitTypeIDs();
    for (const bool far : {false, true}) {
        SCOPED_TRACE(far ? "its procedure near 2 GiB" : "padded after its tables");
        std::string bytes = built.Bytes;
        if (far)
            gsPatchInt32(bytes, built.OffsetField(0), kFar);
        WriteFile(file, bytes);
        if (far) {
            std::fstream out(file, std::ios::in | std::ios::out | std::ios::binary);
            out.seekp(kFar);
            out.write(behaviour.data(), static_cast<std::streamsize>(behaviour.size()));
            ASSERT_TRUE(out.good());
        }
        std::filesystem::resize_file(file, kGigantic);

        std::vector<PackageIndexEntry> index;
        PackageFile package;
        PackageDamage damage;
        testsupport::AllocationMeter meter;
        gsLoadPackageIndexOnly(WinPath(file), index, damage);
        EXPECT_EQ(damage.Number, 0);
        EXPECT_TRUE(gfblnHasHackCode(index));
        gsLoadPackage(WinPath(file), package, damage);
        EXPECT_EQ(damage.Number, 0) << damage.Description;
        ASSERT_EQ(gflngUBound(package.Resources), 3);
        EXPECT_EQ(package.Resources[1].Data, behaviour);
        EXPECT_EQ(package.Resources[2].Data, built.StoredData[1]);
        EXPECT_LT(meter.PeakBytes(), std::size_t{1} << 20);
    }
    ExpectNoRecord();
}

// Resources named by many entries, overlapping or in any order, are each read once: the bytes
// kept are the union of their ranges, however many entries there are.
TEST_F(PackageLoad, ResourceBytesAreReadOncePerRange)
{
    PackagePlan plan;
    plan.Resources = {{kTypeBHAV, 1, 1, 0, std::string(4000, 'a'), false}, {kTypeBHAV, 1, 2, 0, std::string(4000, 'b'), false}};
    BuiltPackage built = gudtBuildPackage(plan);
    // Append 1,000 more entries naming the first resource, its tail and the second one in turn.
    // The index is rewritten at the end of the file with the new count.
    std::string index = built.Bytes.substr(built.IndexOffset, 2 * built.EntryWidth);
    for (std::uint32_t i = 0; i < 1000; ++i) {
        std::string entry = built.Bytes.substr(built.EntryField(i % 2, 0), built.EntryWidth);
        if (i % 3 == 0) {
            gsPatchInt32(entry, built.EntryWidth - 8, static_cast<std::int32_t>(built.ResourceOffsets[0] + 3000));
            gsPatchInt32(entry, built.EntryWidth - 4, 1500);  // across the two resources
        }
        index += entry;
    }
    std::string bytes = built.Bytes.substr(0, built.IndexOffset);
    const auto indexOffset = static_cast<std::int32_t>(bytes.size());
    bytes += index;
    gsPatchInt32(bytes, kIndexOffsetField, indexOffset);
    gsPatchInt32(bytes, kIndexCountField, 1002);
    gsPatchInt32(bytes, kHoleCountField, 0);

    PackageFile package;
    PackageDamage damage;
    gsLoadPackage(Put(bytes), package, damage);
    ASSERT_EQ(damage.Number, 0) << damage.Description;
    ASSERT_EQ(gflngUBound(package.Resources), 1002);
    EXPECT_EQ(package.Contents->size(), 8000u);
    EXPECT_EQ(package.Resources[3].Data, std::string(1000, 'a') + std::string(500, 'b'));
    EXPECT_EQ(package.Resources[4].Data, std::string(4000, 'b'));
    EXPECT_EQ(package.Resources[1001].Data, std::string(4000, 'a'));
    ExpectNoRecord();
}

} // namespace

namespace {

// The scan's index read against the two calls it stands for, on one path: the same answer,
// damage, error record and trap calls.
class IndexHackTest : public PackageLoad {
protected:
    struct Outcome {
        bool HasHackCode = false;
        std::int32_t Damage = 0;
        std::int32_t Location = 0;
        std::string Data;
        std::vector<std::string> Traps;
        bool operator==(const Outcome&) const = default;
    };

    Outcome Record(bool hasHackCode, std::int32_t damage)
    {
        Outcome outcome{hasHackCode, damage, glngErrLocation, gstrErrData, {}};
        for (const testsupport::TrapCall& call : trapCalls)
            outcome.Traps.push_back(std::to_string(call.Location) + " " + std::to_string(call.Number) + " " +
                                    call.Procedure + " " + call.Data);
        trapCalls.clear();
        return outcome;
    }

    void ExpectTheSame(const std::string& path, const std::string& what)
    {
        const platform::FoundFile file{path, nullptr, {}};
        std::vector<PackageIndexEntry> index;
        PackageDamage damage;
        gsLoadPackageIndexOnly(file, index, damage);
        const bool twoCalls = damage.Number == 0 && gfblnHasHackCode(index);
        const Outcome expected = Record(twoCalls, damage.Number);
        glngErrLocation = 0;
        gstrErrData = "stale";
        std::vector<char> buffer(7, 'x');
        const bool oneCall = gfblnLoadIndexHasHackCode(file, damage, buffer);
        EXPECT_EQ(Record(oneCall, damage.Number), expected) << what;
    }
};

TEST_F(IndexHackTest, TheScansIndexReadAnswersAsLoadingTheIndexAndTestingIt)
{
    PackagePlan hack = SamplePlan(2);
    PackagePlan ignored = SamplePlan(1);
    ignored.Resources[0].Group = kIgnoredGroup;
    PackagePlan none;
    const std::vector<std::pair<std::string, PackagePlan>> plans = {
        {"hack", hack}, {"hack, 20-byte entries", SamplePlan(1)}, {"behaviour only in the ignored group", ignored},
        {"no resources", none}};
    for (const auto& [what, plan] : plans) {
        const BuiltPackage built = gudtBuildPackage(plan);
        for (std::size_t length : {built.Bytes.size(), built.Bytes.size() - 1, built.IndexOffset + 4, std::size_t{95},
                                   std::size_t{0}})
            ExpectTheSame(Put(built.Bytes.substr(0, length)), what + " cut at " + std::to_string(length));
        BuiltPackage spoiled = built;
        gsPatchInt32(spoiled.Bytes, kIndexOffsetField, -4);
        ExpectTheSame(Put(spoiled.Bytes), what + ", negative index offset");
        gsPatchInt32(spoiled.Bytes, kIndexOffsetField, 0);
        gsPatchInt32(spoiled.Bytes, kIndexCountField, -3);
        ExpectTheSame(Put(spoiled.Bytes), what + ", negative count");
    }
    ExpectTheSame(WinPath(Scratch() / "absent.package"), "missing file");
    ExpectTheSame(WinPath(Scratch()) + "\\" + std::string(300, 'n') + ".package", "unusable name");
    ExpectTheSame(WinPath(Scratch()), "a folder");
}

} // namespace
