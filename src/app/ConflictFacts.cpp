#include "app/ConflictFacts.h"

#include "app/ConflictContents.h"
#include "app/ModNames.h"
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

// A row's different packages, each by its first copy: (package, element), in list order.
using RowFirsts = std::vector<std::pair<PackageNumber, std::size_t>>;

class FirstCopies {
public:
    explicit FirstCopies(std::size_t packageEnd) : seen_(packageEnd, 0) {}

    const RowFirsts& Of(const RowPackages& packages)
    {
        ++round_;
        firsts_.clear();
        for (std::size_t e = 1; e < packages.size(); ++e) {
            const PackageNumber package = packages.Number(e);
            if (seen_[package] != round_) {
                seen_[package] = round_;
                firsts_.emplace_back(package, e);
            }
        }
        return firsts_;
    }

private:
    std::vector<std::uint32_t> seen_;  // the round in which a package was last met
    std::uint32_t round_ = 0;
    RowFirsts firsts_;
};

// Packages of one mod's name joined whenever a row lists two of them, so that a group holds
// the copies that share rows with another copy.
class ModGroups {
public:
    explicit ModGroups(std::size_t packageEnd) : parent_(packageEnd), key_(packageEnd, kNoKey)
    {
        for (std::size_t p = 0; p < packageEnd; ++p)
            parent_[p] = static_cast<PackageNumber>(p);
    }

    void Join(const RowFirsts& firsts)
    {
        keyed_.clear();
        for (const auto& first : firsts)
            keyed_.emplace_back(msKey(first.first), first.first);
        std::sort(keyed_.begin(), keyed_.end());
        for (std::size_t k = 1; k < keyed_.size(); ++k)
            if (keyed_[k].first == keyed_[k - 1].first)
                parent_[mfRoot(keyed_[k].second)] = mfRoot(keyed_[k - 1].second);
    }

    // Numbers the groups of two or more in the order of their first packages, fills in their
    // packages, and gives each package its group's number, or none.
    std::vector<GroupFact> Groups(std::vector<std::int64_t>& groupOf)
    {
        std::vector<std::size_t> size(parent_.size(), 0);
        for (std::size_t p = 1; p < parent_.size(); ++p)
            ++size[mfRoot(static_cast<PackageNumber>(p))];
        std::vector<GroupFact> groups;
        std::vector<std::int64_t> number(parent_.size(), -1);
        groupOf.assign(parent_.size(), -1);
        for (std::size_t p = 1; p < parent_.size(); ++p) {
            const PackageNumber root = mfRoot(static_cast<PackageNumber>(p));
            if (size[root] < 2)
                continue;
            if (number[root] < 0) {
                number[root] = static_cast<std::int64_t>(groups.size());
                groups.emplace_back();
            }
            groupOf[p] = number[root];
            groups[static_cast<std::size_t>(number[root])].Packages.push_back(
                gudtScanPackages().Name(static_cast<PackageNumber>(p)));
        }
        return groups;
    }

private:
    static constexpr std::uint32_t kNoKey = 0xFFFFFFFF;

    std::uint32_t msKey(PackageNumber package)
    {
        if (key_[package] == kNoKey)
            key_[package] = keys_.try_emplace(gfstrModKey(gudtScanPackages().Name(package)),
                                              static_cast<std::uint32_t>(keys_.size()))
                                .first->second;
        return key_[package];
    }

    PackageNumber mfRoot(PackageNumber package)
    {
        while (parent_[package] != package) {
            parent_[package] = parent_[parent_[package]];
            package = parent_[package];
        }
        return package;
    }

    std::vector<PackageNumber> parent_;
    std::vector<std::uint32_t> key_;  // a package's mod key, once asked for
    std::unordered_map<std::string, std::uint32_t> keys_;
    std::vector<std::pair<std::uint32_t, PackageNumber>> keyed_;
};

// Counts the row for every two different packages in it that are not of one group, and for
// every group two or more of whose packages it lists.
class OverlapCounter {
public:
    OverlapCounter(std::vector<GroupFact>& groups, const std::vector<std::int64_t>& groupOf)
        : groups_(groups), groupOf_(groupOf)
    {
    }

    void Count(const RowFirsts& firsts, const Prints& prints)
    {
        // Each package's group, a package of none its own; and past each element the next
        // element of another group, so that a row of many copies of one mod costs no more
        // than the pairs it holds.
        const std::size_t n = firsts.size();
        group_.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            const std::int64_t group = groupOf_[firsts[i].first];
            group_[i] = group >= 0 ? group : -static_cast<std::int64_t>(firsts[i].first);
        }
        nextOther_.resize(n);
        for (std::size_t i = n; i-- > 0;)
            nextOther_[i] = i + 1 >= n || group_[i + 1] != group_[i] ? i + 1 : nextOther_[i + 1];

        for (std::size_t i = 0; i < n; ++i) {
            const std::optional<ContentPrint>& a = prints[firsts[i].second - 1];
            for (std::size_t j = i + 1; j < n;) {
                if (group_[j] == group_[i]) {
                    j = nextOther_[j];
                    continue;
                }
                const std::optional<ContentPrint>& b = prints[firsts[j].second - 1];
                PairFact& pair = msPair(firsts[i].first, firsts[j].first);
                ++pair.Shared;
                if (a && b && *a == *b)
                    ++pair.Identical;
                ++j;
            }
        }
        msCountGroups(firsts, prints);
    }

    // The pairs, most shared first; equal counts keep the order they were first met in. Past
    // the cap only their number is kept.
    std::vector<PairFact> Sorted(std::int64_t& omitted) &&
    {
        std::stable_sort(pairs_.begin(), pairs_.end(),
                         [](const PairFact& a, const PairFact& b) { return a.Shared > b.Shared; });
        omitted = static_cast<std::int64_t>(pairs_.size() - std::min(pairs_.size(), kPairCap));
        pairs_.resize(pairs_.size() - static_cast<std::size_t>(omitted));
        return std::move(pairs_);
    }

private:
    void msCountGroups(const RowFirsts& firsts, const Prints& prints)
    {
        // (group, element) of the row's grouped packages; a group's come together once sorted.
        inRow_.clear();
        for (const auto& first : firsts)
            if (groupOf_[first.first] >= 0)
                inRow_.emplace_back(groupOf_[first.first], first.second);
        std::stable_sort(inRow_.begin(), inRow_.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t start = 0; start < inRow_.size();) {
            std::size_t end = start + 1;
            bool same = prints[inRow_[start].second - 1].has_value();
            for (; end < inRow_.size() && inRow_[end].first == inRow_[start].first; ++end)
                same = same && prints[inRow_[end].second - 1] == prints[inRow_[start].second - 1];
            if (end - start >= 2) {
                GroupFact& group = groups_[static_cast<std::size_t>(inRow_[start].first)];
                ++group.Shared;
                group.Identical += same ? 1 : 0;
            }
            start = end;
        }
    }

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

    std::vector<GroupFact>& groups_;
    const std::vector<std::int64_t>& groupOf_;
    std::vector<std::int64_t> group_;
    std::vector<std::size_t> nextOther_;
    std::vector<std::pair<std::int64_t, std::size_t>> inRow_;
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

    const std::size_t packageEnd = gudtScanPackages().End();
    FirstCopies firsts(packageEnd);
    ModGroups modGroups(packageEnd);
    for (const ContentRow& row : rows)
        modGroups.Join(firsts.Of(row.Row->Packages));
    std::vector<std::int64_t> groupOf;
    facts.Groups = modGroups.Groups(groupOf);

    OverlapCounter overlaps(facts.Groups, groupOf);
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
        overlaps.Count(firsts.Of(row.Packages), contents.Prints[r]);
    }
    facts.Pairs = std::move(overlaps).Sorted(facts.PairsOmitted);
    if (gudtUnreadablePackages.size() > 1)
        facts.Unreadable.assign(gudtUnreadablePackages.begin() + 1, gudtUnreadablePackages.end());
    for (const PackageNumber package : contents.Unread)
        facts.NotCompared.push_back(gudtScanPackages().Name(package));
    return facts;
}
