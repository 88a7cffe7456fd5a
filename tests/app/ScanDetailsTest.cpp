// What the details window shows of a scan: the summary, the verdicts and what the list hides,
// searching, sorting, a package pair's conflicts, each conflict's packages with the winner, the
// review marks, and the texts that Copy and Save give.

#include "app/FindHacks.h"
#include "app/ScanDetails.h"
#include "package/modSimsPackage.h"
#include "support/PackageWriter.h"
#include "support/ScratchDownloads.h"

#include <nlohmann/json.hpp>

#include <functional>

namespace {

using namespace writer;

Resource Hack(std::uint32_t type, std::uint32_t instance, const std::string& name, const std::string& body)
{
    return Resource{type, 0x7F000001, instance, 0, gfstrBehaviourBody(name, 0) + body, false};
}

class ScanDetailsTest : public testsupport::DownloadsTest {
protected:
    // A scan as the window program runs it: the report, then the details, remembered.
    ScanDetails Scan()
    {
        EXPECT_TRUE(gfblnFindHacks(MeshPath(), {}));
        std::optional<ScanDetails> details = gudtDetailsOfLastScan(MeshPath(), "09/12/2026 18:00:00");
        EXPECT_TRUE(details.has_value());
        return details ? std::move(*details) : ScanDetails();
    }

    // Four conflicts: T is identical in A and B, U and V differ between A and B, W differs
    // between B and the subfolder's C.
    void PutFour()
    {
        Put("A.package", {Hack(kTypeBCON, 1, "Tuning", "same"), Hack(kTypeBHAV, 2, "Main", "a"),
                          Hack(kTypeTTAB, 3, "Menu, \"quoted\"", "a")});
        Put("B.package", {Hack(kTypeBCON, 1, "Tuning", "same"), Hack(kTypeBHAV, 2, "Main", "b"),
                          Hack(kTypeTTAB, 3, "Menu, \"quoted\"", "b"), Hack(kTypeBHAV, 4, "Other", "b")});
        Put("Sub/C.package", {Hack(kTypeBHAV, 4, "Other", "c")});
    }

    static std::vector<std::string> Column(const ScanDetails& details, ConflictColumn column)
    {
        std::vector<std::string> cells;
        for (std::size_t row = 0; row < details.ConflictRowCount(); ++row)
            cells.push_back(details.ConflictCell(row, column));
        return cells;
    }
};

TEST_F(ScanDetailsTest, SummaryVerdictsAndWhatTheListHides)
{
    PutFour();
    ScanDetails details = Scan();
    EXPECT_EQ(details.SummaryLine(), "4 possible conflicts: 1 harmless (every copy identical), 3 to look at");
    EXPECT_EQ(details.ShowQuietText(), "Show 1 harmless or reviewed");
    EXPECT_EQ(Column(details, ConflictColumn::Name), (std::vector<std::string>{"Main", "Other", "Menu, \"quoted\""}));
    EXPECT_EQ(Column(details, ConflictColumn::Type), (std::vector<std::string>{"BHAV", "BHAV", "TTAB"}));
    EXPECT_EQ(details.ConflictCell(1, ConflictColumn::Winner), "C.package");
    EXPECT_EQ(details.ConflictCell(0, ConflictColumn::Instance), "0x00000002");
    EXPECT_EQ(details.ConflictCell(0, ConflictColumn::Packages), "2");
    EXPECT_EQ(details.ConflictCell(0, ConflictColumn::New), "");

    details.SetShowQuiet(true);
    ASSERT_EQ(details.ConflictRowCount(), 4u);
    // In the report's order: the BHAV table, then BCON, then TTAB.
    EXPECT_EQ(details.ConflictCell(2, ConflictColumn::Verdict), "harmless: identical copies");
    EXPECT_EQ(details.ConflictCell(0, ConflictColumn::Verdict), "to look at");

    // The packages of a conflict in load order, each against the winner's copy.
    const std::size_t other = details.ConflictOfRow(1);
    ASSERT_EQ(details.PackageRowCount(other), 2u);
    EXPECT_EQ(details.PackageCell(other, 0, PackageColumn::Package), "\\downloads\\B.package");
    EXPECT_EQ(details.PackageCell(other, 0, PackageColumn::Copy), "differs from the winner's");
    EXPECT_EQ(details.PackageCell(other, 1, PackageColumn::Copy),
              "winner, loaded last: the game loads a folder's files in name order, then its subfolders");
    const std::size_t tuning = details.ConflictOfRow(2);
    EXPECT_EQ(details.PackageCell(tuning, 0, PackageColumn::Copy), "the same as the winner's");
    EXPECT_EQ(details.PackagePath("\\downloads\\Sub\\C.package"), MeshPath() + "\\Sub\\C.package");
    // Past the end: empty, never a fault.
    EXPECT_EQ(details.PackageCell(other, 9, PackageColumn::Copy), "");
    EXPECT_EQ(details.ConflictCell(99, ConflictColumn::Name), "");
}

TEST_F(ScanDetailsTest, SearchSortAndThePackagesOfAPair)
{
    PutFour();
    ScanDetails details = Scan();
    details.SetShowQuiet(true);

    // Searching ignores letter case and looks at resource and package names.
    details.SetSearch("MENU");
    EXPECT_EQ(Column(details, ConflictColumn::Name), (std::vector<std::string>{"Menu, \"quoted\""}));
    details.SetSearch("sub\\c");
    EXPECT_EQ(Column(details, ConflictColumn::Name), (std::vector<std::string>{"Other"}));
    details.SetSearch("");

    details.SortConflicts(ConflictColumn::Name, true);
    EXPECT_EQ(Column(details, ConflictColumn::Name),
              (std::vector<std::string>{"Main", "Menu, \"quoted\"", "Other", "Tuning"}));
    details.SortConflicts(ConflictColumn::Type, false);
    EXPECT_EQ(Column(details, ConflictColumn::Type), (std::vector<std::string>{"TTAB", "BHAV", "BHAV", "BCON"}));
    EXPECT_EQ(Column(details, ConflictColumn::Name)[1], "Main");  // equal keys keep the report's order

    // The Packages list: A and B share three rows, B and C one.
    ASSERT_EQ(details.OverlapRowCount(), 2u);
    EXPECT_EQ(details.OverlapCell(0, OverlapColumn::Packages), "A.package and B.package");
    EXPECT_EQ(details.OverlapCell(0, OverlapColumn::Winner), "\\downloads\\B.package");
    EXPECT_EQ(details.OverlapCell(0, OverlapColumn::Shared), "3");
    EXPECT_EQ(details.OverlapCell(0, OverlapColumn::Identical), "1");
    EXPECT_EQ(details.OverlapCell(0, OverlapColumn::Verdict), "where they differ, the one loaded last wins");
    EXPECT_EQ(details.PairsOmittedText(), "");
    details.SetOverlapFilter(1);
    EXPECT_EQ(Column(details, ConflictColumn::Name), (std::vector<std::string>{"Other"}));
    EXPECT_EQ(details.ShowQuietText(), "Show 0 harmless or reviewed");
    details.SetOverlapFilter(std::nullopt);
    EXPECT_EQ(details.ConflictRowCount(), 4u);
    details.SetOverlapFilter(7);  // no such row: no filter
    EXPECT_EQ(details.ConflictRowCount(), 4u);
}

// Each conflict's row follows every change of the rows shown: a window selects its conflicts
// again by it.
TEST_F(ScanDetailsTest, TheRowOfEachConflictFollowsTheRowsShown)
{
    PutFour();
    ScanDetails details = Scan();
    const struct {
        const char* change;
        std::function<void()> make;
    } changes[] = {
        {"as opened", [] {}},
        {"harmless shown", [&] { details.SetShowQuiet(true); }},
        {"sorted by name", [&] { details.SortConflicts(ConflictColumn::Name, true); }},
        {"sorted by type, descending", [&] { details.SortConflicts(ConflictColumn::Type, false); }},
        {"searched", [&] { details.SetSearch("m"); }},
        {"a pair's conflicts",
         [&] {
             details.SetSearch("");
             details.SetOverlapFilter(1);
         }},
        {"every package's", [&] { details.SetOverlapFilter(std::nullopt); }},
        {"one reviewed, quiet hidden",
         [&] {
             details.MarkReviewed({details.ConflictOfRow(0)}, true);
             details.SetShowQuiet(false);
         }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.change);
        change.make();
        std::vector<std::optional<std::size_t>> expected(details.Facts().Conflicts.size() + 1);
        for (std::size_t row = 0; row < details.ConflictRowCount(); ++row)
            expected[details.ConflictOfRow(row)] = row;
        std::vector<std::optional<std::size_t>> rows;
        for (std::size_t conflict = 0; conflict < expected.size(); ++conflict)
            rows.push_back(details.RowOfConflict(conflict));
        EXPECT_EQ(rows, expected);
    }
}

// A copy of one mod in two folders is one Packages row that names the copy the game uses.
TEST_F(ScanDetailsTest, CopiesOfOneModAreOneRowThatFiltersTheirConflicts)
{
    Put("Fix.package", {Hack(kTypeBHAV, 1, "Main", "same")});
    Put("Old/Fix.package", {Hack(kTypeBHAV, 1, "Main", "same")});
    Put("Rival.package", {Hack(kTypeBHAV, 5, "Rival", "r")});
    Put("Zed.package", {Hack(kTypeBHAV, 5, "Rival", "z")});
    ScanDetails details = Scan();
    ASSERT_EQ(details.OverlapRowCount(), 2u);
    EXPECT_EQ(details.OverlapCell(0, OverlapColumn::Packages), "Fix.package");
    EXPECT_EQ(details.OverlapCell(0, OverlapColumn::Verdict),
              "2 copies in different folders; the game uses the one in \\downloads\\Old; keep one");
    details.SetShowQuiet(true);
    details.SetOverlapFilter(0);
    EXPECT_EQ(Column(details, ConflictColumn::Name), (std::vector<std::string>{"Main"}));
}

// A review shows in the verdict and the counts, is kept for the next scan of the program, and
// ends when a package changes; a new package makes its conflict new.
TEST_F(ScanDetailsTest, ReviewsAndNewConflictsAcrossScans)
{
    PutFour();
    {
        ScanDetails details = Scan();
        details.MarkReviewed({details.ConflictOfRow(0), details.ConflictOfRow(2)}, true);
        EXPECT_EQ(details.ConflictRowCount(), 1u);
        EXPECT_EQ(details.SummaryLine(), "4 possible conflicts: 1 harmless (every copy identical), 1 to look at, 2 reviewed");
        EXPECT_EQ(details.ShowQuietText(), "Show 3 harmless or reviewed");
        details.SetShowQuiet(true);
        EXPECT_EQ(details.ConflictCell(0, ConflictColumn::Verdict), "reviewed");
    }
    {
        ScanDetails details = Scan();
        EXPECT_EQ(details.SummaryLine(), "4 possible conflicts: 1 harmless (every copy identical), 1 to look at, 2 reviewed");
        EXPECT_EQ(Column(details, ConflictColumn::Name), (std::vector<std::string>{"Other"}));
        details.SetShowQuiet(true);
        details.MarkReviewed({details.ConflictOfRow(0)}, false);
    }
    // B's Main changes: its review ends. D joins Other: that conflict is new.
    Put("B.package", {Hack(kTypeBCON, 1, "Tuning", "same"), Hack(kTypeBHAV, 2, "Main", "b2"),
                      Hack(kTypeTTAB, 3, "Menu, \"quoted\"", "b"), Hack(kTypeBHAV, 4, "Other", "b")});
    Put("Sub/D.package", {Hack(kTypeBHAV, 4, "Other", "d")});
    ScanDetails details = Scan();
    EXPECT_EQ(details.SummaryLine(),
              "4 possible conflicts: 1 harmless (every copy identical), 2 to look at, 1 new since the last scan, 1 reviewed");
    EXPECT_EQ(Column(details, ConflictColumn::Name), (std::vector<std::string>{"Main", "Other"}));
    EXPECT_EQ(Column(details, ConflictColumn::New), (std::vector<std::string>{"", "new"}));
}

TEST_F(ScanDetailsTest, CopyAndSaveTexts)
{
    PutFour();
    ScanDetails details = Scan();
    const std::string all = details.CopyText({});
    EXPECT_TRUE(all.starts_with("Clashwick " )) << all;
    EXPECT_NE(all.find("\nDownloads folder: " + MeshPath() + "\nDate: 09/12/2026 18:00:00\n"
                       "4 possible conflicts: 1 harmless (every copy identical), 3 to look at\n\n"
                       "4 possible conflicts, 1 of them harmless (every copy identical).\n"),
              std::string::npos)
        << all;
    EXPECT_NE(all.find("Packages that hold the same resources"), std::string::npos);
    EXPECT_EQ(details.SaveText(SaveKind::Explained), all);

    // The chosen conflicts only.
    const std::string one = details.CopyText({details.ConflictOfRow(1)});
    EXPECT_NE(one.find("1 possible conflict, 0 of them harmless"), std::string::npos) << one;
    EXPECT_NE(one.find("BHAV \"Other\""), std::string::npos) << one;
    EXPECT_EQ(one.find("\"Main\""), std::string::npos) << one;
    EXPECT_EQ(one.find("Packages that hold"), std::string::npos) << one;

    EXPECT_EQ(nlohmann::json::parse(details.SaveText(SaveKind::Json))["conflicts"].size(), 4u);
    const std::string csv = details.SaveText(SaveKind::Csv);
    EXPECT_TRUE(csv.starts_with("type,group,instance,name,package,copy,winner,identical,new,reviewed\r\n")) << csv;
    EXPECT_NE(csv.find("\r\nTTAB,0x7F000001,0x00000003,\"Menu, \"\"quoted\"\"\",\\downloads\\B.package,2,yes,no,no,no\r\n"),
              std::string::npos)
        << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1 + 8);  // one line per conflict and package
}

// The details keep their own names: the next scan empties the scan's store, and what the
// window still draws of the last details stays whole.
TEST_F(ScanDetailsTest, DetailsOutliveTheNextScan)
{
    PutFour();
    ScanDetails details = Scan();
    std::filesystem::remove_all(Downloads());
    Put("Z.package", {Hack(kTypeBHAV, 9, "Z", "z")});
    ASSERT_TRUE(gfblnFindHacks(MeshPath(), {}));
    details.SetShowQuiet(true);
    EXPECT_EQ(details.PackageCell(details.ConflictOfRow(1), 1, PackageColumn::Package), "\\downloads\\Sub\\C.package");
    EXPECT_EQ(details.OverlapCell(1, OverlapColumn::Winner), "\\downloads\\Sub\\C.package");
    EXPECT_NE(details.CopyText({}).find("\\downloads\\Sub\\C.package"), std::string::npos);
}

} // namespace
