// The error dialog in use: its load step, activation, buttons, and the trap of the window
// program.

#include "WindowTestSupport.h"

#include "app/ErrorReport.h"
#include "gui/frmErrorDialog.h"
#include "platform/AppInfo.h"
#include "platform/Shell.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

class ErrorDialogTest : public windowtest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        glngErrLocation = 2500;
        glngErrNumber = 53;
        gstrErrDescription = "File not found";
        gstrErrModule = "modSimsPackage";
        gstrErrProcedure = "gsLoadPackageIndexOnly";
        gstrErrData = "Filename = C:\\Downloads\\Caf\xC3\xA9.package";
        platform::gudtShellServices().ShellExecute = [this](std::string_view operation, std::string_view file,
                                                            std::string_view) {
            shellCalls.push_back(std::string(operation) + " " + std::string(file));
            return std::int32_t{33};
        };
    }
    std::string Log() const { return ReadFile(AppFolder() / "errorlog.txt"); }

    std::vector<std::string> shellCalls;
};

TEST_F(ErrorDialogTest, ActivationRestoresThePointerAndFocusesTheSink)
{
    frmErrorDialog dialog;
    dialog.Form_Load();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::setOverrideCursor(Qt::BusyCursor);
    ASSERT_TRUE(ShowActive(dialog));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmdFocus);

    // One Tab reaches the e-mail button below the visible area; Space presses it.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmdMailTo);
    QTest::keyClick(dialog.cmdMailTo, Qt::Key_Space);
    EXPECT_EQ(shellCalls, (std::vector<std::string>{"open mailto:" + gfstrSupportEmail()}));
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmdFocus);
}

TEST_F(ErrorDialogTest, CopyTwiceLeavesTheReportOnceAsPlainText)
{
    frmErrorDialog dialog;
    dialog.Form_Load();
    QGuiApplication::clipboard()->setText("something else");
    dialog.cmdCopy->click();
    dialog.cmdCopy->click();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text().toStdString(), gfstrErrorReport());
    EXPECT_FALSE(data->hasHtml());
}

TEST_F(ErrorDialogTest, TrapShowsTheDialogAndReturnsWhenItIsClosed)
{
    gsSetErrorTrapPresenter(gsShowErrorDialog);
    gstrErrData.clear();
    std::string shown;
    const windowtest::ModalAnswer answer([&shown](QWidget& modal) {
        if (auto* dialog = qobject_cast<frmErrorDialog*>(&modal))
            shown = dialog->MessageText();
    });

    const bool finished = gfblnRunHandled("frmHackMain", "cmdScan_Click", [] { gsRaise(76); });

    EXPECT_FALSE(finished);
    EXPECT_TRUE(answer.Found());
    const std::string report = gfstrErrorReport();
    EXPECT_NE(report.find("Error: 76\r\nPath not found\r\n"), std::string::npos);
    EXPECT_EQ(shown, report);
    EXPECT_EQ(Log(), report + "\r\n");
    EXPECT_FALSE(exitCode.has_value());
}

// A program folder the player may not write to: the dialog shows the report all the same,
// and says that the log could not be written.
TEST_F(ErrorDialogTest, TrapShowsTheReportWhenTheLogCannotBeWritten)
{
    gsSetErrorTrapPresenter(gsShowErrorDialog);
    const std::string missing = WinPath(Scratch() / "missing");
    platform::gsSetAppPath(missing);
    std::string shown;
    const windowtest::ModalAnswer answer([&shown](QWidget& modal) {
        if (auto* dialog = qobject_cast<frmErrorDialog*>(&modal))
            shown = dialog->txtMessage->toPlainText().toStdString();
    });

    gsErrorTrap();

    EXPECT_TRUE(answer.Found());
    std::string expected = gfstrErrorReport() + "\r\n\r\nThe error log " + missing +
                           "\\errorlog.txt could not be written: Error 76, Path not found.";
    for (std::size_t at; (at = expected.find("\r\n")) != std::string::npos;)
        expected.replace(at, 2, "\n");
    EXPECT_EQ(shown, expected);
    EXPECT_FALSE(exitCode.has_value());
    EXPECT_TRUE(criticalMessages.empty());
}

} // namespace
