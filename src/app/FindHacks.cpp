#include "app/FindHacks.h"

#include "app/AsciiCase.h"
#include "app/ScanBlocks.h"
#include "app/ScanReads.h"
#include "app/modUtility.h"
#include "errors/Assert.h"
#include "errors/modErrorTrap.h"
#include "package/modBinarySupport.h"
#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"
#include "platform/LargePages.h"
#include "platform/PhaseTimes.h"

#include <algorithm>
#include <memory>
#include <utility>


HackTable gudtBHAVTable;
HackTable gudtBCONTable;
HackTable gudtTTABTable;
HackTable gudtTTAsTable;
std::vector<PackageRef> gudtUnreadablePackages(1);

namespace {

// The position of each group/instance pair of one resource table. Every pair has at most one
// row, so the hash lookup finds exactly the row a search of all rows would. The positions sit
// in one flat array (open addressing, linear probing, at most three quarters full): a lookup
// touches one or two neighbouring slots, each holding a row number and a check taken from the
// pair's hash, so that only a slot whose check matches sends the lookup to the row itself.
class TableIndex {
public:
    explicit TableIndex(HackTable& table) : table_(table), slots_(mfNewSlots(kFirstSlots)) {}

    HackResource* Find(const SimsID& group, const SimsID& instance)
    {
        const std::uint64_t hash = Hash(group, instance);
        const std::uint32_t check = Check(hash);
        for (std::size_t i = Home(hash);; i = (i + 1) & (mintSlots() - 1)) {
            const Slot& slot = slots_[i];
            if (slot.Row == 0)
                return nullptr;
            if (slot.Check == check) {
                HackResource& row = table_[slot.Row];
                if (row.GroupID == group && row.InstanceID == instance)
                    return &row;
            }
        }
    }

    // Asks the processor to fetch the slot where Find will start for this pair, so that the
    // fetch overlaps the work on the resources before it. Changes nothing else. Inlined always:
    // the compiler takes a function that only fetches for one without effects and drops its calls.
    [[gnu::always_inline]] void Prefetch(const SimsID& group, const SimsID& instance) const
    {
        __builtin_prefetch(&slots_[Home(Hash(group, instance))]);
    }

    // Adds the row of a pair that Find did not find.
    HackResource& Add(const SimsID& group, const SimsID& instance)
    {
        if ((used_ + 1) * 4 > mintSlots() * 3)
            msGrow();
        // At most three quarters full, so a probe always meets an empty slot and ends.
        CLASHWICK_ASSERT((used_ + 1) * 4 <= mintSlots() * 3);
        const std::uint64_t hash = Hash(group, instance);
        msPlace(hash, static_cast<std::uint32_t>(table_.size()));
        ++used_;
        HackResource& row = table_.Add();
        row.GroupID = group;
        row.InstanceID = instance;
        return row;
    }

private:
    // Row 0 is never a row of a table (element 0 is unused), so it marks an empty slot.
    struct Slot {
        std::uint32_t Row = 0;
        std::uint32_t Check = 0;
    };
    static constexpr std::size_t kFirstSlots = 1024;  // a power of two, as every size after it

    // The pair's bits mixed so that neighbouring instances spread out.
    static std::uint64_t Hash(const SimsID& group, const SimsID& instance)
    {
        std::uint64_t mixed = ((static_cast<std::uint64_t>(group.Key()) << 32) | instance.Key()) * 0x9E3779B97F4A7C15ull;
        return mixed ^ (mixed >> 29);
    }
    static std::uint32_t Check(std::uint64_t hash) { return static_cast<std::uint32_t>(hash >> 32); }
    std::size_t Home(std::uint64_t hash) const { return static_cast<std::size_t>(hash) & (mintSlots() - 1); }

    void msPlace(std::uint64_t hash, std::uint32_t row)
    {
        std::size_t i = Home(hash);
        while (slots_[i].Row != 0)
            i = (i + 1) & (mintSlots() - 1);
        slots_[i] = {row, Check(hash)};
    }

    // The slots of an index, which lets them go when it grows (so not in the scan's blocks,
    // which would keep them until the next scan). Slots of a large page or more, a power of two
    // of them, take whole large pages of their own; fewer are ordinary memory.
    struct FreeSlots {
        std::size_t Count = 0;
        void operator()(Slot* slots) const
        {
            if (Count * sizeof(Slot) >= platform::kLargePageBytes)
                platform::gsFreeLargePages(slots, Count * sizeof(Slot));
            else
                delete[] slots;
        }
    };
    using SlotArray = std::unique_ptr<Slot[], FreeSlots>;

    // `count` empty slots.
    static SlotArray mfNewSlots(std::size_t count)
    {
        if (count * sizeof(Slot) < platform::kLargePageBytes)
            return SlotArray(new Slot[count](), FreeSlots{count});
        // Large pages come zero-filled, and a slot of zeros is empty.
        return SlotArray(static_cast<Slot*>(platform::gpvAllocateLargePages(count * sizeof(Slot))), FreeSlots{count});
    }
    std::size_t mintSlots() const { return slots_.get_deleter().Count; }

    void msGrow()
    {
        const SlotArray old = std::exchange(slots_, mfNewSlots(mintSlots() * 2));
        for (std::size_t i = 0; i < old.get_deleter().Count; ++i)
            if (const Slot& slot = old[i]; slot.Row != 0) {
                const HackResource& row = table_[slot.Row];
                msPlace(Hash(row.GroupID, row.InstanceID), slot.Row);
            }
    }

    HackTable& table_;
    SlotArray slots_;
    std::size_t used_ = 0;
};

struct Tables {
    TableIndex BHAV{gudtBHAVTable};
    TableIndex BCON{gudtBCONTable};
    TableIndex TTAB{gudtTTABTable};
    TableIndex TTAs{gudtTTAsTable};
    std::string NameBuffer;  // where new rows' names are decoded, kept for the whole scan

    // The table of a behaviour type, tested in the order BHAV, BCON, TTAB, TTAs; none for others.
    TableIndex* For(const SimsID& type)
    {
        if (type == gstrTypeBHAV)
            return &BHAV;
        if (type == gstrTypeBCON)
            return &BCON;
        if (type == gstrTypeTTAB)
            return &TTAB;
        if (type == gstrTypeTTAs)
            return &TTAs;
        return nullptr;
    }
};

// The names a read decoded, taken in resource order; without them (the read kept the resource
// bytes then), the scan decodes each name itself. Either way a name leaves the error record's
// location where decoding leaves it.
class ReadNames {
public:
    explicit ReadNames(std::string_view names) : names_(names) {}
    // The name of the next resource a table takes, when `wanted` (a new row's), else nothing.
    std::string_view Next(const PackageResource& resource, bool wanted, std::string& buffer)
    {
        if (names_.empty())
            return wanted ? gfstrResourceNameField(resource.Data, buffer) : std::string_view();
        const auto length = static_cast<unsigned char>(names_.front());
        const std::string_view name = names_.substr(1, length);
        names_.remove_prefix(1 + name.size());
        if (wanted)
            glngErrLocation = 4000;  // as gfstrDecompressFile leaves it
        return name;
    }

private:
    std::string_view names_;
};

// How many resources ahead the slot of a pair is fetched: far enough for the fetch to arrive
// before its lookup, near enough that a growing index has seldom moved it meanwhile.
constexpr std::size_t kPrefetchAhead = 4;

void msEnterResources(const PackageFile& package, std::string_view decodedNames, std::string_view packageName,
                      const std::shared_ptr<const platform::Folder>& folder, Tables& tables)
{
    ReadNames names(decodedNames);
    // The package's name and folder are kept once, when its first resource is entered.
    PackageNumber number = 0;
    const auto enter = [&](RowPackages& packages) {
        if (number == 0)
            number = gudtScanPackages().Add(packageName, folder);
        packages.Add(number);
    };
    for (std::size_t i = 1; i < package.Resources.size(); ++i) {
        if (i + kPrefetchAhead < package.Resources.size()) {
            const PackageResource& ahead = package.Resources[i + kPrefetchAhead];
            if (const TableIndex* table = tables.For(ahead.TypeID))
                table->Prefetch(ahead.GroupID, ahead.InstanceID);
        }
        const PackageResource& resource = package.Resources[i];
        if (resource.GroupID == gstrIgnoredGroup)
            continue;
        TableIndex* table = tables.For(resource.TypeID);
        if (!table)
            continue;
        if (HackResource* row = table->Find(resource.GroupID, resource.InstanceID)) {
            names.Next(resource, false, tables.NameBuffer);
            enter(row->Packages);
            continue;
        }
        // The name is read before the row exists: decompression may run the error trap.
        const std::string_view name = names.Next(resource, true, tables.NameBuffer);
        HackResource& row = table->Add(resource.GroupID, resource.InstanceID);
        row.ResourceName = gudtScanText().AddName(name);
        enter(row.Packages);
    }
}

constexpr std::string_view kDownloadsName = "\\DOWNLOADS";

// The names of the packages of one scan. Every path of a scan begins with the scanned folder,
// so a name begins where that folder's own "\downloads" does, whatever folders of that name lie
// above it; the place is found once per scan.
class ScanNames {
public:
    explicit ScanNames(std::string_view meshPath)
        : mesh_(meshPath), start_(gfstrAsciiUpperCase(meshPath).rfind(kDownloadsName))
    {
    }

    std::string Of(const std::string& path) const
    {
        if (start_ != std::string::npos && std::string_view(path).starts_with(mesh_))
            return path.substr(start_);
        return mfstrRelativePackageName(path);
    }

private:
    std::string_view mesh_;
    std::size_t start_;
};

// The error-code text of the unreadable list: "53 - File not found".
std::string mfstrErrorCodeText(std::int32_t number, const std::string& description)
{
    return std::to_string(number) + " - " + description;
}

// Lists a package that could not be read. Its step ends here, as a read that completes ends:
// the loader's "Filename = " line goes, so no later failure names this package.
void msListUnreadable(const std::string& path, const ScanNames& names, const PackageDamage& damage)
{
    gudtUnreadablePackages.push_back({names.Of(path), mfstrErrorCodeText(damage.Number, damage.Description)});
    gstrErrData.clear();
}

// A folder below the scanned one that could not be listed (or an entry whose kind could not be
// read), kept from the walk with the number of files the walk had found before it, so that it
// is listed where the scan's order reaches it.
struct UnlistedEntry {
    std::int32_t FilesBefore = 0;
    std::string Path;
    std::string ErrorCode;
};

// Lists the unlisted entries that the walk met before file m (all that are left, for m past
// the last file).
void msListUnlistedBefore(std::int32_t m, const std::vector<UnlistedEntry>& unlisted, std::size_t& next,
                          const ScanNames& names)
{
    for (; next < unlisted.size() && unlisted[next].FilesBefore < m; ++next)
        gudtUnreadablePackages.push_back({names.Of(unlisted[next].Path), unlisted[next].ErrorCode});
}

} // namespace

const std::array<TypedTable, 4>& gudtTablesInReportOrder()
{
    static const std::array<TypedTable, 4> tables = {{{gudtBHAVTable, gstrTypeBHAV, "BHAV"},
                                                      {gudtBCONTable, gstrTypeBCON, "BCON"},
                                                      {gudtTTABTable, gstrTypeTTAB, "TTAB"},
                                                      {gudtTTAsTable, gstrTypeTTAs, "TTAs"}}};
    return tables;
}

std::string mfstrRelativePackageName(const std::string& path)
{
    const std::size_t position = gfstrAsciiUpperCase(path).find(kDownloadsName);
    if (position == std::string::npos)
        gsRaise(errInvalidCall);
    return path.substr(position);
}

std::string mfstrRelativePackageName(const std::string& path, std::string_view meshPath)
{
    return ScanNames(meshPath).Of(path);
}

void gsRemoveDecompressionLog() { gsKillFile(platform::gfstrAppPath() + "\\DecompError.log"); }

bool gfblnFindHacks(const std::string& meshPath, const ProgressDrawer& drawProgress)
{
    return gfblnRunHandled("frmFindHacks", "Form_Activate", [&] {
        glngErrLocation = 1000;
        gsRemoveDecompressionLog();
        // The last scan's rows and texts are let go together; the tables start anew in the same
        // memory.
        gudtScanBlocks().Clear();
        for (HackTable* table : {&gudtBHAVTable, &gudtBCONTable, &gudtTTABTable, &gudtTTAsTable})
            table->Clear();
        gudtScanPackages().Clear();
        gudtScanText().Clear();
        gudtUnreadablePackages.assign(1, PackageRef{});
        Tables tables;

        // Packages are read on a pool of threads as the walk finds them, each opened in the
        // folder the walk found it in, and entered here in list order once the list is complete.
        ScanReadAhead reads(gintScanReadThreads());
        std::int32_t count = 0;
        std::int32_t handedOver = 0;
        std::vector<UnlistedEntry> unlisted;
        {
            const platform::PhaseTimer timer(platform::Phase::Listing);
            count = gflngFindFiles(
                meshPath, "*.package",
                [&](const std::shared_ptr<const platform::Folder>& folder, std::vector<std::string>&& names) {
                    handedOver += static_cast<std::int32_t>(names.size());
                    reads.Add(folder, std::move(names));
                },
                [&](const std::string& path, const Failure& failure) {
                    unlisted.push_back({handedOver, path, mfstrErrorCodeText(failure.Number(), failure.Description())});
                });
        }
        reads.Finish(count);
        const std::int32_t step = count / 25 + 1;

        const ScanNames names(meshPath);
        std::size_t nextUnlisted = 0;
        for (std::int32_t m = 1; m <= count; ++m) {
            msListUnlistedBefore(m, unlisted, nextUnlisted, names);
            const PackageRead& read = reads.Take(m);
            gsReplayStep(read.IndexStep);
            if (read.IndexDamage.Number != 0) {
                msListUnreadable(read.Path, names, read.IndexDamage);
            } else if (read.HasHackCode) {
                gsReplayStep(read.LoadStep);
                const platform::PhaseTimer timer(platform::Phase::TableEntry);
                if (read.LoadDamage.Number != 0)
                    msListUnreadable(read.Path, names, read.LoadDamage);
                else
                    msEnterResources(read.Package, read.Names, names.Of(read.Path), read.Folder, tables);
            }
            if (drawProgress && m % step == 0)
                drawProgress(m, count);
        }
        // A walk that failed scans nothing (its count is 0), and lists nothing it passed over.
        if (count == handedOver)
            msListUnlistedBefore(count + 1, unlisted, nextUnlisted, names);
    });
}
