// The details of a scan in the Win32 windows: the main window's Details... button, and the
// details window's virtual lists, filters, sorting, review marks, buttons and keyboard, each
// checked against what the model (app/ScanDetails.h) says; and how fast thousands of rows draw.

#include "Win32WindowTestSupport.h"

#include "app/modSims2General.h"
#include "gui/win32/DetailsServices.h"
#include "gui/win32/DisplayText.h"
#include "gui/win32/frmDetails.h"
#include "gui/win32/frmHackMain.h"
#include "package/modSimsPackage.h"
#include "support/SampleGame.h"

#include <windowsx.h>

#include <algorithm>
#include <chrono>
#include <map>

namespace {

using gui::win32::gfstrUtf8;
using gui::win32::gfstrWindowText;
using win32test::Box;
using win32test::ClipboardText;
using win32test::ControlBox;
using win32test::Pump;

void Click(HWND button)
{
    SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

int Rows(HWND list) { return ListView_GetItemCount(list); }

// A cell as the list gives it to anyone who asks (a screen reader, say): LVM_GETITEMTEXT.
std::string Cell(HWND list, int row, int column)
{
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 1024;
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return gfstrUtf8(text);
}

std::string ColumnTitle(HWND list, int column)
{
    wchar_t text[256] = {};
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT;
    item.pszText = text;
    item.cchTextMax = 256;
    ListView_GetColumn(list, column, &item);
    return gfstrUtf8(text);
}

// Selects one row as a click does: the others are no longer selected.
void SelectOnly(HWND list, int row)
{
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

// A click on a column's header, as the list tells its window of it.
void ClickHeader(HWND list, int column)
{
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = column;
    SendMessageW(GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

// Presses a key with Ctrl (and Shift) held in the focused control, as the keyboard would.
void PressWithControl(WPARAM key, bool shift = false)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
    Pump();
    keys[VK_CONTROL] = 0;
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
}

std::string Crlf(const std::string& text)
{
    std::string lines;
    for (const char c : text) {
        if (c == '\n')
            lines += '\r';
        lines += c;
    }
    return lines;
}

// The sample game, scanned from the main window; what the shell and the Save As dialog are
// asked is recorded.
class Win32DetailsTest : public win32test::Win32WindowTest {
protected:
    void SetUp() override
    {
        Win32WindowTest::SetUp();
        const auto game = Scratch() / "game";
        writer::gsMakeSampleGame(game);
        data_ = game / "drive_c" / "users" / "player" / "Documents" / "EA Games" / "The Sims 2";
        gstrSims2DataPath = WinPath(data_);
        gsInitTypeIDs();
        std::filesystem::create_directories(AppFolder() / "temp");
        gui::win32::DetailsServices& services = gui::win32::gudtDetailsServices();
        services.ShowInFolder = [this](const std::string& path) { shown.push_back(path); };
        services.AskSavePlace = [this](HWND) { return savePlace; };
    }
    void TearDown() override
    {
        gui::win32::gudtDetailsServices() = gui::win32::gudtDefaultDetailsServices();
        gstrSims2DataPath.clear();
        Win32WindowTest::TearDown();
    }

    std::filesystem::path Downloads() const { return data_ / "Downloads"; }
    // The folder the scan lists, as the program names it.
    std::string ScannedFolder() const { return WinPath(data_) + "\\downloads"; }

    // Scan, the messages that follow it, then Details...: the details window.
    static frmDetails& ScanAndOpen(frmHackMain& window)
    {
        window.Show();
        Pump();
        Click(window.cmdScan);
        Pump();
        Click(window.cmdDetails);
        Pump();
        EXPECT_NE(window.DetailsForm(), nullptr);
        return *window.DetailsForm();
    }

    // Every row and cell of the Conflicts list is the model's.
    static void ExpectConflictsAsTheModelHasThem(const frmDetails& form)
    {
        const ScanDetails& details = *form.Details();
        ASSERT_EQ(Rows(form.lvwConflicts), static_cast<int>(details.ConflictRowCount()));
        for (std::size_t row = 0; row < details.ConflictRowCount(); ++row)
            for (int column = 0; column < kConflictColumns; ++column)
                EXPECT_EQ(Cell(form.lvwConflicts, static_cast<int>(row), column),
                          details.ConflictCell(row, static_cast<ConflictColumn>(column)))
                    << "row " << row << ", column " << column;
    }

    std::vector<std::string> shown;
    std::optional<gui::win32::SavePlace> savePlace;

private:
    std::filesystem::path data_;
};

TEST_F(Win32DetailsTest, DetailsButtonIsHiddenAtStartAndShownOnceTheReportIsUp)
{
    frmHackMain window;
    EXPECT_EQ(ControlBox(window.cmdDetails), (Box{377, 416, 81, 25}));
    EXPECT_EQ(gfstrWindowText(window.cmdDetails), "Details...");
    EXPECT_FALSE(IsWindowVisible(window.cmdDetails));
    EXPECT_FALSE(IsWindowEnabled(window.cmdDetails));
    EXPECT_FALSE(GetWindowLongW(window.txtHackReport, GWL_STYLE) & WS_HSCROLL);

    window.Show();
    Pump();
    Click(window.cmdScan);
    // The report is shown first; the details are read once its messages are handled.
    EXPECT_FALSE(window.ReportText().empty());
    EXPECT_FALSE(IsWindowVisible(window.cmdDetails));
    Pump();
    EXPECT_TRUE(IsWindowVisible(window.cmdDetails));
    EXPECT_TRUE(IsWindowEnabled(window.cmdDetails));
    EXPECT_TRUE(trapCalls.empty());
    // In the tab order right after Scan.
    SetFocus(window.cmdScan);
    win32test::PressTab();
    EXPECT_EQ(GetFocus(), window.cmdDetails);
    win32test::PressTab();
    EXPECT_EQ(GetFocus(), window.txtHackReport);

    Click(window.cmdDetails);
    Pump();
    frmDetails* form = window.DetailsForm();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(gfstrWindowText(form->Handle()), "Clashwick - Details");
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), window.Handle());
    // Not modal: the main window stays in use, and Details... again brings the same window.
    EXPECT_TRUE(IsWindowEnabled(window.Handle()));
    EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_THICKFRAME);
    Click(window.cmdDetails);
    EXPECT_EQ(window.DetailsForm(), form);
    // Esc closes it; Details... shows it again.
    SetFocus(form->lvwConflicts);
    PostMessageW(form->lvwConflicts, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    Pump();
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    Click(window.cmdDetails);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(Win32DetailsTest, ListsAndTextsAreTheModels)
{
    frmHackMain window;
    frmDetails& form = ScanAndOpen(window);
    ASSERT_NE(form.Details(), nullptr);
    const ScanDetails& details = *form.Details();
    ASSERT_TRUE(details.Notes().empty());
    EXPECT_EQ(gfstrWindowText(form.lblSummary), details.SummaryLine());
    EXPECT_EQ(details.DownloadsFolder(), ScannedFolder());
    for (int column = 0; column < kConflictColumns; ++column)
        EXPECT_EQ(ColumnTitle(form.lvwConflicts, column),
                  gfstrConflictColumnTitle(static_cast<ConflictColumn>(column)));
    EXPECT_EQ(gfstrWindowText(form.lvwConflicts), "Conflicts");
    EXPECT_EQ(gfstrWindowText(form.lvwPackages), "Packages of the selected conflict");
    EXPECT_EQ(gfstrWindowText(form.lvwOverlaps), "Packages that share resources");
    ExpectConflictsAsTheModelHasThem(form);
    // The first conflict's packages show at once; nothing is selected, so Copy takes all.
    EXPECT_EQ(ListView_GetSelectedCount(form.lvwConflicts), 0u);
    EXPECT_EQ(Rows(form.lvwPackages), static_cast<int>(details.PackageRowCount(details.ConflictOfRow(0))));

    // The harmless ones are hidden until asked for, and the check box counts them.
    const std::size_t all = details.Facts().Conflicts.size();
    const std::size_t quiet = all - details.ConflictRowCount();
    ASSERT_GT(quiet, 0u);
    EXPECT_EQ(gfstrWindowText(form.chkShowQuiet), "Show " + std::to_string(quiet) + " harmless or reviewed");
    Button_SetCheck(form.chkShowQuiet, BST_CHECKED);
    Click(form.chkShowQuiet);
    EXPECT_EQ(Rows(form.lvwConflicts), static_cast<int>(all));
    ExpectConflictsAsTheModelHasThem(form);

    // The search keeps the rows that name it, and the check box counts only those.
    SetWindowTextW(form.txtSearch, L"zzz no such name");
    EXPECT_EQ(Rows(form.lvwConflicts), 0);
    EXPECT_EQ(gfstrWindowText(form.chkShowQuiet), "Show 0 harmless or reviewed");
    const auto named = std::find_if(details.Facts().Conflicts.begin(), details.Facts().Conflicts.end(),
                                    [](const ConflictFact& fact) { return !fact.Name.empty(); });
    ASSERT_NE(named, details.Facts().Conflicts.end());
    gui::win32::gsSetWindowText(form.txtSearch, named->Name);
    EXPECT_FALSE(details.Search().empty());
    EXPECT_GE(Rows(form.lvwConflicts), 1);
    EXPECT_LT(Rows(form.lvwConflicts), static_cast<int>(all));
    ExpectConflictsAsTheModelHasThem(form);
    SetWindowTextW(form.txtSearch, L"");
    EXPECT_EQ(Rows(form.lvwConflicts), static_cast<int>(all));

    // The selected conflict's packages below, the winner last.
    SelectOnly(form.lvwConflicts, 1);
    const std::size_t conflict = details.ConflictOfRow(1);
    ASSERT_EQ(Rows(form.lvwPackages), static_cast<int>(details.PackageRowCount(conflict)));
    for (int row = 0; row < Rows(form.lvwPackages); ++row)
        for (int column = 0; column < kPackageColumns; ++column)
            EXPECT_EQ(Cell(form.lvwPackages, row, column),
                      details.PackageCell(conflict, row, static_cast<PackageColumn>(column)));
    EXPECT_EQ(Cell(form.lvwPackages, Rows(form.lvwPackages) - 1, 1), "winner, " + std::string(kWinnerReason));

    // A click on a header sorts by it, a second the other way round; the selection stays.
    const int resource = static_cast<int>(ConflictColumn::Name);
    ClickHeader(form.lvwConflicts, resource);
    ExpectConflictsAsTheModelHasThem(form);
    std::vector<std::string> names;
    for (int row = 0; row < Rows(form.lvwConflicts); ++row)
        names.push_back(Cell(form.lvwConflicts, row, resource));
    ClickHeader(form.lvwConflicts, resource);
    std::vector<std::string> reversed;
    for (int row = Rows(form.lvwConflicts); row-- > 0;)
        reversed.push_back(Cell(form.lvwConflicts, row, resource));
    EXPECT_EQ(reversed, names);
    const std::optional<std::size_t> selectedRow = details.RowOfConflict(conflict);
    ASSERT_TRUE(selectedRow.has_value());
    EXPECT_EQ(ListView_GetNextItem(form.lvwConflicts, -1, LVNI_SELECTED), static_cast<int>(*selectedRow));
    EXPECT_EQ(ListView_GetSelectedCount(form.lvwConflicts), 1u);

    // A Packages row keeps the conflicts of its packages, until All packages.
    ASSERT_GT(details.OverlapRowCount(), 0u);
    ASSERT_EQ(Rows(form.lvwOverlaps), static_cast<int>(details.OverlapRowCount()));
    for (int column = 0; column < kOverlapColumns; ++column)
        EXPECT_EQ(Cell(form.lvwOverlaps, 0, column), details.OverlapCell(0, static_cast<OverlapColumn>(column)));
    EXPECT_FALSE(IsWindowEnabled(form.cmdClearFilter));
    const std::size_t last = details.OverlapRowCount() - 1;
    SelectOnly(form.lvwOverlaps, static_cast<int>(last));
    EXPECT_EQ(details.OverlapFilter(), last);
    EXPECT_LT(Rows(form.lvwConflicts), static_cast<int>(all));
    ExpectConflictsAsTheModelHasThem(form);
    EXPECT_TRUE(IsWindowEnabled(form.cmdClearFilter));
    EXPECT_NE(gfstrWindowText(form.lblFilter), "");
    Click(form.cmdClearFilter);
    EXPECT_EQ(details.OverlapFilter(), std::nullopt);
    EXPECT_EQ(Rows(form.lvwConflicts), static_cast<int>(all));
    EXPECT_FALSE(IsWindowEnabled(form.cmdClearFilter));
    EXPECT_EQ(gfstrWindowText(form.lblFilter), "");
    EXPECT_TRUE(trapCalls.empty());
}

// The first conflict shown that can be marked: every copy of it could be compared.
std::optional<std::size_t> MarkableRow(const ScanDetails& details)
{
    for (std::size_t row = 0; row < details.ConflictRowCount(); ++row) {
        const ConflictFact& fact = details.Facts().Conflicts[details.ConflictOfRow(row)];
        if (std::all_of(fact.Prints.begin(), fact.Prints.end(), [](const auto& print) { return print.has_value(); }) &&
            fact.Prints.size() == fact.Packages.size())
            return row;
    }
    return std::nullopt;
}

TEST_F(Win32DetailsTest, ReviewMarkSurvivesARestartOfTheProgram)
{
    std::string type;
    std::string group;
    std::string instance;
    {
        frmHackMain window;
        frmDetails& form = ScanAndOpen(window);
        const ScanDetails& details = *form.Details();
        const int shownBefore = Rows(form.lvwConflicts);
        ASSERT_GE(shownBefore, 2);
        const std::optional<std::size_t> row = MarkableRow(details);
        ASSERT_TRUE(row.has_value());
        const std::size_t conflict = details.ConflictOfRow(*row);
        type = details.ConflictCell(*row, ConflictColumn::Type);
        group = details.ConflictCell(*row, ConflictColumn::Group);
        instance = details.ConflictCell(*row, ConflictColumn::Instance);
        SelectOnly(form.lvwConflicts, static_cast<int>(*row));
        Click(form.cmdMarkReviewed);

        EXPECT_EQ(details.VerdictText(conflict), "reviewed");
        // The row leaves the list; the one that took its place is selected, for the next mark.
        EXPECT_EQ(Rows(form.lvwConflicts), shownBefore - 1);
        EXPECT_EQ(ListView_GetSelectedCount(form.lvwConflicts), 1u);
        EXPECT_NE(gfstrWindowText(form.lblSummary).find(", 1 reviewed"), std::string::npos);
        EXPECT_EQ(gfstrWindowText(form.chkShowQuiet), details.ShowQuietText());
    }
    EXPECT_TRUE(std::filesystem::exists(AppFolder() / "temp" / "reviewed.json"));

    // A new run of the program: its first scan finds the conflict reviewed.
    frmHackMain window;
    frmDetails& form = ScanAndOpen(window);
    Button_SetCheck(form.chkShowQuiet, BST_CHECKED);
    Click(form.chkShowQuiet);
    const ScanDetails& details = *form.Details();
    std::optional<int> found;
    for (int row = 0; row < Rows(form.lvwConflicts); ++row)
        if (Cell(form.lvwConflicts, row, static_cast<int>(ConflictColumn::Type)) == type &&
            Cell(form.lvwConflicts, row, static_cast<int>(ConflictColumn::Group)) == group &&
            Cell(form.lvwConflicts, row, static_cast<int>(ConflictColumn::Instance)) == instance)
            found = row;
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(Cell(form.lvwConflicts, *found, static_cast<int>(ConflictColumn::Verdict)), "reviewed");

    // Not reviewed takes the mark away again.
    SelectOnly(form.lvwConflicts, *found);
    Click(form.cmdNotReviewed);
    EXPECT_EQ(details.VerdictText(details.ConflictOfRow(*found)), "to look at");
    EXPECT_EQ(Cell(form.lvwConflicts, *found, static_cast<int>(ConflictColumn::Verdict)), "to look at");
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(Win32DetailsTest, ShowInFolderCopyAndSaveHandOnWhatIsSelected)
{
    frmHackMain window;
    frmDetails& form = ScanAndOpen(window);
    const ScanDetails& details = *form.Details();
    SelectOnly(form.lvwConflicts, 0);
    const std::size_t conflict = details.ConflictOfRow(0);

    // The winner of the selected conflict, or the package selected below it.
    Click(form.cmdShowInFolder);
    SelectOnly(form.lvwPackages, 0);
    Click(form.cmdShowInFolder);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0], details.PackagePath(details.Facts().Conflicts[conflict].Winner()));
    EXPECT_EQ(shown[1], details.PackagePath(details.PackageOfRow(conflict, 0)));
    EXPECT_EQ(shown[1].rfind(ScannedFolder() + "\\", 0), 0u) << shown[1];

    // Copy: the selected conflicts, or all when none is selected.
    Click(form.cmdCopy);
    EXPECT_EQ(ClipboardText(), gui::win32::gfwsWide(Crlf(details.CopyText({conflict}))));
    ListView_SetItemState(form.lvwConflicts, -1, 0, LVIS_SELECTED);
    Click(form.cmdCopy);
    EXPECT_EQ(ClipboardText(), gui::win32::gfwsWide(Crlf(details.CopyText({}))));

    // Save: the explanation with CR LF, CSV as it is, each replacing the file whole.
    const auto text = Scratch() / "saved.txt";
    WriteFile(text, std::string(100000, 'x'));
    savePlace = gui::win32::SavePlace{WinPath(text), SaveKind::Explained};
    Click(form.cmdSave);
    EXPECT_EQ(ReadFile(text), Crlf(details.SaveText(SaveKind::Explained)));
    const auto csv = Scratch() / "saved.csv";
    savePlace = gui::win32::SavePlace{WinPath(csv), SaveKind::Csv};
    Click(form.cmdSave);
    EXPECT_EQ(ReadFile(csv), details.SaveText(SaveKind::Csv));
    const auto json = Scratch() / "saved.json";
    savePlace = gui::win32::SavePlace{WinPath(json), SaveKind::Json};
    Click(form.cmdSave);
    EXPECT_EQ(ReadFile(json), details.SaveText(SaveKind::Json));
    EXPECT_TRUE(criticalMessages.empty());

    // A file that cannot be written is said, and nothing else happens.
    const std::string missing = WinPath(Scratch() / "missing" / "saved.txt");
    savePlace = gui::win32::SavePlace{missing, SaveKind::Explained};
    Click(form.cmdSave);
    EXPECT_EQ(criticalMessages,
              (std::vector<std::string>{"Clashwick - Details: The details could not be saved to " + missing +
                                        ": Error 76, Path not found."}));
    // Cancelled: nothing written, nothing said.
    savePlace.reset();
    Click(form.cmdSave);
    EXPECT_EQ(criticalMessages.size(), 1u);
    EXPECT_TRUE(trapCalls.empty());
    EXPECT_FALSE(exitCode.has_value());
}

TEST_F(Win32DetailsTest, KeyboardReachesEveryControlAndSwitchesTabs)
{
    frmHackMain window;
    frmDetails& form = ScanAndOpen(window);
    const std::map<HWND, std::string> names = {
        {form.tabPages, "tabPages"},           {form.txtSearch, "txtSearch"},
        {form.chkShowQuiet, "chkShowQuiet"},   {form.cmdClearFilter, "cmdClearFilter"},
        {form.lvwConflicts, "lvwConflicts"},   {form.lvwPackages, "lvwPackages"},
        {form.cmdShowInFolder, "cmdShowInFolder"}, {form.cmdMarkReviewed, "cmdMarkReviewed"},
        {form.cmdNotReviewed, "cmdNotReviewed"},   {form.lvwOverlaps, "lvwOverlaps"},
        {form.cmdCopy, "cmdCopy"},             {form.cmdSave, "cmdSave"}};
    // With a conflict selected every button of the Conflicts tab takes the focus but All
    // packages, which has no filter to clear.
    SelectOnly(form.lvwConflicts, 0);
    SetFocus(form.tabPages);
    std::vector<std::string> walk;
    for (int press = 0; press < 10; ++press) {
        win32test::PressTab();
        walk.push_back(names.contains(GetFocus()) ? names.at(GetFocus()) : "?");
    }
    EXPECT_EQ(walk, (std::vector<std::string>{"txtSearch", "chkShowQuiet", "lvwConflicts", "lvwPackages",
                                              "cmdShowInFolder", "cmdMarkReviewed", "cmdNotReviewed", "cmdCopy",
                                              "cmdSave", "tabPages"}));

    // Ctrl+Tab: the Packages tab, whose list Tab then reaches; again: back to Conflicts.
    PressWithControl(VK_TAB);
    EXPECT_EQ(TabCtrl_GetCurSel(form.tabPages), 1);
    EXPECT_TRUE(IsWindowVisible(form.lvwOverlaps));
    EXPECT_FALSE(IsWindowVisible(form.lvwConflicts));
    win32test::PressTab();
    EXPECT_EQ(GetFocus(), form.lvwOverlaps);
    PressWithControl(VK_TAB, true);
    EXPECT_EQ(TabCtrl_GetCurSel(form.tabPages), 0);
    EXPECT_TRUE(IsWindowVisible(form.lvwConflicts));
    EXPECT_FALSE(IsWindowVisible(form.lvwOverlaps));
    // Ctrl+F goes to the search, and so does Alt with its label's underlined letter.
    SetFocus(form.lvwConflicts);
    PressWithControl('F');
    EXPECT_EQ(GetFocus(), form.txtSearch);
    SetFocus(form.lvwConflicts);
    PostMessageW(form.lvwConflicts, WM_SYSCHAR, 's', 0x20000001);
    Pump();
    EXPECT_EQ(GetFocus(), form.txtSearch);
    // Alt+R: Mark reviewed, for the selected conflict.
    const std::size_t conflict = form.Details()->ConflictOfRow(0);
    PostMessageW(form.txtSearch, WM_SYSCHAR, 'r', 0x20000001);
    Pump();
    EXPECT_EQ(form.Details()->VerdictText(conflict), "reviewed");
}

TEST_F(Win32DetailsTest, NextScanKeepsTheOldDetailsUntilTheNewAreRead)
{
    frmHackMain window;
    frmDetails& form = ScanAndOpen(window);
    SetWindowTextW(form.txtSearch, L"e");
    const int before = Rows(form.lvwConflicts);
    ASSERT_GT(before, 0);
    // One package fewer: fewer conflicts.
    std::filesystem::remove(Downloads() / "Hacks" / "SpeedUpTime.package");
    Click(window.cmdScan);
    // The report is new, the details not yet: the window draws the old ones, whole.
    EXPECT_EQ(Rows(form.lvwConflicts), before);
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    ExpectConflictsAsTheModelHasThem(form);
    // Details... before the posted message: the new details are read then, with the search the
    // player typed; the message, when it comes, reads nothing again.
    Click(window.cmdDetails);
    ASSERT_NE(form.Details(), nullptr);
    EXPECT_EQ(form.Details()->Search(), "e");
    ExpectConflictsAsTheModelHasThem(form);
    const int after = Rows(form.lvwConflicts);
    EXPECT_LT(after, before);
    SelectOnly(form.lvwConflicts, 0);
    Pump();
    EXPECT_EQ(Rows(form.lvwConflicts), after);
    EXPECT_EQ(ListView_GetSelectedCount(form.lvwConflicts), 1u);
    EXPECT_TRUE(trapCalls.empty());
}

// Facts of `count` conflicts, none harmless, each between two of a few packages.
ScanFacts ManyConflicts(std::size_t count, const std::vector<std::string>& packages)
{
    ScanFacts facts;
    for (std::size_t i = 0; i < count; ++i) {
        ConflictFact fact;
        fact.TypeName = "BHAV";
        const auto id = static_cast<std::uint32_t>(i);
        fact.GroupID = SimsID::FromBytes(std::string_view("\x01\x02\x03\x7f", 4));
        const char bytes[4] = {static_cast<char>(id), static_cast<char>(id >> 8), 0, 0};
        fact.InstanceID = SimsID::FromBytes(std::string_view(bytes, 4));
        fact.Name = "Procedure " + std::to_string(i);
        fact.Packages = {packages[i % packages.size()], packages[(i + 1) % packages.size()]};
        fact.Prints.resize(2);
        facts.Conflicts.push_back(std::move(fact));
    }
    return facts;
}

TEST_F(Win32DetailsTest, ThousandsOfRowsDrawAtOnce)
{
    const std::vector<std::string> packages = {"\\downloads\\A.package", "\\downloads\\B.package",
                                               "\\downloads\\C.package"};
    ScanDetails details(ManyConflicts(5700, packages), "C:\\Downloads", "1/1/2026");
    frmDetails form(nullptr);
    const auto start = std::chrono::steady_clock::now();
    form.SetDetails(&details);
    form.Show();
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const auto drawn = std::chrono::steady_clock::now();
    EXPECT_LT(std::chrono::duration<double>(drawn - start).count(), 0.5);
    EXPECT_EQ(Rows(form.lvwConflicts), 5700);
    EXPECT_EQ(Cell(form.lvwConflicts, 5699, static_cast<int>(ConflictColumn::Name)), "Procedure 5699");

    // All selected, then a search: the selection follows the rows that stay, quickly.
    ListView_SetItemState(form.lvwConflicts, -1, LVIS_SELECTED, LVIS_SELECTED);
    const auto searched = std::chrono::steady_clock::now();
    SetWindowTextW(form.txtSearch, L"procedure 1");
    RedrawWindow(form.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - searched).count(), 0.5);
    EXPECT_EQ(Rows(form.lvwConflicts), static_cast<int>(details.ConflictRowCount()));
    EXPECT_EQ(ListView_GetSelectedCount(form.lvwConflicts), details.ConflictRowCount());
    // Gone with the details: nothing is drawn of them.
    form.SetDetails(nullptr);
    EXPECT_EQ(Rows(form.lvwConflicts), 0);
    EXPECT_EQ(Rows(form.lvwOverlaps), 0);
    EXPECT_FALSE(IsWindowEnabled(form.cmdSave));
}

TEST_F(Win32DetailsTest, NotesAndOmittedPairsAreSaid)
{
    const std::vector<std::string> packages = {"\\downloads\\A.package", "\\downloads\\B.package"};
    ScanFacts facts = ManyConflicts(3, packages);
    facts.Notes = {"temp\\lastscan.json is not a file Clashwick wrote; no conflict is marked new.",
                   "temp\\reviewed.json could not be read (Error 70, Permission denied); "
                   "no conflict is marked reviewed."};
    facts.PairsOmitted = 1175;
    ScanDetails details(std::move(facts), "C:\\Downloads", "1/1/2026");
    frmDetails form(nullptr);
    form.SetDetails(&details);
    EXPECT_EQ(gfstrWindowText(form.lblSummary),
              details.SummaryLine() + "\r\n" + details.Notes()[0] + " " + details.Notes()[1]);
    EXPECT_EQ(gfstrWindowText(form.lblOmitted), details.PairsOmittedText());
    EXPECT_NE(details.PairsOmittedText(), "");
    EXPECT_FALSE(IsWindowVisible(form.lblOmitted));
    form.Show();
    TabCtrl_SetCurFocus(form.tabPages, 1);
    Pump();
    EXPECT_TRUE(IsWindowVisible(form.lblOmitted));
    // Below the list, not over it.
    EXPECT_LE(ControlBox(form.lvwOverlaps).Top + ControlBox(form.lvwOverlaps).Height, ControlBox(form.lblOmitted).Top);
}

} // namespace
