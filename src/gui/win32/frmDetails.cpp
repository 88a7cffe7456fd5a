#include "gui/win32/frmDetails.h"

#include "errors/Failure.h"
#include "errors/modErrorTrap.h"
#include "gui/win32/Clipboard.h"
#include "gui/win32/DetailsServices.h"
#include "gui/win32/DisplayText.h"
#include "platform/FileAccess.h"
#include "platform/WindowServices.h"

#include <windowsx.h>

#include <algorithm>
#include <array>
#include <climits>
#include <string>

using gui::win32::gfstrWindowText;
using gui::win32::gfwsWide;
using gui::win32::gsSetWindowText;
using gui::win32::Twips;
using gui::win32::TwipsSize;

namespace {

enum : int {
    idSummary = 101,
    idPages,
    idSearchLabel,
    idSearch,
    idShowQuiet,
    idFilter,
    idClearFilter,
    idConflicts,
    idPackagesLabel,
    idPackages,
    idShowInFolder,
    idMarkReviewed,
    idNotReviewed,
    idOverlaps,
    idOmitted,
    idCopy,
    idSave,
};

enum : int { kConflictsPage = 0, kPackagesPage = 1 };

// The layout, in twips as every window's: margins and gaps, the heights of one line of the
// dialog font, of an edit box and of a button, and the widths of the fixed controls. The
// lists take what the window has left.
constexpr int kMargin = Twips(120);
constexpr int kGap = Twips(90);
constexpr int kLabelGap = Twips(45);
constexpr int kLabelHeight = Twips(195);
constexpr int kEditHeight = Twips(315);
constexpr int kButtonHeight = Twips(375);
constexpr int kSummaryHeight = Twips(600);  // three lines
constexpr int kButtonWidth = Twips(1500);
constexpr int kSmallButtonWidth = Twips(1125);
constexpr int kSearchLabelWidth = Twips(675);
constexpr int kSearchWidth = Twips(3000);
constexpr int kShowQuietWidth = Twips(3150);
// The window opens at 800 x 520 pixels, which a screen of 1280 x 800 takes at 125% (and at
// 150%, made smaller to fit: Show); it can be made no smaller than 600 x 390.
constexpr gui::win32::Extent kStartSize = TwipsSize(12000, 7800);
constexpr gui::win32::Extent kLeastSize = TwipsSize(9000, 5850);

constexpr std::array<int, kConflictColumns> kConflictWidths{
    Twips(2250), Twips(600), Twips(675), Twips(2550), Twips(1275), Twips(1275), Twips(1050), Twips(2850)};
constexpr std::array<int, kOverlapColumns> kOverlapWidths{Twips(4050), Twips(3300), Twips(900), Twips(900),
                                                          Twips(3750)};
constexpr std::array<int, kPackageColumns> kPackageWidths{Twips(4950), Twips(6750)};

// A list view's column: its title, its width in pixels, and whether it holds counts (which
// line up on the right).
struct ColumnPlan {
    std::string_view Title;
    int Width;
    bool Counts;
};

void msAddColumns(HWND list, const std::vector<ColumnPlan>& columns)
{
    for (std::size_t i = 0; i < columns.size(); ++i) {
        std::wstring title = gfwsWide(columns[i].Title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
        // The first column of a list view is always on the left.
        column.fmt = columns[i].Counts && i > 0 ? LVCFMT_RIGHT : LVCFMT_LEFT;
        column.cx = columns[i].Width;
        column.pszText = title.data();
        column.iSubItem = static_cast<int>(i);
        ListView_InsertColumn(list, static_cast<int>(i), &column);
    }
}

std::vector<ColumnPlan> mudtConflictColumns()
{
    std::vector<ColumnPlan> columns;
    for (int c = 0; c < kConflictColumns; ++c) {
        const auto column = static_cast<ConflictColumn>(c);
        columns.push_back({gfstrConflictColumnTitle(column), kConflictWidths[c], column == ConflictColumn::Packages});
    }
    return columns;
}

std::vector<ColumnPlan> mudtOverlapColumns()
{
    std::vector<ColumnPlan> columns;
    for (int c = 0; c < kOverlapColumns; ++c) {
        const auto column = static_cast<OverlapColumn>(c);
        columns.push_back({gfstrOverlapColumnTitle(column), kOverlapWidths[c],
                           column == OverlapColumn::Shared || column == OverlapColumn::Identical});
    }
    return columns;
}

std::vector<ColumnPlan> mudtPackageColumns()
{
    std::vector<ColumnPlan> columns;
    for (int c = 0; c < kPackageColumns; ++c)
        columns.push_back({gfstrPackageColumnTitle(static_cast<PackageColumn>(c)), kPackageWidths[c], false});
    return columns;
}

// A virtual list's rows are only counted: the list asks for the cells it draws.
void msSetRowCount(HWND list, std::size_t rows)
{
    ListView_SetItemCountEx(list, static_cast<int>(std::min<std::size_t>(rows, INT_MAX)), LVSICF_NOSCROLL);
    InvalidateRect(list, nullptr, FALSE);
}

std::vector<int> mfvecSelectedRows(HWND list)
{
    std::vector<int> rows;
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;) {
        rows.push_back(row);
        const int next = ListView_GetNextItem(list, row, LVNI_SELECTED);
        if (next <= row)
            break;
        row = next;
    }
    return rows;
}

void msDeselectAll(HWND list) { ListView_SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED); }

// No rows, so no selection or focus either, at once: deselecting thousands of rows one by one
// (as Wine does for a deselection of all) takes seconds.
void msEmpty(HWND list) { ListView_SetItemCountEx(list, 0, LVSICF_NOSCROLL); }

// The cell's text into the list's buffer, cut to its room.
void msPutCell(NMLVDISPINFOW& cell, const std::string& text)
{
    if ((cell.item.mask & LVIF_TEXT) == 0 || !cell.item.pszText || cell.item.cchTextMax <= 0)
        return;
    const std::wstring wide = gfwsWide(text);
    const std::size_t length = std::min(wide.size(), static_cast<std::size_t>(cell.item.cchTextMax - 1));
    wide.copy(cell.item.pszText, length);
    cell.item.pszText[length] = L'\0';
}

// Every LF made CR LF, as a text file on Windows has its lines.
std::string mfstrCrLf(std::string_view text)
{
    std::string lines;
    lines.reserve(text.size() + text.size() / 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            lines += '\r';
        lines += text[i];
    }
    return lines;
}

} // namespace

frmDetails::frmDetails(HWND owner) : Form(Kind::Sizable, L"Clashwick - Details", kStartSize, owner)
{
    // The list views and the tab control are common controls.
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    // Made in tab order; WM_SIZE puts them in their places. The tab control is only the strip of
    // tabs: each tab's controls lie below it, shown and hidden with their tab. The underlined
    // letters (&) are the captions' Alt keys; the search label's goes to the search box.
    const gui::win32::Place unplaced{0, 0, kStartSize.Width, kStartSize.Height / 4};
    lblSummary = mfhwndControl(L"STATIC", idSummary, SS_LEFT | SS_NOPREFIX, 0, unplaced);
    tabPages = mfhwndControl(WC_TABCONTROLW, idPages, TCS_TABS | WS_TABSTOP, 0, unplaced);
    int index = 0;
    for (const wchar_t* title : {L"Conflicts", L"Packages"}) {
        std::wstring text(title);
        TCITEMW tab{};
        tab.mask = TCIF_TEXT;
        tab.pszText = text.data();
        TabCtrl_InsertItem(tabPages, index++, &tab);
    }
    RECT tab{};
    const bool measured = TabCtrl_GetItemRect(tabPages, 0, &tab) && tab.bottom > 0;
    stripHeight_ = measured ? tab.bottom + kLabelGap : kEditHeight + kGap;

    lblSearch = mfhwndControl(L"STATIC", idSearchLabel, SS_LEFT, 0, unplaced, L"&Search:");
    txtSearch = mfhwndControl(L"EDIT", idSearch, ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, unplaced);
    SendMessageW(txtSearch, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"Resource or package name"));
    chkShowQuiet = mfhwndControl(L"BUTTON", idShowQuiet, BS_AUTOCHECKBOX | WS_TABSTOP, 0, unplaced);
    lblFilter = mfhwndControl(L"STATIC", idFilter, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0, unplaced);
    cmdClearFilter = mfhwndButton(idClearFilter, L"&All packages", unplaced);
    lvwConflicts = mfhwndList(idConflicts, L"Conflicts", 0);
    msAddColumns(lvwConflicts, mudtConflictColumns());
    lblPackages = mfhwndControl(L"STATIC", idPackagesLabel, SS_LEFT, 0, unplaced,
                                L"Packages of the selected conflict, in load order:");
    lvwPackages = mfhwndList(idPackages, L"Packages of the selected conflict", LVS_SINGLESEL);
    msAddColumns(lvwPackages, mudtPackageColumns());
    cmdShowInFolder = mfhwndButton(idShowInFolder, L"Show in &folder", unplaced);
    cmdMarkReviewed = mfhwndButton(idMarkReviewed, L"Mark &reviewed", unplaced);
    cmdNotReviewed = mfhwndButton(idNotReviewed, L"&Not reviewed", unplaced);
    lvwOverlaps = mfhwndList(idOverlaps, L"Packages that share resources", LVS_SINGLESEL);
    msAddColumns(lvwOverlaps, mudtOverlapColumns());
    lblOmitted = mfhwndControl(L"STATIC", idOmitted, SS_LEFT | SS_NOPREFIX, 0, unplaced);
    cmdCopy = mfhwndButton(idCopy, L"C&opy", unplaced);
    cmdSave = mfhwndButton(idSave, L"Sa&ve...", unplaced);

    msShowPage(kConflictsPage);
    SetDetails(nullptr);
}

HWND frmDetails::mfhwndList(int id, std::wstring_view name, DWORD extraStyle)
{
    // The window text is the list's name for screen readers; a list view does not draw it.
    HWND list = mfhwndControl(WC_LISTVIEWW, id,
                              LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP | extraStyle,
                              WS_EX_CLIENTEDGE, {0, 0, kStartSize.Width, kStartSize.Height / 4}, name);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP);
    return list;
}

void frmDetails::SetDetails(ScanDetails* details)
{
    details_ = details;
    shownConflict_.reset();
    if (details_) {
        details_->SetSearch(gfstrWindowText(txtSearch));
        details_->SetShowQuiet(Button_GetCheck(chkShowQuiet) == BST_CHECKED);
        if (sort_)
            details_->SortConflicts(sort_->first, sort_->second);
    }
    // Rows of the last details mean nothing in these.
    refreshing_ = true;
    msEmpty(lvwOverlaps);
    msEmpty(lvwPackages);
    msEmpty(lvwConflicts);
    refreshing_ = false;
    msSetRowCount(lvwOverlaps, details_ ? details_->OverlapRowCount() : 0);
    msRefreshConflicts(Selection{}, true);
    // The first conflict's packages show below it from the start. It has the focus but is not
    // selected, so that Copy with nothing chosen still takes every conflict.
    if (details_ && details_->ConflictRowCount() > 0) {
        ListView_SetItemState(lvwConflicts, 0, LVIS_FOCUSED, LVIS_FOCUSED);
        msRefreshPackages();
        msRefreshButtons();
    }
    RECT client{};
    GetClientRect(hwnd_, &client);
    msLayout(client.right, client.bottom);
}

void frmDetails::Show()
{
    if (!placed_) {
        placed_ = true;
        HWND owner = GetWindow(hwnd_, GW_OWNER);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &monitor)) {
            // On a small or scaled screen the window opens no larger than the work area.
            const RECT& area = monitor.rcWork;
            RECT frame{};
            GetWindowRect(hwnd_, &frame);
            const int width = std::min<int>(frame.right - frame.left, area.right - area.left);
            const int height = std::min<int>(frame.bottom - frame.top, area.bottom - area.top);
            SetWindowPos(hwnd_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
            gui::win32::gsCentreWindow(hwnd_, area);
        }
    }
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
}

// ---- Layout and tabs

void frmDetails::msLayout(int width, int height)
{
    if (!cmdSave)  // a size of the frame before the controls are made
        return;
    const int inner = std::max(0, width - 2 * kMargin);
    const auto put = [](HWND control, int left, int top, int w, int h) {
        SetWindowPos(control, nullptr, left, top, std::max(0, w), std::max(0, h), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    int top = kMargin;
    put(lblSummary, kMargin, top, inner, kSummaryHeight);
    top += kSummaryHeight + kLabelGap;
    put(tabPages, kMargin, top, inner, stripHeight_);
    top += stripHeight_ + kGap;
    const int buttonsTop = height - kMargin - kButtonHeight;
    const int pageBottom = buttonsTop - kGap;

    // The Conflicts tab: the search and its filters in one row, the two lists, their buttons.
    const int labelInRow = top + (kButtonHeight - kLabelHeight) / 2;
    const int editInRow = top + (kButtonHeight - kEditHeight) / 2;
    int left = kMargin;
    put(lblSearch, left, labelInRow, kSearchLabelWidth, kLabelHeight);
    left += kSearchLabelWidth;
    put(txtSearch, left, editInRow, kSearchWidth, kEditHeight);
    left += kSearchWidth + 2 * kGap;
    const int clearLeft = width - kMargin - kButtonWidth;
    const int quietWidth = std::min(kShowQuietWidth, clearLeft - kGap - left);
    put(chkShowQuiet, left, editInRow, quietWidth, kEditHeight);
    left += quietWidth + kGap;
    put(lblFilter, left, labelInRow, clearLeft - kGap - left, kLabelHeight);
    put(cmdClearFilter, clearLeft, top, kButtonWidth, kButtonHeight);

    const int listsTop = top + kButtonHeight + kGap;
    const int listsRoom = std::max(0, pageBottom - listsTop - kGap - kLabelHeight - kLabelGap);
    const int conflictsHeight = listsRoom * 3 / 5;
    put(lvwConflicts, kMargin, listsTop, inner, conflictsHeight);
    const int labelTop = listsTop + conflictsHeight + kGap;
    put(lblPackages, kMargin, labelTop, inner, kLabelHeight);
    const int packagesTop = labelTop + kLabelHeight + kLabelGap;
    put(lvwPackages, kMargin, packagesTop, inner, pageBottom - packagesTop);
    put(cmdShowInFolder, kMargin, buttonsTop, kButtonWidth, kButtonHeight);
    put(cmdMarkReviewed, kMargin + kButtonWidth + kGap, buttonsTop, kButtonWidth, kButtonHeight);
    put(cmdNotReviewed, kMargin + 2 * (kButtonWidth + kGap), buttonsTop, kButtonWidth, kButtonHeight);

    // The Packages tab: the list, and below it what it leaves out, when it leaves out any.
    const bool omitted = details_ && !details_->PairsOmittedText().empty();
    const int overlapsBottom = omitted ? pageBottom - kLabelHeight - kGap : pageBottom;
    put(lvwOverlaps, kMargin, top, inner, overlapsBottom - top);
    put(lblOmitted, kMargin, overlapsBottom + kGap, inner, kLabelHeight);

    put(cmdSave, width - kMargin - kSmallButtonWidth, buttonsTop, kSmallButtonWidth, kButtonHeight);
    put(cmdCopy, width - kMargin - 2 * kSmallButtonWidth - kGap, buttonsTop, kSmallButtonWidth, kButtonHeight);
}

void frmDetails::msShowPage(int page)
{
    page_ = page;
    const int conflicts = page == kConflictsPage ? SW_SHOW : SW_HIDE;
    for (HWND control : {lblSearch, txtSearch, chkShowQuiet, lblFilter, cmdClearFilter, lvwConflicts, lblPackages,
                         lvwPackages, cmdShowInFolder, cmdMarkReviewed, cmdNotReviewed})
        ShowWindow(control, conflicts);
    const int packages = page == kPackagesPage ? SW_SHOW : SW_HIDE;
    for (HWND control : {lvwOverlaps, lblOmitted})
        ShowWindow(control, packages);
    if (TabCtrl_GetCurSel(tabPages) != page)
        TabCtrl_SetCurSel(tabPages, page);
    // The focus in a control of the other tab goes to the tabs.
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus) && !IsWindowVisible(focus))
        SetFocus(tabPages);
}

bool frmDetails::OnKey(const MSG& key)
{
    if (key.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0)
        return false;
    switch (key.wParam) {
    case VK_TAB:  // Ctrl+Tab and Ctrl+Shift+Tab: the other tab, of two
        msShowPage(page_ == kConflictsPage ? kPackagesPage : kConflictsPage);
        return true;
    case 'F':
        msShowPage(kConflictsPage);
        SetFocus(txtSearch);
        SendMessageW(txtSearch, EM_SETSEL, 0, -1);
        return true;
    case 'A':
        if (key.hwnd != lvwConflicts)
            return false;
        ListView_SetItemState(lvwConflicts, -1, LVIS_SELECTED, LVIS_SELECTED);
        return true;
    case 'C':
        if (key.hwnd != lvwConflicts)
            return false;
        cmdCopy_Click();
        return true;
    default:
        return false;
    }
}

// ---- Messages

void frmDetails::OnClick(int id)
{
    switch (id) {
    case idShowQuiet:
        chkShowQuiet_Click();
        break;
    case idClearFilter:
        cmdClearFilter_Click();
        break;
    case idShowInFolder:
        cmdShowInFolder_Click();
        break;
    case idMarkReviewed:
        msMarkReviewed(true);
        break;
    case idNotReviewed:
        msMarkReviewed(false);
        break;
    case idCopy:
        cmdCopy_Click();
        break;
    case idSave:
        cmdSave_Click();
        break;
    default:
        break;
    }
}

LRESULT frmDetails::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED)
            msLayout(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_GETMINMAXINFO: {
        RECT frame{0, 0, kLeastSize.Width, kLeastSize.Height};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
        return 0;
    }
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (header.hwndFrom == tabPages && header.code == TCN_SELCHANGE) {
            msShowPage(TabCtrl_GetCurSel(tabPages));
            return 0;
        }
        switch (header.code) {
        case LVN_GETDISPINFOW:
            msFillCell(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
            return 0;
        case LVN_ITEMCHANGED:
            msListChanged(*reinterpret_cast<const NMLISTVIEW*>(lParam));
            return 0;
        case LVN_ODSTATECHANGED:  // a range of rows selected at once (Shift+click)
            if (header.hwndFrom == lvwConflicts && !refreshing_) {
                msRefreshPackages();
                msRefreshButtons();
            }
            return 0;
        case LVN_ODFINDITEMW:  // typing in a list finds no row: its first column is no name
            return -1;
        case LVN_COLUMNCLICK:
            if (header.hwndFrom == lvwConflicts)
                msSortBy(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
            return 0;
        case NM_DBLCLK:
            if (header.hwndFrom == lvwPackages)
                cmdShowInFolder_Click();
            return 0;
        default:
            break;
        }
        break;
    }
    case WM_COMMAND:
        if (lParam == 0 && LOWORD(wParam) == IDCANCEL) {  // Esc
            SendMessageW(hwnd_, WM_CLOSE, 0, 0);
            return 0;
        }
        if (reinterpret_cast<HWND>(lParam) == txtSearch && HIWORD(wParam) == EN_CHANGE) {
            txtSearch_Change();
            return 0;
        }
        break;
    case WM_CLOSE:
        // Closing hides the window: the main window shows it again as the player left it.
        ShowWindow(hwnd_, SW_HIDE);
        return 0;
    default:
        break;
    }
    return Form::WindowProc(message, wParam, lParam);
}

void frmDetails::msFillCell(NMLVDISPINFOW& cell) const
{
    if (!details_ || cell.item.iItem < 0 || cell.item.iSubItem < 0)
        return;
    const auto row = static_cast<std::size_t>(cell.item.iItem);
    const int column = cell.item.iSubItem;
    if (cell.hdr.hwndFrom == lvwConflicts && column < kConflictColumns)
        msPutCell(cell, details_->ConflictCell(row, static_cast<ConflictColumn>(column)));
    else if (cell.hdr.hwndFrom == lvwPackages && shownConflict_ && column < kPackageColumns)
        msPutCell(cell, details_->PackageCell(*shownConflict_, row, static_cast<PackageColumn>(column)));
    else if (cell.hdr.hwndFrom == lvwOverlaps && column < kOverlapColumns)
        msPutCell(cell, details_->OverlapCell(row, static_cast<OverlapColumn>(column)));
}

void frmDetails::msListChanged(const NMLISTVIEW& change)
{
    if (refreshing_ || !details_ || (change.uChanged & LVIF_STATE) == 0)
        return;
    if (change.hdr.hwndFrom == lvwConflicts) {
        if (((change.uOldState ^ change.uNewState) & (LVIS_SELECTED | LVIS_FOCUSED)) != 0) {
            msRefreshPackages();
            msRefreshButtons();
        }
    } else if (change.hdr.hwndFrom == lvwOverlaps) {
        // A Packages row newly selected keeps the Conflicts list to its packages.
        if ((change.uNewState & LVIS_SELECTED) != 0 && (change.uOldState & LVIS_SELECTED) == 0 && change.iItem >= 0) {
            const Selection before = mudtSelection();
            details_->SetOverlapFilter(static_cast<std::size_t>(change.iItem));
            msRefreshConflicts(before);
        }
    }
}

void frmDetails::msSortBy(int column)
{
    if (!details_ || column < 0 || column >= kConflictColumns)
        return;
    const auto chosen = static_cast<ConflictColumn>(column);
    // A second click on the same column turns the order round.
    const bool ascending = !(sort_ && sort_->first == chosen && sort_->second);
    const Selection before = mudtSelection();
    sort_ = std::make_pair(chosen, ascending);
    details_->SortConflicts(chosen, ascending);
    HWND header = ListView_GetHeader(lvwConflicts);
    for (int c = 0; c < kConflictColumns; ++c) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        if (!Header_GetItem(header, c, &item))
            continue;
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (c == column)
            item.fmt |= ascending ? HDF_SORTUP : HDF_SORTDOWN;
        Header_SetItem(header, c, &item);
    }
    msRefreshConflicts(before);
}

// ---- What the lists show

frmDetails::Selection frmDetails::mudtSelection() const
{
    Selection selection;
    if (!details_)
        return selection;
    const std::size_t rows = details_->ConflictRowCount();
    for (const int row : mfvecSelectedRows(lvwConflicts)) {
        if (static_cast<std::size_t>(row) >= rows)
            break;
        if (!selection.FirstRow)
            selection.FirstRow = static_cast<std::size_t>(row);
        selection.Conflicts.push_back(details_->ConflictOfRow(static_cast<std::size_t>(row)));
    }
    const int focused = ListView_GetNextItem(lvwConflicts, -1, LVNI_FOCUSED);
    if (focused >= 0 && static_cast<std::size_t>(focused) < rows)
        selection.Focused = details_->ConflictOfRow(static_cast<std::size_t>(focused));
    return selection;
}

std::vector<std::size_t> frmDetails::mfvecSelectedConflicts() const { return mudtSelection().Conflicts; }

void frmDetails::msRefreshConflicts(const Selection& before, bool keepPlace)
{
    const std::size_t rows = details_ ? details_->ConflictRowCount() : 0;
    const int top = ListView_GetTopIndex(lvwConflicts);
    refreshing_ = true;
    msEmpty(lvwConflicts);
    msSetRowCount(lvwConflicts, rows);
    // The conflicts selected before are selected again where they are now shown.
    std::optional<int> focus;
    if (rows > 0) {
        const auto shownAt = [&](std::optional<std::size_t> conflict) -> std::optional<int> {
            const std::optional<std::size_t> row = conflict ? details_->RowOfConflict(*conflict) : std::nullopt;
            if (!row)
                return std::nullopt;
            return static_cast<int>(*row);
        };
        for (const std::size_t conflict : before.Conflicts) {
            if (const std::optional<int> row = shownAt(conflict)) {
                ListView_SetItemState(lvwConflicts, *row, LVIS_SELECTED, LVIS_SELECTED);
                focus = focus ? focus : row;
            }
        }
        if (const std::optional<int> row = shownAt(before.Focused); row && focus)
            focus = row;
        // Rows marked reviewed leave the list: the row that takes their place is selected, so
        // that the player goes on down the list.
        if (!focus && keepPlace && before.FirstRow) {
            focus = static_cast<int>(std::min(*before.FirstRow, rows - 1));
            ListView_SetItemState(lvwConflicts, *focus, LVIS_SELECTED, LVIS_SELECTED);
        }
    }
    if (focus) {
        ListView_SetItemState(lvwConflicts, *focus, LVIS_FOCUSED, LVIS_FOCUSED);
        ListView_EnsureVisible(lvwConflicts, *focus, FALSE);
    } else if (top > 0 && rows > 0) {
        // Nothing selected: the list stays where it was scrolled to, as far as it still goes.
        const int last = static_cast<int>(std::min<std::size_t>(rows, INT_MAX)) - 1;
        ListView_EnsureVisible(lvwConflicts, std::min(top + ListView_GetCountPerPage(lvwConflicts) - 1, last), FALSE);
        ListView_EnsureVisible(lvwConflicts, std::min(top, last), FALSE);
    }
    refreshing_ = false;
    // The groups' and pairs' cells do not change, but a list drawn again shows no stale row.
    InvalidateRect(lvwOverlaps, nullptr, FALSE);
    msRefreshPackages();
    msRefreshTexts();
    msRefreshButtons();
}

// The packages of the focused conflict when it is selected, else of the first selected, else of
// the focused one.
void frmDetails::msRefreshPackages()
{
    std::optional<std::size_t> conflict;
    if (details_) {
        int row = ListView_GetNextItem(lvwConflicts, -1, LVNI_FOCUSED);
        if (row < 0 || (ListView_GetItemState(lvwConflicts, row, LVIS_SELECTED) & LVIS_SELECTED) == 0) {
            const int selected = ListView_GetNextItem(lvwConflicts, -1, LVNI_SELECTED);
            if (selected >= 0)
                row = selected;
        }
        if (row >= 0 && static_cast<std::size_t>(row) < details_->ConflictRowCount())
            conflict = details_->ConflictOfRow(static_cast<std::size_t>(row));
    }
    if (conflict != shownConflict_) {
        shownConflict_ = conflict;
        refreshing_ = true;
        msEmpty(lvwPackages);
        refreshing_ = false;
    }
    msSetRowCount(lvwPackages, conflict ? details_->PackageRowCount(*conflict) : 0);
}

void frmDetails::msRefreshTexts()
{
    std::string summary;
    std::string filter;
    if (details_) {
        summary = details_->SummaryLine();
        // What could not be used of what the program remembers: a sentence each, on a line of their own.
        for (std::size_t n = 0; n < details_->Notes().size(); ++n)
            summary += (n == 0 ? "\n" : " ") + details_->Notes()[n];
        if (const std::optional<std::size_t> row = details_->OverlapFilter())
            filter = "Only " + details_->OverlapCell(*row, OverlapColumn::Packages);
    }
    gsSetWindowText(lblSummary, summary);
    gsSetWindowText(chkShowQuiet, details_ ? details_->ShowQuietText() : ScanDetails().ShowQuietText());
    gsSetWindowText(lblFilter, filter);
    gsSetWindowText(lblOmitted, details_ ? details_->PairsOmittedText() : std::string());
}

void frmDetails::msRefreshButtons()
{
    const bool selected = details_ && ListView_GetSelectedCount(lvwConflicts) > 0;
    EnableWindow(cmdShowInFolder, shownConflict_.has_value());
    EnableWindow(cmdMarkReviewed, selected);
    EnableWindow(cmdNotReviewed, selected);
    EnableWindow(cmdClearFilter, details_ && details_->OverlapFilter().has_value());
    EnableWindow(chkShowQuiet, details_ != nullptr);
    EnableWindow(cmdCopy, details_ != nullptr);
    EnableWindow(cmdSave, details_ != nullptr);
    // A button that has just been disabled keeps no focus: the keyboard goes on in the list.
    HWND focus = GetFocus();
    if (focus && IsChild(hwnd_, focus) && !IsWindowEnabled(focus))
        SetFocus(page_ == kConflictsPage ? lvwConflicts : lvwOverlaps);
}

// ---- What the controls do

void frmDetails::txtSearch_Change()
{
    if (!details_)
        return;
    const Selection before = mudtSelection();
    details_->SetSearch(gfstrWindowText(txtSearch));
    msRefreshConflicts(before);
}

void frmDetails::chkShowQuiet_Click()
{
    if (!details_)
        return;
    const Selection before = mudtSelection();
    details_->SetShowQuiet(Button_GetCheck(chkShowQuiet) == BST_CHECKED);
    msRefreshConflicts(before);
}

void frmDetails::cmdClearFilter_Click()
{
    if (!details_)
        return;
    const Selection before = mudtSelection();
    details_->SetOverlapFilter(std::nullopt);
    refreshing_ = true;
    msDeselectAll(lvwOverlaps);
    refreshing_ = false;
    msRefreshConflicts(before);
}

// The package selected below the conflicts, else the winner of the conflict they belong to.
void frmDetails::cmdShowInFolder_Click()
{
    if (!details_ || !shownConflict_ || *shownConflict_ >= details_->Facts().Conflicts.size())
        return;
    const ConflictFact& fact = details_->Facts().Conflicts[*shownConflict_];
    if (fact.Packages.empty())
        return;
    const int row = ListView_GetNextItem(lvwPackages, -1, LVNI_SELECTED);
    std::string_view package = row >= 0 ? details_->PackageOfRow(*shownConflict_, static_cast<std::size_t>(row))
                                        : std::string_view();
    if (package.empty())
        package = fact.Winner();
    if (const auto& show = gui::win32::gudtDetailsServices().ShowInFolder)
        show(details_->PackagePath(package));
}

void frmDetails::msMarkReviewed(bool reviewed)
{
    if (!details_)
        return;
    const Selection before = mudtSelection();
    if (before.Conflicts.empty())
        return;
    // A failure goes to the error trap; what was marked before it shows either way.
    gfblnRunHandled("frmDetails", reviewed ? "cmdMarkReviewed_Click" : "cmdNotReviewed_Click",
                    [&] { details_->MarkReviewed(before.Conflicts, reviewed); });
    if (details_)
        msRefreshConflicts(before, true);
}

void frmDetails::cmdCopy_Click()
{
    if (details_)
        gui::win32::gfblnCopyToClipboard(hwnd_, details_->CopyText(mfvecSelectedConflicts()));
}

void frmDetails::cmdSave_Click()
{
    const auto& ask = gui::win32::gudtDetailsServices().AskSavePlace;
    if (!details_ || !ask)
        return;
    const std::optional<gui::win32::SavePlace> place = ask(hwnd_);
    // The main window stays in use while the player chooses: a scan may have ended meanwhile.
    if (!place || place->Path.empty() || !details_)
        return;
    // The explanation is for reading in any editor, so its lines end in CR LF; JSON and CSV
    // go as the model writes them.
    const std::string text = place->Kind == SaveKind::Explained ? mfstrCrLf(details_->SaveText(place->Kind))
                                                                : details_->SaveText(place->Kind);
    try {
        // Written whole beside the file and then put in its place: a failure leaves the old file.
        platform::OutputFile file(place->Path);
        file.Write(text);
        file.Close();
    } catch (...) {
        const Failure failure = gudtCaughtFailure();
        platform::gudtWindowServices().ShowCriticalMessage(
            "The details could not be saved to " + place->Path + ": " + gfstrFailureText(failure) + ".",
            "Clashwick - Details");
    }
}
