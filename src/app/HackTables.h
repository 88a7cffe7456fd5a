#pragma once
// The records of the resource tables, kept compact: a scan of tens of thousands of packages
// makes hundreds of thousands of rows, so a row is 24 bytes. Every text a row holds (its
// resource name, the names of its packages) lives once in the scan's text store, which keeps
// it until the next scan starts; a row holds a 4-byte handle of its name and the numbers of
// its packages.

#include "package/SimsID.h"
#include "platform/Folders.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A package that entered a row, numbered from 1 in the order the scan first entered it.
using PackageNumber = std::uint32_t;

// A short text (at most 255 bytes) in the scan's text store, held as a handle of the length
// byte that precedes it; it reads as a std::string_view.
class StoredName {
public:
    StoredName() = default;
    explicit StoredName(std::uint32_t handle) : handle_(handle) {}
    std::uint32_t Handle() const { return handle_; }  // 0 for no text
    operator std::string_view() const;
    friend bool operator==(const StoredName& name, std::string_view text) { return std::string_view(name) == text; }

private:
    std::uint32_t handle_ = 0;
};

// The scan's text store: texts added are kept, unmoved, until it is emptied (its blocks are the
// scan's, as a table's are). It holds at most
// 4 GiB, far more than any scan needs; more raises 7 "Out of memory".
class ScanText {
public:
    std::string_view Add(std::string_view text);
    // A text of at most 255 bytes, stored after its length; longer ones keep their first 255.
    StoredName AddName(std::string_view text);
    std::string_view Name(StoredName name) const;
    void Clear();

private:
    static constexpr std::size_t kBlockBits = 16;
    static constexpr std::size_t kBlockSize = std::size_t{1} << kBlockBits;
    char* Reserve(std::size_t size);  // room for `size` bytes that never moves

    std::vector<char*> blocks_;  // in the scan's blocks
    std::size_t used_ = kBlockSize;  // in the last block; full before the first
};

// The packages that entered rows during the scan, by number, and the lists of the rows that
// hold more than one.
class PackageNames {
public:
    // The next number, for a package found in `folder`, whose relative name ends with the name
    // it has there.
    PackageNumber Add(std::string_view relativeName, std::shared_ptr<const platform::Folder> folder);
    std::string_view Name(PackageNumber number) const { return names_[number]; }
    // One more than the highest number given.
    std::size_t End() const { return names_.size(); }
    // The file as the scan found it, to be read again.
    platform::FoundFile File(PackageNumber number) const;

    // The packages of a row after its first: a new empty list's number, and the list.
    std::uint32_t NewList();
    std::vector<PackageNumber>& List(std::uint32_t list) { return lists_[list]; }
    const std::vector<PackageNumber>& List(std::uint32_t list) const { return lists_[list]; }

    void Clear();

private:
    std::vector<std::string_view> names_{std::string_view()};  // element 0 unused
    std::vector<std::shared_ptr<const platform::Folder>> folders_{nullptr};
    std::vector<std::vector<PackageNumber>> lists_{std::vector<PackageNumber>()};  // list 0 unused
};

// The texts and package names of the tables; emptied where a scan starts.
ScanText& gudtScanText();
PackageNames& gudtScanPackages();

inline StoredName::operator std::string_view() const { return gudtScanText().Name(*this); }

// One element of a row's package list as readers see it.
struct RowPackage {
    std::string_view PackageName;
};

// A row's package list: elements 1..size()-1 in the order found, element 0 unused. Nearly every
// row has one package, which the list holds itself; the rest sit in a list of the scan's.
class RowPackages {
public:
    std::size_t size() const
    {
        return first_ == 0 ? 1 : 2 + (more_ == 0 ? 0 : gudtScanPackages().List(more_).size());
    }
    PackageNumber Number(std::size_t element) const
    {
        return element == 1 ? first_ : gudtScanPackages().List(more_)[element - 2];
    }
    RowPackage operator[](std::size_t element) const
    {
        return {element == 0 ? std::string_view() : gudtScanPackages().Name(Number(element))};
    }
    void Add(PackageNumber package);

private:
    PackageNumber first_ = 0;  // 0 while the list is empty
    std::uint32_t more_ = 0;   // the scan's list of the elements after the first, 0 for none
};

struct HackResource {
    SimsID GroupID;
    SimsID InstanceID;
    StoredName ResourceName;  // from the resource that made the row, in the scan's text store
    RowPackages Packages;
};

// A resource table: rows 1..size()-1 in the order their pairs were met, element 0 unused. The
// rows sit in blocks that never move, so the table grows without copying what it holds; the
// blocks are the scan's (gudtScanBlocks), let go where the next scan starts.
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
    std::vector<HackResource*> blocks_;  // in the scan's blocks
    std::size_t size_ = 0;
};

// Upper bound of a table: its last row, 0 when it has none.
inline std::int64_t gflngUBound(const HackTable& table) { return static_cast<std::int64_t>(table.size()) - 1; }
