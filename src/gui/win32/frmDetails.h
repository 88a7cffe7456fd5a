#pragma once
// The details window of the last scan, owned by the main window and used beside it (not
// modal): a summary, then two tabs. Conflicts lists the report's conflicts, searchable, the
// harmless and reviewed ones on request, sorted by a click on a column's header, with the
// packages of the selected one below. Packages lists the groups and pairs of packages that share
// resources; selecting one keeps the Conflicts list to its packages. Buttons show a package in
// Explorer, mark conflicts reviewed or not, copy them and save the details.
//
// What it shows and does is the model's (app/ScanDetails.h): every list is a virtual
// (owner-data) list view that asks the model for the cells it draws, so that thousands of rows
// draw at once, and a change of the model only sets the lists' row counts again.

#include "app/ScanDetails.h"
#include "gui/win32/Form.h"

#include <commctrl.h>

#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

class frmDetails : public gui::win32::Form {
public:
    explicit frmDetails(HWND owner);

    // The details to show, or none (the window then shows empty lists); the window does not own
    // them and must be given new ones (or none) before they go. The search text and the choice
    // to show harmless and reviewed conflicts are kept for new details, and so is the sorting;
    // the first conflict shown is selected.
    void SetDetails(ScanDetails* details);
    ScanDetails* Details() const { return details_; }

    // Shows the window, the first time sized to fit its owner's screen and centred on it, and
    // brings it forward.
    void Show();

    bool OnKey(const MSG& key) override;

    HWND lblSummary = nullptr;
    HWND tabPages = nullptr;
    // The Conflicts tab.
    HWND lblSearch = nullptr;
    HWND txtSearch = nullptr;
    HWND chkShowQuiet = nullptr;
    HWND lblFilter = nullptr;
    HWND cmdClearFilter = nullptr;
    HWND lvwConflicts = nullptr;
    HWND lblPackages = nullptr;
    HWND lvwPackages = nullptr;
    HWND cmdShowInFolder = nullptr;
    HWND cmdMarkReviewed = nullptr;
    HWND cmdNotReviewed = nullptr;
    // The Packages tab.
    HWND lvwOverlaps = nullptr;
    HWND lblOmitted = nullptr;
    // Both tabs.
    HWND cmdCopy = nullptr;
    HWND cmdSave = nullptr;

protected:
    void OnClick(int id) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // The Conflicts list's selection, by conflict, to be found again after the rows change.
    struct Selection {
        std::vector<std::size_t> Conflicts;
        std::optional<std::size_t> Focused;
        std::optional<std::size_t> FirstRow;
    };

    // A virtual list in report view, named `name` for screen readers, its rows chosen whole.
    HWND mfhwndList(int id, std::wstring_view name, DWORD extraStyle);
    void msLayout(int width, int height);
    void msShowPage(int page);
    void msFillCell(NMLVDISPINFOW& cell) const;
    void msListChanged(const NMLISTVIEW& change);
    void msSortBy(int column);

    Selection mudtSelection() const;
    std::vector<std::size_t> mfvecSelectedConflicts() const;
    // Sets the Conflicts list's rows anew and selects again what `before` had selected; with
    // `keepPlace`, when none of it is left, the row at the place of the first.
    void msRefreshConflicts(const Selection& before, bool keepPlace = false);
    void msRefreshPackages();
    void msRefreshTexts();
    void msRefreshButtons();

    void txtSearch_Change();
    void chkShowQuiet_Click();
    void cmdClearFilter_Click();
    void cmdShowInFolder_Click();
    void msMarkReviewed(bool reviewed);
    void cmdCopy_Click();
    void cmdSave_Click();

    ScanDetails* details_ = nullptr;
    std::optional<std::size_t> shownConflict_;  // whose packages lvwPackages lists
    std::optional<std::pair<ConflictColumn, bool>> sort_;
    int page_ = 0;
    int stripHeight_ = 0;
    bool refreshing_ = false;  // the window itself is changing the lists' selection
    bool placed_ = false;
};
