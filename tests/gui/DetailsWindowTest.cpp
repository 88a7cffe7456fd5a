// The details window in use: the main window's Details... button after a scan, the summary and
// the lists as the details model gives them, what the check box and the search hide, the
// Packages list's filter, a review that outlives the program, a new scan that refreshes an open
// window, and Copy, Save... and Show in folder.

#include "WindowTestSupport.h"

#include "gui/frmDetails.h"
#include "gui/frmHackMain.h"
#include "package/modSimsPackage.h"
#include "platform/Shell.h"
#include "support/PackageWriter.h"
#include "support/SampleGame.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableView>

#include <nlohmann/json.hpp>

namespace {

using windowtest::WindowTest;

// Lets the event loop run until `done` holds, for at most two seconds.
template <class Done>
bool WaitFor(Done done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

std::string Cell(const QTableView& list, int row, int column)
{
    return list.model()->data(list.model()->index(row, column)).toString().toStdString();
}

class DetailsWindow : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        gsInitTypeIDs();
        writer::gsMakeSampleGame(Game());
        setenv("WINEPREFIX", Game().c_str(), 1);
    }

    std::filesystem::path Game() const { return Scratch() / "game"; }

    // A main window that has scanned the sample game and opened its details.
    frmDetails& ScanAndOpen(frmHackMain& window)
    {
        EXPECT_TRUE(window.Form_Load());
        EXPECT_TRUE(ShowActive(window));
        EXPECT_TRUE(window.cmdDetails->isHidden());
        window.cmdScan->click();
        EXPECT_TRUE(WaitFor([&] { return window.cmdDetails->isVisible(); }));
        EXPECT_TRUE(window.cmdDetails->isEnabled());
        window.cmdDetails->click();
        EXPECT_NE(window.DetailsForm(), nullptr);
        return *window.DetailsForm();
    }
};

TEST_F(DetailsWindow, ShowsTheSummaryAndTheListsOfTheLastScan)
{
    frmHackMain window;
    frmDetails& details = ScanAndOpen(window);
    EXPECT_TRUE(details.isVisible());
    EXPECT_FALSE(details.isModal());
    EXPECT_EQ(details.windowTitle(), "Clashwick - Details");
    // It fits the screen, however small (the offscreen screen is smaller than its first size).
    const QRect free = details.screen()->availableGeometry();
    EXPECT_LE(details.width(), free.width());
    EXPECT_LE(details.height(), free.height());
    EXPECT_EQ(details.lblSummary->text(), "5 possible conflicts: 3 harmless (every copy identical), 2 to look at");
    EXPECT_TRUE(std::filesystem::exists(AppFolder() / "temp" / "lastscan.json"));
    EXPECT_TRUE(trapCalls.empty());

    // The two conflicts to look at; the harmless behind the check box.
    const QTableView& conflicts = *details.tblConflicts;
    EXPECT_EQ(conflicts.accessibleName(), "Conflicts");
    ASSERT_EQ(conflicts.model()->rowCount(), 2);
    EXPECT_EQ(conflicts.model()->headerData(0, Qt::Horizontal).toString(), "Verdict");
    EXPECT_EQ(Cell(conflicts, 0, static_cast<int>(ConflictColumn::Verdict)), "to look at");
    EXPECT_EQ(Cell(conflicts, 0, static_cast<int>(ConflictColumn::Winner)), "SpeedUpTime_v2.package");
    EXPECT_EQ(details.chkShowQuiet->text(), "Show 3 harmless or reviewed");
    details.chkShowQuiet->setChecked(true);
    EXPECT_EQ(conflicts.model()->rowCount(), 5);

    // Choosing a row lists its packages, the winner last.
    details.tblConflicts->selectRow(0);
    const QTableView& packages = *details.tblPackages;
    ASSERT_EQ(packages.model()->rowCount(), 2);
    EXPECT_EQ(Cell(packages, 1, 0), "\\downloads\\Hacks\\SpeedUpTime_v2.package");
    EXPECT_EQ(Cell(packages, 1, 1), "winner, loaded last: the game loads a folder's files in name order, then its subfolders");

    // The search keeps the rows that name it; the check box says what it hides of them.
    details.txtSearch->setText("chat");
    EXPECT_EQ(conflicts.model()->rowCount(), 2);
    EXPECT_EQ(details.chkShowQuiet->text(), "Show 2 harmless or reviewed");
    details.txtSearch->clear();

    // The Packages list: the versions of one mod, then the pair; a line filters the conflicts.
    const QTableView& overlaps = *details.tblOverlaps;
    ASSERT_EQ(overlaps.model()->rowCount(), 2);
    EXPECT_EQ(Cell(overlaps, 0, static_cast<int>(OverlapColumn::Verdict)),
              "2 versions of one mod; the game uses \\downloads\\Hacks\\SpeedUpTime_v2.package; keep one");
    details.tabViews->setCurrentIndex(1);
    details.tblOverlaps->selectRow(1);
    EXPECT_EQ(conflicts.model()->rowCount(), 2);
    EXPECT_EQ(Cell(conflicts, 0, static_cast<int>(ConflictColumn::Name)), "Interactions - Chat");
    EXPECT_TRUE(details.cmdAllPackages->isEnabled());
    details.cmdAllPackages->click();
    EXPECT_EQ(conflicts.model()->rowCount(), 5);

    // Sorting by a column header.
    details.tblConflicts->sortByColumn(static_cast<int>(ConflictColumn::Type), Qt::DescendingOrder);
    EXPECT_EQ(Cell(conflicts, 0, static_cast<int>(ConflictColumn::Type)), "TTAs");

    // The main window stays usable; its Details... brings the same window forward.
    window.cmdDetails->click();
    EXPECT_EQ(window.DetailsForm(), &details);
}

TEST_F(DetailsWindow, AReviewOutlivesTheProgramAndANewScanRefreshesTheWindow)
{
    {
        frmHackMain window;
        frmDetails& details = ScanAndOpen(window);
        details.tblConflicts->selectRow(0);
        details.cmdMarkReviewed->click();
        EXPECT_EQ(details.lblSummary->text(),
                  "5 possible conflicts: 3 harmless (every copy identical), 1 to look at, 1 reviewed");
        EXPECT_EQ(details.tblConflicts->model()->rowCount(), 1);
        EXPECT_EQ(details.chkShowQuiet->text(), "Show 4 harmless or reviewed");
    }
    frmHackMain window;
    frmDetails& details = ScanAndOpen(window);
    EXPECT_EQ(details.lblSummary->text(), "5 possible conflicts: 3 harmless (every copy identical), 1 to look at, 1 reviewed");

    // A new package joins a conflict: the open window shows the new scan.
    const auto hacks = writer::gfSampleDownloads(Game()) / "Hacks";
    const std::string existing = ReadFile(hacks / "SpeedUpTime_v2.package");
    WriteFile(hacks / "SpeedUpTime_v3.package", existing);
    window.cmdScan->click();
    EXPECT_TRUE(WaitFor([&] { return details.lblSummary->text().contains("new since the last scan"); }))
        << details.lblSummary->text().toStdString();
    EXPECT_TRUE(details.isVisible());
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(DetailsWindow, CopySaveAndShowInFolder)
{
    frmHackMain window;
    frmDetails& details = ScanAndOpen(window);

    details.cmdCopy->click();
    const std::string copied = QApplication::clipboard()->text().toStdString();
    EXPECT_TRUE(copied.starts_with("Clashwick ")) << copied;
    EXPECT_NE(copied.find("\nDownloads folder: "), std::string::npos) << copied;
    EXPECT_NE(copied.find("5 possible conflicts, 3 of them harmless"), std::string::npos) << copied;

    const std::filesystem::path saved = Scratch() / "saved.json";
    frmDetails::SetSaveChooser([&](QWidget*, QString& path, SaveKind& kind) {
        path = QString::fromStdString(saved.string());
        kind = SaveKind::Json;
        return true;
    });
    details.cmdSave->click();
    frmDetails::SetSaveChooser(nullptr);
    EXPECT_EQ(nlohmann::json::parse(ReadFile(saved))["conflicts"].size(), 5u);

    std::vector<std::string> opened;
    platform::gudtShellServices().ShellExecute = [&](std::string_view operation, std::string_view file, std::string_view) {
        opened.push_back(std::string(operation) + " " + std::string(file));
        return std::int32_t{platform::shellSuccess};
    };
    details.tblConflicts->selectRow(0);
    details.cmdShowInFolder->click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].starts_with("open ")) << opened[0];
    EXPECT_TRUE(opened[0].ends_with("\\Hacks")) << opened[0];
    EXPECT_TRUE(criticalMessages.empty());
}

} // namespace
