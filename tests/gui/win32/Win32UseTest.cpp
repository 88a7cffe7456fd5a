// The Win32 windows in use: the scan window's bar and its unloading, Scan from start to report,
// the error dialog's buttons, clipboard and trap, and the message pump of the window services.

#include "Win32WindowTestSupport.h"

#include "app/ErrorReport.h"
#include "app/modSims2General.h"
#include "gui/win32/DisplayText.h"
#include "gui/win32/Win32Services.h"
#include "gui/win32/frmErrorDialog.h"
#include "gui/win32/frmFindHacks.h"
#include "gui/win32/frmHackMain.h"
#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"
#include "platform/CodePage.h"
#include "platform/Shell.h"
#include "support/PackageWriter.h"
#include "support/SampleGame.h"

#include <set>

namespace {

using gui::win32::gfstrWindowText;
using win32test::Pump;
using win32test::Win32WindowTest;

constexpr wchar_t kErrorCaption[] = L"Unrecoverable Error - Program Execution Halted";

// What a button sends its window when it is clicked.
void Click(HWND button)
{
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

POINT FrameCentre(HWND window)
{
    RECT frame{};
    GetWindowRect(window, &frame);
    return {(frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2};
}

TEST_F(Win32WindowTest, ScanWindowDrawsTheBarAndUnloadsWhenTheScanEnds)
{
    gsInitTypeIDs();
    writer::PackagePlan contents;
    contents.Resources.push_back({writer::kTypeOBJD, 1, 1, 0, "object", false});
    const std::string package = writer::gudtBuildPackage(contents).Bytes;
    const auto downloads = Scratch() / "game" / "downloads";
    for (int i = 0; i < 24; ++i)
        WriteFile(downloads / ("p" + std::to_string(100 + i) + ".package"), package);
    std::filesystem::create_directories(Scratch() / "empty" / "downloads");

    frmHackMain owner;
    owner.Show();
    Pump();
    frmFindHacks form(owner.Handle());
    form.SetMeshPath(WinPath(downloads));
    form.Show(); // returns only once the scan has unloaded the window

    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_EQ(form.ProgressDrawn().size(), 24u);
    const SIZE inside = form.picStatus.InsideSize();
    EXPECT_EQ(form.picStatus.Pixel(0, inside.cy / 2), RGB(255, 0, 0));
    EXPECT_EQ(form.picStatus.Pixel(inside.cx - 1, inside.cy / 2), RGB(255, 0, 0));
    EXPECT_LE(std::abs(FrameCentre(form.Handle()).x - FrameCentre(owner.Handle()).x), 1);
    EXPECT_LE(std::abs(FrameCentre(form.Handle()).y - FrameCentre(owner.Handle()).y), 1);

    // The next showing starts with an empty box: a scan of nothing draws no bar.
    form.SetMeshPath(WinPath(Scratch() / "empty" / "downloads"));
    form.Show();
    EXPECT_TRUE(form.ProgressDrawn().empty());
    EXPECT_NE(form.picStatus.Pixel(0, inside.cy / 2), RGB(255, 0, 0));
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(Win32WindowTest, ScanShowsTheReportFileWithItsAccents)
{
    const auto game = Scratch() / "game";
    writer::gsMakeSampleGame(game);
    const auto data = game / "drive_c" / "users" / "player" / "Documents" / "EA Games" / "The Sims 2";
    std::filesystem::copy_file(data / "Downloads" / "Hacks" / "SpeedUpTime.package",
                               data / "Downloads" / "Hacks" / std::filesystem::path(u8"Caf\u00E9\u2122.package"));
    gstrSims2DataPath = WinPath(data);
    gsInitTypeIDs();
    std::filesystem::create_directories(AppFolder() / "temp");

    frmHackMain window;
    window.Show();
    Pump();
    Click(window.cmdScan);
    gstrSims2DataPath.clear();

    EXPECT_TRUE(trapCalls.empty());
    const std::string file = ReadFile(AppFolder() / "temp" / "hackreport.txt");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(window.ReportText(), platform::gfstrFromCodePage(file));
    EXPECT_NE(window.ReportText().find("*** POSSIBLE CONFLICT DETECTED ***\r\n"), std::string::npos);
    EXPECT_NE(window.ReportText().find("\\Hacks\\Caf\xC3\xA9\xE2\x84\xA2.package\r\n"), std::string::npos);
    EXPECT_EQ(gfstrWindowText(window.txtHackReport), window.ReportText());
    EXPECT_EQ(GetFocus(), window.cmdFocus);
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
    ASSERT_NE(window.FindHacksForm(), nullptr);
    EXPECT_FALSE(IsWindowVisible(window.FindHacksForm()->Handle()));
    EXPECT_FALSE(window.FindHacksForm()->ProgressDrawn().empty());
}

class Win32ErrorDialogTest : public Win32WindowTest {
protected:
    void SetUp() override
    {
        Win32WindowTest::SetUp();
        glngErrLocation = 2500;
        glngErrNumber = 53;
        gstrErrDescription = "File not found";
        gstrErrModule = "modSimsPackage";
        gstrErrProcedure = "gsLoadPackageIndexOnly";
        gstrErrData = "Filename = C:\\Downloads\\Caf\xC3\xA9\xE2\x84\xA2.package";
        platform::gudtShellServices().ShellExecute = [this](std::string_view operation, std::string_view file,
                                                            std::string_view) {
            shellCalls.push_back(std::string(operation) + " " + std::string(file));
            return std::int32_t{33};
        };
    }
    std::string Log() const { return ReadFile(AppFolder() / "errorlog.txt"); }

    std::vector<std::string> shellCalls;
};

TEST_F(Win32ErrorDialogTest, CopyTwiceLeavesTheReportOnceAsPlainText)
{
    frmErrorDialog dialog;
    dialog.Form_Load();
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();

    Click(dialog.cmdCopy);
    Click(dialog.cmdCopy);

    std::set<UINT> formats;
    EXPECT_EQ(win32test::ClipboardText(&formats), gui::win32::gfwsWide(gfstrErrorReport()));
    // Text only: the other text forms are the system's own conversions of it.
    for (UINT format : formats)
        EXPECT_TRUE(format == CF_UNICODETEXT || format == CF_TEXT || format == CF_OEMTEXT || format == CF_LOCALE)
            << format;
}

TEST_F(Win32ErrorDialogTest, ButtonsForwardToSupportAndEnd)
{
    frmErrorDialog dialog;
    dialog.Form_Load();
    Click(dialog.cmdMailTo);
    EXPECT_EQ(shellCalls, (std::vector<std::string>{"open mailto:" + gfstrSupportEmail()}));
    EXPECT_FALSE(exitCode.has_value());
    Click(dialog.cmdEnd);
    EXPECT_EQ(exitCode, 2);
}

TEST_F(Win32ErrorDialogTest, TrapShowsTheDialogFocusedOnTheSinkAndReturnsWhenItIsClosed)
{
    gsSetErrorTrapPresenter(gsShowErrorDialog);
    std::string shown;
    std::string focused;
    const win32test::ModalAnswer answer(kErrorCaption, [&](HWND form) {
        shown = gfstrWindowText(FindWindowExW(form, nullptr, L"EDIT", nullptr));
        focused = gfstrWindowText(GetFocus());
    });

    const bool finished = gfblnRunHandled("frmHackMain", "cmdScan_Click", [] { gsRaise(76); });

    EXPECT_FALSE(finished);
    EXPECT_TRUE(answer.Found());
    const std::string report = gfstrErrorReport();
    EXPECT_NE(report.find("Error: 76\r\nPath not found\r\n"), std::string::npos);
    // Whole, accents and all, in the box; in the code page in the log.
    EXPECT_EQ(shown, report);
    EXPECT_EQ(focused, "Command1");
    EXPECT_EQ(Log(), platform::gfstrToCodePage(report) + "\r\n");
    EXPECT_FALSE(exitCode.has_value());
}

// A program folder the player may not write to: the dialog shows the report all the same,
// and says that the log could not be written.
TEST_F(Win32ErrorDialogTest, TrapShowsTheReportWhenTheLogCannotBeWritten)
{
    gsSetErrorTrapPresenter(gsShowErrorDialog);
    const std::string missing = WinPath(Scratch() / "missing");
    platform::gsSetAppPath(missing);
    std::string shown;
    const win32test::ModalAnswer answer(kErrorCaption, [&](HWND form) {
        shown = gfstrWindowText(FindWindowExW(form, nullptr, L"EDIT", nullptr));
    });

    gsErrorTrap();

    EXPECT_TRUE(answer.Found());
    EXPECT_EQ(shown, gfstrErrorReport() + "\r\n\r\nThe error log " + missing +
                         "\\errorlog.txt could not be written: Error 76, Path not found.");
    EXPECT_FALSE(exitCode.has_value());
    EXPECT_TRUE(criticalMessages.empty());
}

TEST(Win32Services, ProcessEventsHandsOnWaitingMessagesAndKeepsTheQuit)
{
    const platform::WindowServices saved = platform::gudtWindowServices();
    gui::win32::gsInstallWin32WindowServices();
    frmHackMain window;
    HWND handle = window.Handle();
    // Closing the main window ends the message loop.
    PostMessageW(handle, WM_CLOSE, 0, 0);

    platform::gudtWindowServices().ProcessEvents();

    EXPECT_FALSE(IsWindow(handle));
    MSG message{};
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    platform::gudtWindowServices() = saved;
}

} // namespace
