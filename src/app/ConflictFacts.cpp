#include "app/ConflictFacts.h"

#include "app/ConflictContents.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>

namespace {

using Prints = std::vector<std::optional<ContentPrint>>;

// True when every copy's content is known and the same.
bool mfblnAllSame(const Prints& prints)
{
    return std::all_of(prints.begin(), prints.end(),
                       [&](const std::optional<ContentPrint>& print) { return print && print == prints.front(); });
}

// Counts the row for every two different packages in it, each package by its first copy.
class PairCounter {
public:
    void Count(const RowPackages& packages, const Prints& prints)
    {
        std::vector<std::pair<PackageNumber, std::size_t>> firsts;  // package, its first element
        for (std::size_t e = 1; e < packages.size(); ++e) {
            const PackageNumber package = packages.Number(e);
            if (std::none_of(firsts.begin(), firsts.end(), [&](const auto& first) { return first.first == package; }))
                firsts.emplace_back(package, e);
        }
        for (std::size_t i = 0; i < firsts.size(); ++i)
            for (std::size_t j = i + 1; j < firsts.size(); ++j) {
                const std::optional<ContentPrint>& a = prints[firsts[i].second - 1];
                const std::optional<ContentPrint>& b = prints[firsts[j].second - 1];
                PairFact& pair = msPair(firsts[i].first, firsts[j].first);
                ++pair.Shared;
                if (a && b && *a == *b)
                    ++pair.Identical;
            }
    }

    // The pairs, most shared first; equal counts keep the order they were first met in.
    std::vector<PairFact> Sorted() &&
    {
        std::stable_sort(pairs_.begin(), pairs_.end(),
                         [](const PairFact& a, const PairFact& b) { return a.Shared > b.Shared; });
        return std::move(pairs_);
    }

private:
    // Packages are numbered in the order the scan listed them, and a row lists its packages
    // in that order, so the lower number is the one listed first.
    PairFact& msPair(PackageNumber a, PackageNumber b)
    {
        if (b < a)
            std::swap(a, b);
        const std::uint64_t key = (static_cast<std::uint64_t>(a) << 32) | b;
        const auto [place, added] = index_.try_emplace(key, pairs_.size());
        if (added)
            pairs_.push_back({gudtScanPackages().Name(a), gudtScanPackages().Name(b)});
        return pairs_[place->second];
    }

    std::vector<PairFact> pairs_;
    std::unordered_map<std::uint64_t, std::size_t> index_;
};

// The conflict rows of the tables, in the report's order.
std::vector<ContentRow> mudtConflictRows()
{
    std::vector<ContentRow> rows;
    for (const TypedTable& table : gudtTablesInReportOrder())
        for (std::size_t row = 1; row < table.Table.size(); ++row)
            if (table.Table[row].Packages.size() > 2)
                rows.push_back({&table, &table.Table[row]});
    return rows;
}

} // namespace

ScanFacts gudtScanFacts()
{
    ScanFacts facts;
    const std::vector<ContentRow> rows = mudtConflictRows();
    const ContentPrints contents = gudtReadContentPrints(rows);

    PairCounter pairs;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const HackResource& row = *rows[r].Row;
        ConflictFact& fact = facts.Conflicts.emplace_back();
        fact.TypeName = rows[r].Table->TypeName;
        fact.GroupID = row.GroupID;
        fact.InstanceID = row.InstanceID;
        fact.Name = platform::gfstrFromCodePage(row.ResourceName);
        for (std::size_t e = 1; e < row.Packages.size(); ++e)
            fact.Packages.push_back(row.Packages[e].PackageName);
        fact.Identical = mfblnAllSame(contents.Prints[r]);
        fact.Prints = contents.Prints[r];
        pairs.Count(row.Packages, contents.Prints[r]);
    }
    facts.Pairs = std::move(pairs).Sorted();
    if (gudtUnreadablePackages.size() > 1)
        facts.Unreadable.assign(gudtUnreadablePackages.begin() + 1, gudtUnreadablePackages.end());
    for (const PackageNumber package : contents.Unread)
        facts.NotCompared.push_back(gudtScanPackages().Name(package));
    return facts;
}
