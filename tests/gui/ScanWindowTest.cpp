// The scan window's progress bar, and the window program from start-up to report on the
// sample game.

#include "WindowTestSupport.h"

#include "gui/frmFindHacks.h"
#include "gui/frmHackMain.h"
#include "package/modSimsPackage.h"
#include "platform/CodePage.h"
#include "gui/qt/PictureBox.h"
#include "support/PackageWriter.h"
#include "support/SampleGame.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

using windowtest::WindowTest;

bool IsRed(const QImage& image, int x)
{
    return image.pixelColor(x, image.height() / 2) == QColor(255, 0, 0);
}

TEST_F(WindowTest, ProgressBarFollowsTheStepRule)
{
    gsInitTypeIDs();
    writer::PackagePlan contents;
    contents.Resources.push_back({writer::kTypeOBJD, 1, 1, 0, "object", false});
    const std::string package = writer::gudtBuildPackage(contents).Bytes;

    struct Case {
        int Packages;
        std::vector<std::int32_t> Drawn; // packages done at each drawing
        bool Full;                       // the last bar reaches the right edge
    };
    std::vector<std::int32_t> every(24);
    for (int i = 0; i < 24; ++i)
        every[i] = i + 1;
    const Case cases[] = {
        {0, {}, false},
        {24, every, true},
        {25, {2, 4, 6, 8, 10, 12, 14, 16, 18, 20, 22, 24}, false},
    };
    QWidget owner;
    owner.setGeometry(40, 30, 673, 445);
    owner.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Packages);
        const auto downloads = Scratch() / ("game" + std::to_string(c.Packages)) / "downloads";
        std::filesystem::create_directories(downloads);
        for (int i = 0; i < c.Packages; ++i)
            WriteFile(downloads / ("p" + std::to_string(100 + i) + ".package"), package);

        frmFindHacks form(&owner);
        form.SetMeshPath(WinPath(downloads));
        EXPECT_EQ(form.exec(), QDialog::Accepted);

        std::vector<std::int32_t> done;
        for (const auto& [packagesDone, count] : form.ProgressDrawn()) {
            done.push_back(packagesDone);
            EXPECT_EQ(count, c.Packages);
        }
        EXPECT_EQ(done, c.Drawn);
        const QImage& bar = form.picStatus->Image();
        EXPECT_EQ(IsRed(bar, 0), !c.Drawn.empty());
        EXPECT_EQ(IsRed(bar, bar.width() - 1), c.Full);
        EXPECT_LE(std::abs(form.frameGeometry().center().x() - owner.frameGeometry().center().x()), 1);
        EXPECT_LE(std::abs(form.frameGeometry().center().y() - owner.frameGeometry().center().y()), 1);
    }
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(WindowTest, ScanOfTheSampleGameShowsTheReportFile)
{
    const auto game = Scratch() / "game";
    writer::gsMakeSampleGame(game);
    setenv("WINEPREFIX", game.c_str(), 1);

    frmHackMain window;
    ASSERT_TRUE(window.Form_Load()) << (criticalMessages.empty() ? "" : criticalMessages.front());
    EXPECT_TRUE(window.windowTitle().startsWith("Clashwick - Version "));
    ASSERT_TRUE(ShowActive(window));

    window.cmdScan->click();

    EXPECT_TRUE(trapCalls.empty());
    const std::string file = ReadFile(AppFolder() / "temp" / "hackreport.txt");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(window.ReportText(), platform::gfstrFromCodePage(file));
    EXPECT_EQ(window.ReportText().rfind("Report Start ", 0), 0u);
    EXPECT_NE(window.ReportText().find(" possible conflicts detected.\r\n"), std::string::npos);
    EXPECT_NE(window.ReportText().find("*** POSSIBLE CONFLICT DETECTED ***\r\n"), std::string::npos);
    QString shown = QString::fromStdString(window.ReportText());
    shown.replace("\r\n", "\n");
    EXPECT_EQ(window.txtHackReport->toPlainText(), shown);
    EXPECT_EQ(window.focusWidget(), window.cmdFocus);
    ASSERT_NE(window.FindHacksForm(), nullptr);
    EXPECT_FALSE(window.FindHacksForm()->isVisible());
    EXPECT_FALSE(window.FindHacksForm()->ProgressDrawn().empty());
}

} // namespace
