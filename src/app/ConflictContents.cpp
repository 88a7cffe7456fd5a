#include "app/ConflictContents.h"

#include "errors/modErrorTrap.h"
#include "package/modSimsPackage.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>

namespace {

// A resource's type, group and instance as numbers, to sort and search by.
struct ResourceKey {
    std::uint32_t Type = 0;
    std::uint32_t Group = 0;
    std::uint32_t Instance = 0;
    auto operator<=>(const ResourceKey&) const = default;
};

// One entry of a row, as the package that holds it sees it.
struct WantedEntry {
    ResourceKey Key;
    std::uint32_t Row = 0;      // in the list of rows
    std::uint32_t Element = 0;  // in the row's package list, from 1
};

// Each package's wanted entries, by package number, each package's in row order and, within
// a row, in list order.
std::vector<std::vector<WantedEntry>> mudtWantedByPackage(const std::vector<ContentRow>& rows)
{
    std::vector<std::vector<WantedEntry>> wanted;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const HackResource& row = *rows[r].Row;
        const ResourceKey key{rows[r].Table->TypeID.Key(), row.GroupID.Key(), row.InstanceID.Key()};
        for (std::size_t e = 1; e < row.Packages.size(); ++e) {
            const PackageNumber package = row.Packages.Number(e);
            if (package >= wanted.size())
                wanted.resize(package + 1);
            wanted[package].push_back({key, static_cast<std::uint32_t>(r), static_cast<std::uint32_t>(e)});
        }
    }
    return wanted;
}

// Prints the wanted entries of one package: the k-th entry wanted under a key gets the k-th
// resource of the index under that key. False when the package could not be read, holds fewer
// copies than wanted, or its prints would take more than `budget` bytes, which is charged with
// what they took.
bool mfblnPrintPackage(const platform::FoundFile& file, std::vector<WantedEntry>& wanted, std::uint64_t& budget,
                       ContentPrints& out)
{
    // Failures are kept here instead of being presented: they only mean "not compared".
    std::vector<DeferredTrap> failures;
    const TrapDeferral deferral(failures);
    PackageFile package;
    PackageDamage damage;
    gsLoadPackage(file, package, damage);
    if (damage.Number != 0 || !failures.empty())
        return false;

    // Sorted by key, each key's entries stay in list order.
    std::stable_sort(wanted.begin(), wanted.end(),
                     [](const WantedEntry& a, const WantedEntry& b) { return a.Key < b.Key; });
    std::vector<std::uint32_t> taken(wanted.size(), 0);  // at the first entry of each key: copies met
    std::map<std::pair<const char*, std::size_t>, ContentPrint> printedBytes;  // by stored bytes
    std::size_t printed = 0;
    for (std::size_t i = 1; i < package.Resources.size() && printed < wanted.size(); ++i) {
        const PackageResource& resource = package.Resources[i];
        const ResourceKey key{resource.TypeID.Key(), resource.GroupID.Key(), resource.InstanceID.Key()};
        const auto first = std::lower_bound(wanted.begin(), wanted.end(), key,
                                            [](const WantedEntry& entry, const ResourceKey& k) { return entry.Key < k; });
        if (first == wanted.end() || first->Key != key)
            continue;
        const std::size_t start = static_cast<std::size_t>(first - wanted.begin());
        const std::size_t entry = start + taken[start];
        if (entry >= wanted.size() || wanted[entry].Key != key)
            continue;  // a copy more than the scan entered: the package changed since
        ++taken[start];
        const auto [known, added] = printedBytes.try_emplace({resource.Data.data(), resource.Data.size()});
        if (added) {
            if (budget == 0)
                return false;
            known->second = gudtContentPrint(resource.Data);
            if (!failures.empty())
                return false;
            // A plain resource costs its size, a compressed one what it decodes to.
            const std::uint64_t cost = std::max<std::uint64_t>(known->second.Size, resource.Data.size());
            budget -= std::min(budget, cost);
        }
        out.Prints[wanted[entry].Row][wanted[entry].Element - 1] = known->second;
        ++printed;
    }
    return printed == wanted.size();
}

} // namespace

ContentPrints gudtReadContentPrints(const std::vector<ContentRow>& rows, std::uint64_t budget)
{
    ContentPrints out;
    out.Prints.resize(rows.size());
    for (std::size_t r = 0; r < rows.size(); ++r)
        out.Prints[r].resize(rows[r].Row->Packages.size() - 1);

    // The loaders note their place in the error record; what it held is put back.
    const std::int32_t location = glngErrLocation;
    const std::string data = gstrErrData;
    std::vector<std::vector<WantedEntry>> wanted = mudtWantedByPackage(rows);
    for (std::size_t package = 1; package < wanted.size(); ++package) {
        if (wanted[package].empty())
            continue;
        if (!mfblnPrintPackage(gudtScanPackages().File(static_cast<PackageNumber>(package)), wanted[package], budget,
                               out)) {
            // Whatever was printed may not be what the scan read: none of it counts.
            for (const WantedEntry& entry : wanted[package])
                out.Prints[entry.Row][entry.Element - 1].reset();
            out.Unread.push_back(static_cast<PackageNumber>(package));
        }
    }
    glngErrLocation = location;
    gstrErrData = data;
    return out;
}
