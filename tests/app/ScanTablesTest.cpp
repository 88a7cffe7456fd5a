#include "app/FindHacks.h"
#include "app/ScanBlocks.h"
#include "package/modSimsPackage.h"
#include "platform/LargePages.h"
#include "support/PackageWriter.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <map>

namespace {

using namespace writer;

// The tables as the plain rule builds them: every resource outside the ignored group, in scan
// order, added to the first row with its pair (a search of all rows) or to a new row.
struct ModelRow {
    std::uint32_t Group;
    std::uint32_t Instance;
    std::string Name;
    std::vector<std::string> Packages;
};
using ModelTables = std::map<std::uint32_t, std::vector<ModelRow>>;

void Enter(ModelTables& tables, const std::string& package, const PackagePlan& plan)
{
    for (const Resource& resource : plan.Resources) {
        if (resource.Group == kIgnoredGroup)
            continue;
        std::vector<ModelRow>& rows = tables[resource.Type];
        ModelRow* found = nullptr;
        for (ModelRow& row : rows)
            if (row.Group == resource.Group && row.Instance == resource.Instance)
                found = &row;
        if (found == nullptr)
            found = &rows.emplace_back(ModelRow{resource.Group, resource.Instance, resource.Data.substr(0, resource.Data.find('\0')), {}});
        found->Packages.push_back(package);
    }
}

std::string Hex(std::uint32_t value) { return gfstrIdBytes(value); }

// The tables hold the rows of the model, no more.
void ExpectTables(ModelTables& model)
{
    const std::pair<std::uint32_t, const HackTable*> tables[] = {
        {kTypeBHAV, &gudtBHAVTable}, {kTypeBCON, &gudtBCONTable}, {kTypeTTAB, &gudtTTABTable}, {kTypeTTAs, &gudtTTAsTable}};
    for (const auto& [type, table] : tables) {
        const std::vector<ModelRow>& expected = model[type];
        ASSERT_EQ(table->size(), expected.size() + 1);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            const HackResource& row = (*table)[i + 1];
            EXPECT_EQ(row.GroupID.Bytes(), Hex(expected[i].Group));
            EXPECT_EQ(row.InstanceID.Bytes(), Hex(expected[i].Instance));
            EXPECT_EQ(row.ResourceName, expected[i].Name);
            ASSERT_EQ(row.Packages.size(), expected[i].Packages.size() + 1);
            for (std::size_t p = 0; p < expected[i].Packages.size(); ++p)
                EXPECT_EQ(row.Packages[p + 1].PackageName, expected[i].Packages[p]);
        }
    }
}

class ScanTables : public testsupport::TrapTest {};

// Thousands of pairs, many alike in all but a high bit, so that the index grows several times
// and its slots collide: rows, their order, names and package lists are those of the plain rule.
TEST_F(ScanTables, ManyPairsGiveTheRowsOfTheSearchOfAllRows)
{
    gsInitTypeIDs();
    const auto downloads = Scratch() / "Docs" / "Downloads";
    const std::uint32_t types[] = {kTypeBHAV, kTypeBCON, kTypeTTAB, kTypeTTAs};
    ModelTables model;
    // Scan order is by name: A, B, C.
    for (const char* name : {"A", "B", "C"}) {
        PackagePlan plan;
        for (std::uint32_t i = 0; i < 2500; ++i) {
            const std::uint32_t type = types[i % 4];
            const std::uint32_t group = (name[0] == 'A' || i % 3 == 0) ? 0x7F000000u + (i % 7) : 0x7E000000u + name[0];
            const std::uint32_t instance = (i % 5 == 0) ? (i << 20) : i;  // instances apart only in high bits
            const std::uint32_t storedGroup = i % 97 == 0 ? kIgnoredGroup : group;
            plan.Resources.push_back({type, storedGroup, instance, 0,
                                      gfstrBehaviourBody(std::string(name) + " " + std::to_string(i), 8), i % 2 == 0});
        }
        plan.Resources.push_back(plan.Resources[10]);  // the same pair twice in one package
        WriteFile(downloads / (std::string(name) + ".package"), gudtBuildPackage(plan).Bytes);
        Enter(model, std::string("\\Downloads\\") + name + ".package", plan);
    }

    ASSERT_TRUE(gfblnFindHacks(WinPath(downloads), {}));
    ExpectTables(model);

    // A second scan fills the same memory: nothing of the first shows in its tables.
    const auto other = Scratch() / "Second" / "Downloads";
    PackagePlan small;
    small.Resources = {{kTypeBHAV, 0x7F000001, 7, 0, gfstrBehaviourBody("Short", 8), false},
                       {kTypeTTAs, 0x7F000002, 0, 0, gfstrBehaviourBody("", 8), true}};
    WriteFile(other / "Z.package", gudtBuildPackage(small).Bytes);
    model.clear();
    Enter(model, "\\Downloads\\Z.package", small);
    ASSERT_TRUE(gfblnFindHacks(WinPath(other), {}));
    ExpectTables(model);
    EXPECT_TRUE(trapCalls.empty());
}

// Past about 100,000 rows, a table's lookup slots take large pages of their own, and every pair
// is still found as they grow: two packages with the same pairs, in opposite orders, make rows of
// two packages each, in the first package's order.
TEST_F(ScanTables, ALookupOfLargePagesFindsEveryPair)
{
    gsInitTypeIDs();
    const auto downloads = Scratch() / "Docs" / "Downloads";
    constexpr std::uint32_t kPairs = 200000;  // the slots grow to 2 MiB, then to 4 MiB
    PackagePlan first;
    PackagePlan second;
    for (std::uint32_t i = 0; i < kPairs; ++i) {
        first.Resources.push_back({kTypeBHAV, 0x7F000001, i, 0, "n", false});
        second.Resources.push_back({kTypeBHAV, 0x7F000001, kPairs - 1 - i, 0, "m", false});
    }
    WriteFile(downloads / "A.package", gudtBuildPackage(first).Bytes);
    WriteFile(downloads / "B.package", gudtBuildPackage(second).Bytes);
    ASSERT_TRUE(gfblnFindHacks(WinPath(downloads), {}));
    ASSERT_EQ(gudtBHAVTable.size(), kPairs + 1);
    for (std::uint32_t i = 0; i < kPairs; ++i) {
        const HackResource& row = gudtBHAVTable[i + 1];
        ASSERT_EQ(row.InstanceID.Bytes(), Hex(i));
        ASSERT_EQ(row.Packages.size(), 3u) << i;
        ASSERT_EQ(row.Packages[2].PackageName, "\\Downloads\\B.package");
    }
    EXPECT_TRUE(trapCalls.empty());
}

// The scan's blocks: aligned, apart, a block larger than a chunk whole, and after Clear the
// same memory again; a size no host has raises 7 "Out of memory".
TEST(ScanBlocksTest, BlocksAreApartAndReusedAfterClear)
{
    ScanBlocks blocks;
    std::vector<std::pair<char*, std::size_t>> given;
    for (const std::size_t bytes : {std::size_t{24}, std::size_t{1}, std::size_t{65536}, std::size_t{0},
                                    platform::kLargePageBytes - 100, 3 * platform::kLargePageBytes + 1, std::size_t{4096}}) {
        auto* block = static_cast<char*>(blocks.Allocate(bytes));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block) % 64, 0u) << bytes;
        std::memset(block, static_cast<int>(given.size() + 1), bytes);
        given.emplace_back(block, bytes);
    }
    for (std::size_t i = 0; i < given.size(); ++i) {
        const auto& [block, bytes] = given[i];
        for (std::size_t b = 0; b < bytes; b += 997)
            ASSERT_EQ(block[b], static_cast<char>(i + 1)) << i;  // no later block wrote over it
    }
    blocks.Clear();
    EXPECT_EQ(blocks.Allocate(24), given.front().first);
    EXPECT_EQ(testsupport::RaisedBy([&] { blocks.Allocate(std::numeric_limits<std::size_t>::max() / 2); }), errOutOfMemory);
    EXPECT_EQ(platform::gfintLargeChunkBytes(1), platform::kLargePageBytes);
    EXPECT_EQ(platform::gfintLargeChunkBytes(2 * platform::kLargePageBytes), 2 * platform::kLargePageBytes);
}

} // namespace
