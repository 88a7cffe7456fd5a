#include "app/FindHacks.h"
#include "package/modSimsPackage.h"
#include "support/PackageWriter.h"
#include "support/TestSupport.h"

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
    EXPECT_TRUE(trapCalls.empty());
}

} // namespace
