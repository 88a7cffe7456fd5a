#include "app/HackTables.h"

#include "app/ScanBlocks.h"

#include "errors/Assert.h"
#include "errors/Failure.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <type_traits>

static_assert(sizeof(HackResource) <= 24, "a row stays small: there may be hundreds of thousands");
// Rows are let go with their blocks, never destroyed one by one.
static_assert(std::is_trivially_destructible_v<HackResource>);

// ---- ScanText ----------------------------------------------------------------------------------

char* ScanText::Reserve(std::size_t size)
{
    if (size > kBlockSize - used_) {
        // A long text gets a block of its own, and the next text starts a new block: the rest
        // of the block being filled stays unused. Texts that long are rare (package paths).
        const bool own = size > kBlockSize / 4;
        // A handle holds the block's number in 16 bits.
        if (blocks_.size() >= (std::numeric_limits<std::uint32_t>::max() >> kBlockBits))
            gsRaise(errOutOfMemory);
        blocks_.push_back(static_cast<char*>(gudtScanBlocks().Allocate(own ? size : kBlockSize)));
        used_ = own ? kBlockSize : size;
        return blocks_.back();
    }
    char* at = blocks_.back() + used_;
    used_ += size;
    return at;
}

std::string_view ScanText::Add(std::string_view text)
{
    if (text.empty())
        return {};
    char* at = Reserve(text.size());
    std::memcpy(at, text.data(), text.size());
    return {at, text.size()};
}

StoredName ScanText::AddName(std::string_view text)
{
    const std::size_t length = std::min<std::size_t>(text.size(), 255);
    char* at = Reserve(length + 1);
    at[0] = static_cast<char>(static_cast<unsigned char>(length));
    std::memcpy(at + 1, text.data(), length);
    // The handle: the block's number and the offset in it, plus one, so that 0 is no text.
    const std::size_t block = blocks_.size() - 1;
    const auto offset = static_cast<std::size_t>(at - blocks_.back());
    return StoredName(static_cast<std::uint32_t>(((block << kBlockBits) | offset) + 1));
}

std::string_view ScanText::Name(StoredName name) const
{
    if (name.Handle() == 0)
        return {};
    const std::size_t handle = name.Handle() - 1;
    const auto* at = reinterpret_cast<const unsigned char*>(blocks_[handle >> kBlockBits] + (handle & (kBlockSize - 1)));
    return {reinterpret_cast<const char*>(at + 1), at[0]};
}

void ScanText::Clear()
{
    blocks_.clear();
    used_ = kBlockSize;
}

// ---- PackageNames ------------------------------------------------------------------------------

PackageNumber PackageNames::Add(std::string_view relativeName, std::shared_ptr<const platform::Folder> folder)
{
    names_.push_back(gudtScanText().Add(relativeName));
    folders_.push_back(std::move(folder));
    return static_cast<PackageNumber>(names_.size() - 1);
}

platform::FoundFile PackageNames::File(PackageNumber number) const
{
    const std::string_view relative = names_[number];
    std::string name(relative.substr(relative.find_last_of('\\') + 1));
    return {folders_[number]->Windows + "\\" + name, folders_[number], std::move(name)};
}

std::uint32_t PackageNames::NewList()
{
    lists_.emplace_back();
    return static_cast<std::uint32_t>(lists_.size() - 1);
}

void PackageNames::Clear()
{
    names_.assign(1, std::string_view());
    folders_.assign(1, nullptr);
    lists_.assign(1, std::vector<PackageNumber>());
}

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

void RowPackages::Add(PackageNumber package)
{
    if (first_ == 0) {
        first_ = package;
        return;
    }
    if (more_ == 0)
        more_ = gudtScanPackages().NewList();
    gudtScanPackages().List(more_).push_back(package);
}

// ---- HackTable ---------------------------------------------------------------------------------

HackResource& HackTable::Add()
{
    if (size_ == blocks_.size() * kBlockRows) {
        auto* block = static_cast<HackResource*>(gudtScanBlocks().Allocate(kBlockRows * sizeof(HackResource)));
        std::uninitialized_value_construct_n(block, kBlockRows);
        blocks_.push_back(block);
    }
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
