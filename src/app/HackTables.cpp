#include "app/HackTables.h"

#include "errors/Assert.h"

#include <algorithm>
#include <bit>
#include <cstring>

// ---- ScanText ----------------------------------------------------------------------------------

std::string_view ScanText::Add(std::string_view text)
{
    if (text.empty())
        return {};
    if (text.size() > kBlockSize - used_) {
        // A long text gets a block of its own, put before the block being filled, which stays
        // last (with none yet, used_ says the last block is full, so the next text starts one).
        if (text.size() > kBlockSize / 4) {
            auto own = std::make_unique<char[]>(text.size());
            std::memcpy(own.get(), text.data(), text.size());
            const std::string_view kept(own.get(), text.size());
            blocks_.insert(blocks_.end() - (blocks_.empty() ? 0 : 1), std::move(own));
            return kept;
        }
        blocks_.push_back(std::make_unique<char[]>(kBlockSize));
        used_ = 0;
    }
    char* at = blocks_.back().get() + used_;
    std::memcpy(at, text.data(), text.size());
    used_ += text.size();
    return {at, text.size()};
}

void ScanText::Clear()
{
    blocks_.clear();
    used_ = kBlockSize;
}

// ---- PackageNames ------------------------------------------------------------------------------

PackageNumber PackageNames::Add(std::string_view relativeName)
{
    names_.push_back(gudtScanText().Add(relativeName));
    return static_cast<PackageNumber>(names_.size() - 1);
}

void PackageNames::Clear() { names_.assign(1, std::string_view()); }

ScanText& gudtScanText()
{
    static ScanText text;
    return text;
}

PackageNames& gudtScanPackages()
{
    static PackageNames names;
    return names;
}

// ---- RowPackages -------------------------------------------------------------------------------

namespace {

// Room for the elements after the first: a power of two, so that adding one at a time copies
// each element a bounded number of times.
std::size_t mfintRoom(std::uint32_t extra) { return extra == 0 ? 0 : std::bit_ceil(static_cast<std::size_t>(extra)); }

} // namespace

RowPackages::RowPackages(const RowPackages& other) : first_(other.first_), count_(other.count_)
{
    if (const std::size_t room = mfintRoom(count_ > 1 ? count_ - 1 : 0)) {
        more_ = std::make_unique<PackageNumber[]>(room);
        std::copy_n(other.more_.get(), count_ - 1, more_.get());
    }
}

RowPackages& RowPackages::operator=(const RowPackages& other)
{
    if (this != &other)
        *this = RowPackages(other);
    return *this;
}

void RowPackages::Add(PackageNumber package)
{
    if (count_ == 0) {
        first_ = package;
        count_ = 1;
        return;
    }
    const std::uint32_t extra = count_ - 1;  // elements in more_
    if (mfintRoom(extra + 1) != mfintRoom(extra)) {
        auto grown = std::make_unique<PackageNumber[]>(mfintRoom(extra + 1));
        if (extra > 0)
            std::copy_n(more_.get(), extra, grown.get());
        more_ = std::move(grown);
    }
    more_[extra] = package;
    ++count_;
}

// ---- HackTable ---------------------------------------------------------------------------------

HackResource& HackTable::Add()
{
    if (size_ == blocks_.size() * kBlockRows)
        blocks_.push_back(std::make_unique<HackResource[]>(kBlockRows));
    HackResource& row = (*this)[size_];
    ++size_;
    CLASHWICK_ASSERT(row.Packages.size() == 1);
    return row;
}

void HackTable::Clear()
{
    blocks_.clear();
    size_ = 0;
    Add();  // element 0
}
