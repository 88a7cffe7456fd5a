// What the main window keeps of the last scan's details: none until a scan's are read, the
// details read before stay in place until the next scan's are read, reading again reads
// nothing, and a scan that fails leaves the details as they were.

#include "app/FindHacks.h"
#include "app/LastScanDetails.h"
#include "app/modSims2General.h"
#include "support/ScratchDownloads.h"

namespace {

using namespace writer;

Resource Hack(std::uint32_t type, std::uint32_t instance, const std::string& body)
{
    return Resource{type, 0x7F000001, instance, 0, gfstrBehaviourBody("Hack", 0) + body, false};
}

class LastScanDetailsTest : public testsupport::DownloadsTest {
protected:
    void SetUp() override
    {
        DownloadsTest::SetUp();
        gstrSims2DataPath = WinPath(Scratch() / "Docs");
    }
    void TearDown() override
    {
        gstrSims2DataPath.clear();
        DownloadsTest::TearDown();
    }

    // Scan as the main window runs it, its report dated `date`.
    bool Scan(LastScanDetails& last, const std::string& date)
    {
        ScanCommandHooks hooks;
        hooks.MoveFocusToSink = [] {};
        hooks.ShowScanForm = [](const std::string& meshPath) { gfblnFindHacks(meshPath, {}); };
        hooks.DateText = [date] { return date; };
        std::string displayText;
        return last.RunScan(hooks, displayText);
    }

    // The date the details give in the heading of what Copy takes.
    static std::string DateOf(const ScanDetails& details)
    {
        const std::string text = details.CopyText({});
        const std::size_t start = text.find("Date: ");
        return start == std::string::npos ? std::string() : text.substr(start + 6, text.find('\n', start) - start - 6);
    }
};

TEST_F(LastScanDetailsTest, DetailsStayUntilTheNextScansAreRead)
{
    LastScanDetails last;
    EXPECT_FALSE(last.Prepare());
    EXPECT_EQ(last.Details(), nullptr);

    Put("A.package", {Hack(kTypeBHAV, 1, "a")});
    Put("B.package", {Hack(kTypeBHAV, 1, "b")});
    ASSERT_TRUE(Scan(last, "first"));
    EXPECT_TRUE(last.Pending());
    EXPECT_EQ(last.Details(), nullptr);
    ASSERT_TRUE(last.Prepare());
    EXPECT_FALSE(last.Pending());
    ScanDetails* const first = last.Details();
    EXPECT_EQ(first->SummaryLine(), "1 possible conflict: 0 harmless (every copy identical), 1 to look at");
    EXPECT_EQ(first->DownloadsFolder(), MeshPath());
    EXPECT_EQ(DateOf(*first), "first");

    // Details... clicked again reads nothing again: what the window chose on the details stays.
    first->SetSearch("hack");
    EXPECT_TRUE(last.Prepare());
    EXPECT_EQ(last.Details()->Search(), "hack");

    // Until the next scan's details are read, an open window draws the first scan's, whole and
    // where they were.
    Put("C.package", {Hack(kTypeBCON, 2, "c")});
    Put("D.package", {Hack(kTypeBCON, 2, "d")});
    ASSERT_TRUE(Scan(last, "second"));
    EXPECT_TRUE(last.Pending());
    EXPECT_EQ(last.Details(), first);
    EXPECT_EQ(first->SummaryLine(), "1 possible conflict: 0 harmless (every copy identical), 1 to look at");
    EXPECT_EQ(first->PackageOfRow(first->ConflictOfRow(0), 1), "\\downloads\\B.package");
    EXPECT_EQ(DateOf(*first), "first");

    ASSERT_TRUE(last.Prepare());
    EXPECT_EQ(last.Details(), first);  // in the same place, so a window's pointer stays good
    EXPECT_EQ(first->SummaryLine(),
              "2 possible conflicts: 0 harmless (every copy identical), 2 to look at, 1 new since the last scan");
    EXPECT_EQ(DateOf(*first), "second");

    // A scan that fails (its report cannot be written: temp is a file) leaves nothing to read and
    // the details as they were.
    std::filesystem::remove_all(Temp());
    WriteFile(Temp(), "a file where the folder was");
    EXPECT_FALSE(Scan(last, "third"));
    EXPECT_EQ(trapCalls.size(), 1u);
    EXPECT_FALSE(last.Pending());
    EXPECT_TRUE(last.Prepare());
    EXPECT_EQ(DateOf(*last.Details()), "second");
}

} // namespace
