#pragma once
// What the details window shows of the last scan, and every text in it, without window code:
// both hosts' windows draw this and hand the player's actions to it.
//
// The Conflicts list has one row per conflict of the report; harmless and reviewed rows are
// hidden unless asked for, a search text keeps the rows whose resource or packages name it, and
// a row of the Packages list keeps the rows of its packages. Rows sort by any column. The
// Packages list has one row per group of copies of one mod, then one per pair of packages.

#include "app/ConflictFacts.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

enum class ConflictColumn { Verdict, New, Type, Name, Group, Instance, Packages, Winner };
inline constexpr int kConflictColumns = 8;

enum class OverlapColumn { Packages, Winner, Shared, Identical, Verdict };
inline constexpr int kOverlapColumns = 5;

enum class PackageColumn { Package, Copy };
inline constexpr int kPackageColumns = 2;

// What "Save..." writes.
enum class SaveKind { Explained, Json, Csv };

std::string_view gfstrConflictColumnTitle(ConflictColumn column);
std::string_view gfstrOverlapColumnTitle(OverlapColumn column);
std::string_view gfstrPackageColumnTitle(PackageColumn column);

// Why the winner wins, as its line in a conflict's package list says.
inline constexpr std::string_view kWinnerReason =
    "loaded last: the game loads a folder's files in name order, then its subfolders";

class ScanDetails {
public:
    ScanDetails() = default;  // before any scan: nothing to show
    // `downloadsFolder` is the folder the scan listed (its package names start with its own
    // "\downloads"); `dateText` the date the scan's report gives.
    ScanDetails(ScanFacts facts, std::string downloadsFolder, std::string dateText);
    // The package names are held in the details' own storage, which moves with them.
    ScanDetails(ScanDetails&&) = default;
    ScanDetails& operator=(ScanDetails&&) = default;
    ScanDetails(const ScanDetails&) = delete;
    ScanDetails& operator=(const ScanDetails&) = delete;

    const ScanFacts& Facts() const { return facts_; }
    const std::string& DownloadsFolder() const { return downloads_; }

    // "16 possible conflicts: 12 harmless (every copy identical), 4 to look at", then ", 3 new
    // since the last scan" and ", 2 reviewed" when there are any.
    std::string SummaryLine() const;
    // What could not be used of what the program remembers, a sentence each.
    const std::vector<std::string>& Notes() const { return facts_.Notes; }

    // "to look at", "harmless: identical copies" or "reviewed".
    std::string_view VerdictText(std::size_t conflict) const;

    // The Conflicts list.
    void SetShowQuiet(bool show);
    bool ShowQuiet() const { return showQuiet_; }
    std::string ShowQuietText() const;  // "Show 14 harmless or reviewed"
    void SetSearch(std::string_view text);
    const std::string& Search() const { return search_; }
    // Keeps the conflicts of a Packages row (any package of a group, both of a pair); none for all.
    void SetOverlapFilter(std::optional<std::size_t> overlapRow);
    std::optional<std::size_t> OverlapFilter() const { return overlapFilter_; }
    void SortConflicts(ConflictColumn column, bool ascending);
    std::size_t ConflictRowCount() const { return visible_.size(); }
    std::size_t ConflictOfRow(std::size_t row) const { return visible_[row]; }
    // The row that shows a conflict, if it is shown; at once, however many rows there are.
    std::optional<std::size_t> RowOfConflict(std::size_t conflict) const;
    std::string ConflictCell(std::size_t row, ConflictColumn column) const;

    // A conflict's packages in load order, the winner last.
    std::size_t PackageRowCount(std::size_t conflict) const;
    std::string PackageCell(std::size_t conflict, std::size_t row, PackageColumn column) const;
    std::string_view PackageOfRow(std::size_t conflict, std::size_t row) const;

    // The Packages list: the groups, then the pairs.
    std::size_t OverlapRowCount() const { return facts_.Groups.size() + facts_.Pairs.size(); }
    std::string OverlapCell(std::size_t row, OverlapColumn column) const;
    // The packages a Packages row is about: a group's, or a pair's two.
    std::vector<std::string_view> OverlapPackages(std::size_t row) const;
    // "1175 more pairs that share fewer resources are not listed." or nothing.
    std::string PairsOmittedText() const;

    // A package's full path in Windows form, for the file manager.
    std::string PackagePath(std::string_view package) const;

    // Marks the conflicts (indices into Facts().Conflicts) reviewed or not, remembered in
    // temp\reviewed.json; what is shown follows.
    void MarkReviewed(const std::vector<std::size_t>& conflicts, bool reviewed);

    // The given conflicts, or all with none given, as the explanation, headed by the program's
    // version, the Downloads folder, the date and the counts. UTF-8, LF line ends.
    std::string CopyText(const std::vector<std::size_t>& conflicts) const;
    // What "Save..." writes: the explanation as CopyText gives it for all, the JSON document,
    // or CSV with one line per conflict and package (CR LF line ends, as CSV has them).
    std::string SaveText(SaveKind kind) const;

private:
    std::string_view mfstrOwn(std::string_view name);
    std::string mfstrConflictText(std::size_t conflict, ConflictColumn column) const;
    bool mfblnQuiet(std::size_t conflict) const;
    bool mfblnMatches(std::size_t conflict) const;
    void msRefilter();
    void msSortVisible();

    // The facts' package names, copied: the scan's store, which the facts' views point into,
    // is emptied by the next scan while a window may still draw these. Set nodes never move.
    std::unordered_set<std::string> names_;
    ScanFacts facts_;
    std::string downloads_;
    std::string date_;
    bool showQuiet_ = false;
    std::string search_;  // in lower case
    std::optional<std::size_t> overlapFilter_;
    // The filter's packages: a group's, any of which a conflict must list, or a pair's two.
    std::unordered_set<std::string_view> groupFilter_;
    std::optional<std::pair<std::string_view, std::string_view>> pairFilter_;
    std::optional<std::pair<ConflictColumn, bool>> sort_;
    std::vector<std::size_t> visible_;  // the conflict of each row shown
    // The row of each conflict, kNoRow when it is not shown.
    static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
    std::vector<std::size_t> rowOf_;
};

// The details of the scan that just ended: its facts, what is new and reviewed since the last
// scan, remembered for the next one. A failure goes to the error trap under "frmHackMain".
std::optional<ScanDetails> gudtDetailsOfLastScan(const std::string& downloadsFolder, const std::string& dateText);
