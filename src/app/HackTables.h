#pragma once
// The records of the resource tables, kept compact: a scan of tens of thousands of packages
// makes hundreds of thousands of rows. Every text a row holds (its resource name, the names of
// its packages) lives once in the scan's text store, which keeps it until the next scan starts;
// a row holds a view of its name and the numbers of its packages.

#include "package/SimsID.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A package that entered a row, numbered from 1 in the order the scan first entered it.
using PackageNumber = std::uint32_t;

// The scan's text store: texts added are kept, unmoved, until it is emptied.
class ScanText {
public:
    std::string_view Add(std::string_view text);
    void Clear();

private:
    static constexpr std::size_t kBlockSize = 64 * 1024;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t used_ = kBlockSize;  // in the last block; full before the first
};

// The packages that entered rows during the scan, by number.
class PackageNames {
public:
    PackageNumber Add(std::string_view relativeName);  // the next number
    std::string_view Name(PackageNumber number) const { return names_[number]; }
    void Clear();

private:
    std::vector<std::string_view> names_{std::string_view()};  // element 0 unused
};

// The texts and package names of the tables; emptied where a scan starts.
ScanText& gudtScanText();
PackageNames& gudtScanPackages();

// One element of a row's package list as readers see it.
struct RowPackage {
    std::string_view PackageName;
};

// A row's package list: elements 1..size()-1 in the order found, element 0 unused. Nearly every
// row has one package, which the list holds itself; the rest sit in a block of their own.
class RowPackages {
public:
    RowPackages() = default;
    RowPackages(const RowPackages& other);
    RowPackages& operator=(const RowPackages& other);
    RowPackages(RowPackages&&) noexcept = default;
    RowPackages& operator=(RowPackages&&) noexcept = default;

    std::size_t size() const { return static_cast<std::size_t>(count_) + 1; }
    PackageNumber Number(std::size_t element) const { return element == 1 ? first_ : more_[element - 2]; }
    RowPackage operator[](std::size_t element) const
    {
        return {element == 0 ? std::string_view() : gudtScanPackages().Name(Number(element))};
    }
    void Add(PackageNumber package);

private:
    PackageNumber first_ = 0;
    std::uint32_t count_ = 0;
    std::unique_ptr<PackageNumber[]> more_;  // elements 2..count_; room for a power of two
};

struct HackResource {
    SimsID GroupID;
    SimsID InstanceID;
    std::string_view ResourceName;  // from the resource that made the row, in the scan's text store
    RowPackages Packages;
};

// A resource table: rows 1..size()-1 in the order their pairs were met, element 0 unused. The
// rows sit in blocks that never move, so the table grows without copying what it holds.
class HackTable {
public:
    HackTable() { Clear(); }

    std::size_t size() const { return size_; }
    HackResource& operator[](std::size_t row) { return blocks_[row / kBlockRows][row % kBlockRows]; }
    const HackResource& operator[](std::size_t row) const { return blocks_[row / kBlockRows][row % kBlockRows]; }

    HackResource& Add();  // a new last row
    void Clear();         // element 0 only

private:
    static constexpr std::size_t kBlockRows = 4096;
    std::vector<std::unique_ptr<HackResource[]>> blocks_;
    std::size_t size_ = 0;
};

// Upper bound of a table: its last row, 0 when it has none.
inline std::int64_t gflngUBound(const HackTable& table) { return static_cast<std::int64_t>(table.size()) - 1; }
