#include "app/ScanDetails.h"

#include "app/AppIdentity.h"
#include "app/AsciiCase.h"
#include "app/FactsExplain.h"
#include "app/FactsJson.h"
#include "app/ModNames.h"
#include "app/ScanMemory.h"
#include "errors/modErrorTrap.h"
#include "platform/TerminalText.h"

#include <algorithm>
#include <array>

namespace {

using platform::gfstrPrintable;

constexpr std::array<std::string_view, kConflictColumns> kConflictTitles{
    "Verdict", "New", "Type", "Resource", "Group", "Instance", "Packages", "Winner"};
constexpr std::array<std::string_view, kOverlapColumns> kOverlapTitles{"Packages", "Winner", "Shared", "Identical",
                                                                       "Verdict"};
constexpr std::array<std::string_view, kPackageColumns> kPackageTitles{"Package", "Copy"};

std::string mfstrCount(std::size_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// A CSV field: quoted when it holds a comma, a quote or a line end, its quotes doubled.
std::string mfstrCsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string field = "\"";
    for (const char c : text) {
        field += c;
        if (c == '"')
            field += '"';
    }
    return field + "\"";
}

bool mfblnListed(const ConflictFact& fact, std::string_view package)
{
    return std::find(fact.Packages.begin(), fact.Packages.end(), package) != fact.Packages.end();
}

} // namespace

std::string_view gfstrConflictColumnTitle(ConflictColumn column) { return kConflictTitles[static_cast<std::size_t>(column)]; }
std::string_view gfstrOverlapColumnTitle(OverlapColumn column) { return kOverlapTitles[static_cast<std::size_t>(column)]; }
std::string_view gfstrPackageColumnTitle(PackageColumn column) { return kPackageTitles[static_cast<std::size_t>(column)]; }

ScanDetails::ScanDetails(ScanFacts facts, std::string downloadsFolder, std::string dateText)
    : facts_(std::move(facts)), downloads_(std::move(downloadsFolder)), date_(std::move(dateText))
{
    for (ConflictFact& fact : facts_.Conflicts)
        for (std::string_view& package : fact.Packages)
            package = mfstrOwn(package);
    for (PairFact& pair : facts_.Pairs) {
        pair.First = mfstrOwn(pair.First);
        pair.Second = mfstrOwn(pair.Second);
    }
    for (GroupFact& group : facts_.Groups)
        for (std::string_view& package : group.Packages)
            package = mfstrOwn(package);
    for (std::string_view& package : facts_.NotCompared)
        package = mfstrOwn(package);
    msRefilter();
}

std::string_view ScanDetails::mfstrOwn(std::string_view name) { return *names_.emplace(name).first; }

std::string ScanDetails::SummaryLine() const
{
    std::size_t harmless = 0;
    std::size_t reviewed = 0;
    std::size_t fresh = 0;
    for (const ConflictFact& fact : facts_.Conflicts) {
        harmless += fact.Identical ? 1 : 0;
        reviewed += !fact.Identical && fact.Reviewed ? 1 : 0;
        fresh += fact.New ? 1 : 0;
    }
    const std::size_t total = facts_.Conflicts.size();
    std::string line = mfstrCount(total, "possible conflict", "possible conflicts") + ": " + std::to_string(harmless) +
                       " harmless (every copy identical), " + std::to_string(total - harmless - reviewed) +
                       " to look at";
    if (fresh > 0)
        line += ", " + std::to_string(fresh) + " new since the last scan";
    if (reviewed > 0)
        line += ", " + std::to_string(reviewed) + " reviewed";
    return line;
}

// A harmless conflict is harmless whether or not it was reviewed.
std::string_view ScanDetails::VerdictText(std::size_t conflict) const
{
    const ConflictFact& fact = facts_.Conflicts[conflict];
    if (fact.Identical)
        return "harmless: identical copies";
    return fact.Reviewed ? "reviewed" : "to look at";
}

bool ScanDetails::mfblnQuiet(std::size_t conflict) const
{
    return facts_.Conflicts[conflict].Identical || facts_.Conflicts[conflict].Reviewed;
}

// Whether a conflict passes the search and the Packages filter; harmless or not.
bool ScanDetails::mfblnMatches(std::size_t conflict) const
{
    const ConflictFact& fact = facts_.Conflicts[conflict];
    if (overlapFilter_) {
        // A group's conflicts hold any of its packages; a pair's hold both.
        const bool shown =
            pairFilter_ ? mfblnListed(fact, pairFilter_->first) && mfblnListed(fact, pairFilter_->second)
                        : std::any_of(fact.Packages.begin(), fact.Packages.end(),
                                      [&](std::string_view package) { return groupFilter_.contains(package); });
        if (!shown)
            return false;
    }
    if (search_.empty())
        return true;
    if (gfstrAsciiLowerCase(fact.Name).find(search_) != std::string::npos)
        return true;
    return std::any_of(fact.Packages.begin(), fact.Packages.end(), [&](std::string_view package) {
        return gfstrAsciiLowerCase(package).find(search_) != std::string::npos;
    });
}

void ScanDetails::msRefilter()
{
    visible_.clear();
    for (std::size_t c = 0; c < facts_.Conflicts.size(); ++c)
        if ((showQuiet_ || !mfblnQuiet(c)) && mfblnMatches(c))
            visible_.push_back(c);
    if (sort_)
        msSortVisible();
    // Each conflict's row at hand: a window selects its chosen conflicts again after every
    // change, thousands of them at a time.
    rowOf_.assign(facts_.Conflicts.size(), kNoRow);
    for (std::size_t row = 0; row < visible_.size(); ++row)
        rowOf_[visible_[row]] = row;
}

void ScanDetails::msSortVisible()
{
    // Plain copies: a lambda may not capture a structured binding in every compiler we build with.
    const ConflictColumn column = sort_->first;
    const bool ascending = sort_->second;
    // Each shown row's key once: the cell as shown, names without regard to case, and the
    // package count as a number.
    std::vector<std::string> keys(facts_.Conflicts.size());
    for (const std::size_t c : visible_)
        keys[c] = column == ConflictColumn::Packages ? std::string() : gfstrAsciiLowerCase(mfstrConflictText(c, column));
    const auto less = [&](std::size_t a, std::size_t b) {
        if (column == ConflictColumn::Packages)
            return facts_.Conflicts[a].Packages.size() < facts_.Conflicts[b].Packages.size();
        return keys[a] < keys[b];
    };
    std::stable_sort(visible_.begin(), visible_.end(),
                     [&](std::size_t a, std::size_t b) { return ascending ? less(a, b) : less(b, a); });
}

void ScanDetails::SetShowQuiet(bool show)
{
    showQuiet_ = show;
    msRefilter();
}

std::string ScanDetails::ShowQuietText() const
{
    std::size_t quiet = 0;
    for (std::size_t c = 0; c < facts_.Conflicts.size(); ++c)
        quiet += mfblnQuiet(c) && mfblnMatches(c) ? 1 : 0;
    return "Show " + std::to_string(quiet) + " harmless or reviewed";
}

void ScanDetails::SetSearch(std::string_view text)
{
    search_ = gfstrAsciiLowerCase(text);
    msRefilter();
}

void ScanDetails::SetOverlapFilter(std::optional<std::size_t> overlapRow)
{
    overlapFilter_ = overlapRow && *overlapRow < OverlapRowCount() ? overlapRow : std::nullopt;
    groupFilter_.clear();
    pairFilter_.reset();
    if (overlapFilter_ && *overlapFilter_ < facts_.Groups.size()) {
        const std::vector<std::string_view>& packages = facts_.Groups[*overlapFilter_].Packages;
        groupFilter_.insert(packages.begin(), packages.end());
    } else if (overlapFilter_) {
        const PairFact& pair = facts_.Pairs[*overlapFilter_ - facts_.Groups.size()];
        pairFilter_.emplace(pair.First, pair.Second);
    }
    msRefilter();
}

void ScanDetails::SortConflicts(ConflictColumn column, bool ascending)
{
    sort_ = std::make_pair(column, ascending);
    msRefilter();
}

std::optional<std::size_t> ScanDetails::RowOfConflict(std::size_t conflict) const
{
    if (conflict >= rowOf_.size() || rowOf_[conflict] == kNoRow)
        return std::nullopt;
    return rowOf_[conflict];
}

std::string ScanDetails::ConflictCell(std::size_t row, ConflictColumn column) const
{
    return row < visible_.size() ? mfstrConflictText(visible_[row], column) : std::string();
}

std::string ScanDetails::mfstrConflictText(std::size_t conflict, ConflictColumn column) const
{
    const ConflictFact& fact = facts_.Conflicts[conflict];
    switch (column) {
    case ConflictColumn::Verdict:
        return std::string(VerdictText(conflict));
    case ConflictColumn::New:
        return fact.New ? "new" : "";
    case ConflictColumn::Type:
        return std::string(fact.TypeName);
    case ConflictColumn::Name:
        return gfstrPrintable(fact.Name);
    case ConflictColumn::Group:
        return gfstrHexID(fact.GroupID);
    case ConflictColumn::Instance:
        return gfstrHexID(fact.InstanceID);
    case ConflictColumn::Packages:
        return std::to_string(fact.Packages.size());
    case ConflictColumn::Winner:
        return gfstrPrintable(gfstrFileName(fact.Winner()));
    }
    return {};
}

std::size_t ScanDetails::PackageRowCount(std::size_t conflict) const
{
    return conflict < facts_.Conflicts.size() ? facts_.Conflicts[conflict].Packages.size() : 0;
}

std::string_view ScanDetails::PackageOfRow(std::size_t conflict, std::size_t row) const
{
    return row < PackageRowCount(conflict) ? facts_.Conflicts[conflict].Packages[row] : std::string_view();
}

std::string ScanDetails::PackageCell(std::size_t conflict, std::size_t row, PackageColumn column) const
{
    if (row >= PackageRowCount(conflict))
        return {};
    const ConflictFact& fact = facts_.Conflicts[conflict];
    if (column == PackageColumn::Package)
        return gfstrPrintable(fact.Packages[row]);
    if (row + 1 == fact.Packages.size())
        return "winner, " + std::string(kWinnerReason);
    const std::optional<ContentPrint>& copy = row < fact.Prints.size() ? fact.Prints[row] : std::nullopt;
    const std::optional<ContentPrint>& winner = fact.Prints.empty() ? std::nullopt : fact.Prints.back();
    if (!copy || !winner)
        return "could not be compared";
    return *copy == *winner ? "the same as the winner's" : "differs from the winner's";
}

std::string ScanDetails::OverlapCell(std::size_t row, OverlapColumn column) const
{
    if (row < facts_.Groups.size()) {
        const GroupFact& group = facts_.Groups[row];
        switch (column) {
        case OverlapColumn::Packages:
            return gfstrGroupNames(group);
        case OverlapColumn::Winner:
            return gfstrPrintable(group.Winner());
        case OverlapColumn::Shared:
            return std::to_string(group.Shared);
        case OverlapColumn::Identical:
            return std::to_string(group.Identical);
        case OverlapColumn::Verdict:
            return gfstrGroupVerdict(group);
        }
        return {};
    }
    if (row >= OverlapRowCount())
        return {};
    // The package listed later wins every row the two share: rows list packages in load order.
    const PairFact& pair = facts_.Pairs[row - facts_.Groups.size()];
    switch (column) {
    case OverlapColumn::Packages:
        return gfstrPrintable(gfstrFileName(pair.First)) + " and " + gfstrPrintable(gfstrFileName(pair.Second));
    case OverlapColumn::Winner:
        return gfstrPrintable(pair.Second);
    case OverlapColumn::Shared:
        return std::to_string(pair.Shared);
    case OverlapColumn::Identical:
        return std::to_string(pair.Identical);
    case OverlapColumn::Verdict:
        return std::string(gfstrPairVerdict(pair));
    }
    return {};
}

std::vector<std::string_view> ScanDetails::OverlapPackages(std::size_t row) const
{
    if (row < facts_.Groups.size())
        return facts_.Groups[row].Packages;
    if (row >= OverlapRowCount())
        return {};
    const PairFact& pair = facts_.Pairs[row - facts_.Groups.size()];
    return {pair.First, pair.Second};
}

std::string ScanDetails::PairsOmittedText() const
{
    if (facts_.PairsOmitted <= 0)
        return {};
    return mfstrCount(static_cast<std::size_t>(facts_.PairsOmitted), "more pair", "more pairs") +
           " that share fewer resources " + (facts_.PairsOmitted == 1 ? "is" : "are") + " not listed.";
}

std::string ScanDetails::PackagePath(std::string_view package) const
{
    // Package names start with the scanned folder's own "\downloads".
    constexpr std::string_view kOwnFolder = "\\downloads";
    const std::string_view below = package.size() >= kOwnFolder.size() ? package.substr(kOwnFolder.size()) : package;
    return downloads_ + std::string(below);
}

void ScanDetails::MarkReviewed(const std::vector<std::size_t>& conflicts, bool reviewed)
{
    gsMarkReviewed(facts_, conflicts, reviewed);
    msRefilter();
}

std::string ScanDetails::CopyText(const std::vector<std::size_t>& conflicts) const
{
    std::string text = std::string(kAppTitle) + " " + gfstrVersionText(kAppVersion) + "\n" +
                       "Downloads folder: " + gfstrPrintable(downloads_) + "\n" + "Date: " + date_ + "\n" +
                       SummaryLine() + "\n\n";
    if (conflicts.empty())
        return text + gfstrFactsExplained(facts_);
    ScanFacts chosen;
    for (const std::size_t c : conflicts)
        if (c < facts_.Conflicts.size())
            chosen.Conflicts.push_back(facts_.Conflicts[c]);
    return text + gfstrFactsExplained(chosen);
}

std::string ScanDetails::SaveText(SaveKind kind) const
{
    if (kind == SaveKind::Explained)
        return CopyText({});
    if (kind == SaveKind::Json)
        return gfstrFactsJson(facts_);
    std::string csv = "type,group,instance,name,package,copy,winner,identical,new,reviewed\r\n";
    for (std::size_t c = 0; c < facts_.Conflicts.size(); ++c) {
        const ConflictFact& fact = facts_.Conflicts[c];
        for (std::size_t p = 0; p < fact.Packages.size(); ++p) {
            csv += std::string(fact.TypeName) + "," + gfstrHexID(fact.GroupID) + "," + gfstrHexID(fact.InstanceID) + "," +
                   mfstrCsvField(fact.Name) + "," + mfstrCsvField(fact.Packages[p]) + "," + std::to_string(p + 1) + "," +
                   (p + 1 == fact.Packages.size() ? "yes" : "no") + "," + (fact.Identical ? "yes" : "no") + "," +
                   (fact.New ? "yes" : "no") + "," + (fact.Reviewed ? "yes" : "no") + "\r\n";
        }
    }
    return csv;
}

std::optional<ScanDetails> gudtDetailsOfLastScan(const std::string& downloadsFolder, const std::string& dateText)
{
    std::optional<ScanDetails> details;
    gfblnRunHandled("frmHackMain", "ShowDetails", [&] {
        ScanFacts facts = gudtScanFacts();
        gsRememberScan(facts);
        details.emplace(std::move(facts), downloadsFolder, dateText);
    });
    return details;
}
