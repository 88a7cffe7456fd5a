#pragma once
// A plain model of how the loaders must read a package, straight from the file's bytes, with
// every bound checked in the most obvious way. The package fuzz targets compare the loaders
// with it: the same damage number for a damaged file, the same entries and bytes otherwise.

#include "FuzzSupport.h"

#include "errors/Failure.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzsupport {

struct ModelEntry {
    std::string_view Type, Group, Instance, ResourceId; // ResourceId empty for 20-byte entries
    std::int32_t Offset = 0;
    std::int32_t Size = 0;
};

struct ModelPackage {
    std::int32_t Damage = 0; // the error number the load must report, 0 for none
    std::vector<ModelEntry> Index;
    std::vector<std::pair<std::int32_t, std::int32_t>> Holes;
};

// Whether `count` records of `width` bytes from `offset` fit in the file: 63 for a negative
// offset, 62 for a table past the end, 0 when it fits.
inline std::int32_t gflngTableDamage(std::int64_t offset, std::int64_t count, std::int64_t width, std::int64_t fileSize)
{
    if (offset < 0)
        return 63;
    if (count > 0 && offset + count * width > fileSize)
        return 62;
    return 0;
}

// How many bytes the resources cover together: the size of the union of their ranges, each
// byte counted once however many entries name it. The full load keeps exactly these bytes.
inline std::int64_t gflngCoveredBytes(const ModelPackage& model)
{
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    for (const ModelEntry& entry : model.Index)
        if (entry.Size > 0)
            ranges.emplace_back(entry.Offset, std::int64_t{entry.Offset} + entry.Size);
    std::sort(ranges.begin(), ranges.end());
    std::int64_t covered = 0, end = 0;
    for (const auto& [first, last] : ranges) {
        covered += std::max<std::int64_t>(0, last - std::max(first, end));
        end = std::max(end, last);
    }
    return covered;
}

// Runs steps of the package reader and returns the damage number they raised, 0 for none.
// The reader raises damage and nothing else: any other failure or exception is a finding.
template <class Steps>
std::int32_t gflngRaisedDamage(Steps&& steps)
{
    try {
        steps();
    } catch (const Failure& failure) {
        if (!failure.IsDamage())
            gsFail(__FILE__, __LINE__, "a failure that is not damage: " + std::to_string(failure.Number()));
        FUZZ_CHECK(failure.Description() == gfstrErrorDescription(failure.Number()));
        return failure.Number();
    } catch (const std::exception& error) {
        gsFail(__FILE__, __LINE__, std::string("an exception that is not a failure: ") + error.what());
    }
    return 0;
}

// Reads the header and index; with `whole`, the hole table and resource bounds as well.
inline ModelPackage gudtModelPackage(std::string_view file, bool whole)
{
    ModelPackage model;
    const auto fileSize = static_cast<std::int64_t>(file.size());
    if (fileSize < 96) {
        model.Damage = 62;
        return model;
    }
    const std::int32_t count = gflngInt32At(file, 36);
    const std::int32_t offset = gflngInt32At(file, 40);
    const std::int32_t holeCount = gflngInt32At(file, 48);
    const std::int32_t holeOffset = gflngInt32At(file, 52);
    const bool withId = gflngInt32At(file, 60) == 2;
    const std::int64_t width = withId ? 24 : 20;
    if ((model.Damage = gflngTableDamage(offset, count, width, fileSize)) != 0)
        return model;
    for (std::int64_t i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(offset + i * width);
        ModelEntry entry;
        entry.Type = file.substr(at, 4);
        entry.Group = file.substr(at + 4, 4);
        entry.Instance = file.substr(at + 8, 4);
        const std::size_t rest = at + (withId ? 16 : 12);
        if (withId)
            entry.ResourceId = file.substr(at + 12, 4);
        entry.Offset = gflngInt32At(file, rest);
        entry.Size = gflngInt32At(file, rest + 4);
        model.Index.push_back(entry);
    }
    if (!whole)
        return model;
    if ((model.Damage = gflngTableDamage(holeOffset, holeCount, 8, fileSize)) != 0)
        return model;
    for (std::int64_t i = 0; i < holeCount; ++i) {
        const auto at = static_cast<std::size_t>(holeOffset + i * 8);
        model.Holes.emplace_back(gflngInt32At(file, at), gflngInt32At(file, at + 4));
    }
    for (const ModelEntry& entry : model.Index) {
        if (entry.Offset < 0)
            model.Damage = 63;
        else if (entry.Size < 0)
            model.Damage = 5;
        else if (entry.Size > std::max<std::int64_t>(0, fileSize - entry.Offset))
            model.Damage = 62;
        if (model.Damage != 0)
            return model;
    }
    return model;
}

} // namespace fuzzsupport
