#include "app/FindHacks.h"
#include "app/ScanCommand.h"
#include "app/modSims2General.h"
#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"
#include "platform/Folders.h"
#include "support/PackageWriter.h"
#include "support/TestSupport.h"

namespace {

using namespace writer;

Resource Hack(std::uint32_t type, std::uint32_t group, std::uint32_t instance, const std::string& name,
              bool compress = false)
{
    return Resource{type, group, instance, 0, gfstrBehaviourBody(name, 40), compress};
}

// A game whose data folder lives in the scratch folder, and a program folder with its temp
// folder; the scan command runs with a fixed date text.
class ScanReport : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        gsInitTypeIDs();
        std::filesystem::create_directories(Scratch() / "program" / "temp");
        std::filesystem::create_directories(Downloads());
        platform::gsSetAppPath(WinPath(Scratch() / "program"));
        gstrSims2DataPath = WinPath(Scratch() / "Docs" / "EA Games" / "The Sims 2");
    }
    void TearDown() override
    {
        platform::gsSetFaultHook({});
        platform::gsSetAppPath("");
        TrapTest::TearDown();
    }

    std::filesystem::path Downloads() const { return Scratch() / "Docs" / "EA Games" / "The Sims 2" / "Downloads"; }

    void Put(const std::string& relative, const PackagePlan& plan)
    {
        WriteFile(Downloads() / relative, gudtBuildPackage(plan).Bytes);
    }

    // Runs the Scan command; returns the report file's bytes.
    std::string Scan()
    {
        ScanCommandHooks hooks;
        hooks.MoveFocusToSink = [this] { ++focusMoves; };
        hooks.ShowScanForm = [this](const std::string& meshPath) {
            shownMeshPath = meshPath;
            gfblnFindHacks(meshPath, [this](std::int32_t done, std::int32_t count) { drawings.emplace_back(done, count); });
        };
        hooks.DateText = [] { return std::string("12/6/2026 6:30:00 AM"); };
        EXPECT_TRUE(gfblnScanCommand(hooks, displayText));
        return ReadFile(Scratch() / "program" / "temp" / "hackreport.txt");
    }

    static std::string Lines(std::initializer_list<std::string> lines)
    {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\r\n";
        return text;
    }

    int focusMoves = 0;
    std::string shownMeshPath;
    std::string displayText;
    std::vector<std::pair<std::int32_t, std::int32_t>> drawings;
};

TEST_F(ScanReport, NoConflictsGiveFiveLines)
{
    Put("Alone.package", {2, {Hack(kTypeBHAV, 0x7F000001, 1, "Alone")}, {}});
    PackagePlan content;
    content.Resources = {{kTypeOBJD, 1, 1, 0, "object", false}};
    Put("Chair.package", content);
    const std::string expected =
        Lines({"Report Start 12/6/2026 6:30:00 AM", " ", "End Of Report", " ", "0 possible conflicts detected."});
    EXPECT_EQ(Scan(), expected);
    EXPECT_EQ(displayText, expected);
    EXPECT_EQ(shownMeshPath, gstrSims2DataPath + "\\downloads");
    EXPECT_EQ(focusMoves, 1);
    EXPECT_EQ(gflngUBound(gudtBHAVTable), 1);
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(ScanReport, ConflictsOfAllFourTypesInTableOrder)
{
    // Scan order: the two root files by name, then folder A, then folder B.
    Put("First.package", {2,
                          {Hack(kTypeTTAs, 0x7F000003, 0x80, "strings"), Hack(kTypeBHAV, 0x7F000001, 0x1001, "Main Loop", true),
                           Hack(kTypeBCON, 0x7F000001, 0x1001, "Same pair, other table"),
                           Hack(kTypeTTAB, 0x7F000003, 0x80, "menu"), Hack(kTypeBHAV, 0x00000001, 0x00000002, "")},
                          {}});
    Put("Second.package", {1,
                           {Hack(kTypeBHAV, 0x7F000001, 0x1001, "Renamed Main Loop"), Hack(kTypeTTAs, 0x7F000003, 0x80, "x"),
                            Hack(kTypeBHAV, 0x00000001, 0x00000002, "not kept"),
                            Hack(kTypeBHAV, kIgnoredGroup, 0x1001, "ignored")},
                           {}});
    Put("A/Third.package", {2, {Hack(kTypeTTAB, 0x7F000003, 0x80, "menu 3", true)}, {}});
    Put("B/Fourth.package", {2, {Hack(kTypeTTAB, 0x7F000003, 0x80, "menu 4")}, {}});
    Put("B/Twice.package", {2, {Hack(kTypeBCON, 0x7F000009, 0x1, "a"), Hack(kTypeBCON, 0x7F000009, 0x1, "b")}, {}});

    const std::string expected = Lines({
        "Report Start 12/6/2026 6:30:00 AM", " ",
        "*** POSSIBLE CONFLICT DETECTED ***", "File Type: BHAV", "Procedure Name: Main Loop",
        "Group ID: 0x7F000001", "Instance ID: 0x00001001", "Packages Containing This Procedure:",
        "\\downloads\\First.package", "\\downloads\\Second.package", " ",
        "*** POSSIBLE CONFLICT DETECTED ***", "File Type: BHAV", "Procedure Name: ",
        "Group ID: 0x00000001", "Instance ID: 0x00000002", "Packages Containing This Procedure:",
        "\\downloads\\First.package", "\\downloads\\Second.package", " ",
        "*** POSSIBLE CONFLICT DETECTED ***", "File Type: BCON",
        "Group ID: 0x7F000009", "Instance ID: 0x00000001", "Packages Containing This Constant File:",
        "\\downloads\\B\\Twice.package", "\\downloads\\B\\Twice.package", " ",
        "*** POSSIBLE CONFLICT DETECTED ***", "File Type: TTAB",
        "Group ID: 0x7F000003", "Instance ID: 0x00000080", "Packages Containing This Menu File:",
        "\\downloads\\First.package", "\\downloads\\A\\Third.package", "\\downloads\\B\\Fourth.package", " ",
        "*** POSSIBLE CONFLICT DETECTED ***", "File Type: TTAs",
        "Group ID: 0x7F000003", "Instance ID: 0x00000080", "Packages Containing This Menu Strings File:",
        "\\downloads\\First.package", "\\downloads\\Second.package", " ",
        "End Of Report", " ", "5 possible conflicts detected.",
    });
    EXPECT_EQ(Scan(), expected);
    EXPECT_EQ(displayText, expected);
    EXPECT_EQ(gudtBCONTable[1].ResourceName, "Same pair, other table");
    EXPECT_TRUE(trapCalls.empty());
}

// A name is bytes of the resource: the file keeps them as they are, and the text shown has a
// line for each piece of a name split by a lone CR or LF, in UTF-8.
TEST_F(ScanReport, NamesWithLineBreaksAreShownAsLines)
{
    for (const char* name : {"One.package", "Two.package"})
        Put(name, {2, {Hack(kTypeBHAV, 0x7F000001, 0x1, "Two\nLines\rCaf\xE9")}, {}});
    const std::string block = "Group ID: 0x7F000001\r\nInstance ID: 0x00000001\r\nPackages Containing This Procedure:\r\n"
                              "\\downloads\\One.package\r\n\\downloads\\Two.package\r\n \r\n";
    const std::string file = Scan();
    EXPECT_NE(file.find("Procedure Name: Two\nLines\rCaf\xE9\r\n" + block), std::string::npos) << file;
    EXPECT_NE(displayText.find("Procedure Name: Two\r\nLines\r\nCaf\xC3\xA9\r\n" + block), std::string::npos) << displayText;
    EXPECT_EQ(displayText.size(), file.size() + 3);  // two CRs added, and é takes two bytes
}

TEST_F(ScanReport, DamagedPackagesAreListedAndTheScanGoesOn)
{
    BuiltPackage cut = gudtBuildPackage({2, {Hack(kTypeBHAV, 0x7F000001, 1, "cut")}, {}});
    cut.Bytes.resize(cut.Bytes.size() - 3);
    WriteFile(Downloads() / "Cut.package", cut.Bytes);
    BuiltPackage badResource = gudtBuildPackage({2, {Hack(kTypeBHAV, 0x7F000001, 1, "bad"), Hack(kTypeBHAV, 0x7F000001, 2, "x")}, {}});
    gsPatchInt32(badResource.Bytes, badResource.OffsetField(1), -1);
    WriteFile(Downloads() / "Hacks" / "BadResource.package", badResource.Bytes);
    Put("Hacks/Good.package", {2, {Hack(kTypeBHAV, 0x7F000001, 1, "good")}, {}});
    Put("Hacks/Good2.package", {2, {Hack(kTypeBHAV, 0x7F000001, 1, "good 2")}, {}});

    const std::string expected = Lines({
        "Report Start 12/6/2026 6:30:00 AM", " ",
        "*** POSSIBLE CONFLICT DETECTED ***", "File Type: BHAV", "Procedure Name: good",
        "Group ID: 0x7F000001", "Instance ID: 0x00000001", "Packages Containing This Procedure:",
        "\\downloads\\Hacks\\Good.package", "\\downloads\\Hacks\\Good2.package", " ",
        "End Of Report", " ", "1 possible conflicts detected.", " ",
        "The following packages could not be read:",
        "\\downloads\\Cut.package  Error Code: 62 - Input past end of file",
        "\\downloads\\Hacks\\BadResource.package  Error Code: 63 - Bad record number",
        " ",
    });
    EXPECT_EQ(Scan(), expected);
    EXPECT_TRUE(trapCalls.empty());
}

// A listed package's step is over: a later failure that has nothing to do with it (here the
// report cannot be written because temp is a file) reports no file name of it.
TEST_F(ScanReport, AnUnreadablePackageLeavesNoFileNameBehind)
{
    BuiltPackage cut = gudtBuildPackage({2, {Hack(kTypeBHAV, 0x7F000001, 1, "cut")}, {}});
    cut.Bytes.resize(cut.Bytes.size() - 3);
    WriteFile(Downloads() / "z.package", cut.Bytes);
    std::filesystem::remove_all(Scratch() / "program" / "temp");
    WriteFile(Scratch() / "program" / "temp", "a file where the folder was");

    ScanCommandHooks hooks;
    hooks.MoveFocusToSink = [] {};
    hooks.ShowScanForm = [](const std::string& meshPath) { gfblnFindHacks(meshPath, {}); };
    hooks.DateText = [] { return std::string("12/6/2026 6:30:00 AM"); };
    EXPECT_FALSE(gfblnScanCommand(hooks, displayText));
    EXPECT_EQ(gflngUBound(gudtUnreadablePackages), 1);
    ASSERT_EQ(trapCalls.size(), 1u);
    EXPECT_EQ(trapCalls[0].Data, "");
    EXPECT_EQ(trapCalls[0].Procedure, "cmdScan_Click");
}

TEST_F(ScanReport, ASecondScanReplacesTheFirst)
{
    Put("One.package", {2, {Hack(kTypeBHAV, 0x7F000001, 1, "one")}, {}});
    Put("Two.package", {2, {Hack(kTypeBHAV, 0x7F000001, 1, "two")}, {}});
    EXPECT_NE(Scan().find("1 possible conflicts detected."), std::string::npos);
    std::filesystem::remove(Downloads() / "Two.package");
    const std::string expected =
        Lines({"Report Start 12/6/2026 6:30:00 AM", " ", "End Of Report", " ", "0 possible conflicts detected."});
    EXPECT_EQ(Scan(), expected);
    EXPECT_EQ(displayText, expected);
}

// Another run (a second window, a script) may replace the report file at any moment: what this
// scan shows is what it wrote, and the file is one whole report, never a mix or a cut one.
TEST_F(ScanReport, TheReportShownIsTheOneWrittenWhateverReplacesTheFile)
{
    Put("One.package", {2, {Hack(kTypeBHAV, 0x7F000001, 1, "one")}, {}});
    Put("Two.package", {2, {Hack(kTypeBHAV, 0x7F000001, 1, "two")}, {}});
    const std::filesystem::path file = Scratch() / "program" / "temp" / "hackreport.txt";
    // The other run's report lands while this one is being written or shown.
    platform::gsSetFaultHook([&](platform::FileOperation operation, std::string_view path) -> std::int32_t {
        if (operation == platform::FileOperation::OpenFile && path.ends_with("hackreport.txt"))
            WriteFile(file, Lines({"Report Start another run", " ", "End Of Report", " ", "0 possible conflicts detected."}));
        return 0;
    });
    const std::string written = Scan();
    platform::gsSetFaultHook({});
    EXPECT_EQ(displayText, written);
    EXPECT_NE(displayText.find("1 possible conflicts detected."), std::string::npos);
}

// Package names begin at the scanned Downloads folder's own name, not at a folder of that name
// above it.
TEST(RelativeName, StartsAtTheScannedDownloadsFolder)
{
    const std::string mesh = "D:\\Downloads\\Docs\\EA Games\\The Sims 2\\downloads";
    EXPECT_EQ(mfstrRelativePackageName(mesh + "\\Hacks\\Fix.package", mesh), "\\downloads\\Hacks\\Fix.package");
    EXPECT_EQ(mfstrRelativePackageName(mesh + "\\Downloads\\Fix.package", mesh), "\\downloads\\Downloads\\Fix.package");
    // Outside the scanned folder, the first such folder of the path, as without one.
    EXPECT_EQ(mfstrRelativePackageName("C:\\X\\Downloads\\a.package", mesh), "\\Downloads\\a.package");
    EXPECT_THROW(mfstrRelativePackageName("C:\\Docs\\a.package", mesh), Failure);
}

TEST_F(ScanReport, ProgressFollowsTheStepRule)
{
    for (int count : {24, 25}) {
        std::filesystem::remove_all(Downloads());
        for (int i = 0; i < count; ++i)
            Put("P" + std::to_string(100 + i) + ".package", {2, {{kTypeOBJD, 1, 1, 0, "o", false}}, {}});
        drawings.clear();
        Scan();
        std::vector<std::pair<std::int32_t, std::int32_t>> expected;
        const int step = count / 25 + 1;
        for (int m = step; m <= count; m += step)
            expected.emplace_back(m, count);
        EXPECT_EQ(drawings, expected) << count;
        EXPECT_EQ(drawings.back(), std::make_pair(24, count)) << count; // 25 is no multiple of 2
    }
}

TEST(RelativeName, StartsAtTheFirstDownloadsFolder)
{
    EXPECT_EQ(mfstrRelativePackageName("C:\\Docs\\EA Games\\The Sims 2\\downloads\\Hacks\\Fix.package"),
              "\\downloads\\Hacks\\Fix.package");
    EXPECT_EQ(mfstrRelativePackageName("C:\\X\\DownLoads Old\\Downloads\\a.package"), "\\DownLoads Old\\Downloads\\a.package");
    EXPECT_THROW(mfstrRelativePackageName("C:\\Docs\\a.package"), Failure);
}

} // namespace
