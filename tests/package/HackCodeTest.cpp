#include "package/modSimsPackage.h"
#include "support/PackageWriter.h"
#include "support/TestSupport.h"

namespace {

PackageIndexEntry Entry(std::uint32_t type, std::uint32_t group)
{
    PackageIndexEntry entry;
    entry.TypeID = SimsID::FromBytes(writer::gfstrIdBytes(type));
    entry.GroupID = SimsID::FromBytes(writer::gfstrIdBytes(group));
    return entry;
}

class HackCode : public testsupport::TrapTest {
protected:
    void SetUp() override
    {
        TrapTest::SetUp();
        gsInitTypeIDs();
    }
};

TEST_F(HackCode, DecidesFromTypeAndGroupAlone)
{
    using namespace writer;
    struct Case {
        const char* what;
        std::vector<std::pair<std::uint32_t, std::uint32_t>> entries;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"no entries", {}, false},
        {"behaviour only in the ignored group", {{kTypeBHAV, kIgnoredGroup}, {kTypeTTAB, kIgnoredGroup}}, false},
        {"one TTAs among others", {{kTypeOBJD, 1}, {kTypeSTR, 2}, {kTypeTTAs, 0x7F000001}, {kTypeOBJD, 3}}, true},
        {"BCON in group 0", {{kTypeBCON, 0}}, true},
        {"BHAV", {{kTypeBHAV, 0x1234}}, true},
        {"TTAB", {{kTypeTTAB, 0x1234}}, true},
        {"TTAS differs in case from TTAs", {{0x54544153, 0x1234}}, false},
        {"other types only", {{kTypeOBJD, 1}, {kTypeCompressionDirectory, 1}}, false},
    };
    for (const Case& c : cases) {
        std::vector<PackageIndexEntry> index(1);
        for (const auto& [type, group] : c.entries)
            index.push_back(Entry(type, group));
        EXPECT_EQ(gfblnHasHackCode(index), c.expected) << c.what;
    }
    EXPECT_TRUE(trapCalls.empty());
}

TEST_F(HackCode, ComparesNothingBeforeTheIdentifiersAreSet)
{
    gstrTypeBHAV = gstrTypeBCON = gstrTypeTTAB = gstrTypeTTAs = gstrIgnoredGroup = SimsID();
    std::vector<PackageIndexEntry> index{PackageIndexEntry{}, Entry(writer::kTypeBHAV, 1)};
    EXPECT_FALSE(gfblnHasHackCode(index));
}

TEST_F(HackCode, AListNeverDimensionedGoesToTheTrap)
{
    EXPECT_FALSE(gfblnHasHackCode({}));
    ASSERT_EQ(trapCalls.size(), 1u);
    EXPECT_EQ(trapCalls[0].Number, 9);
    EXPECT_EQ(trapCalls[0].Module, "modSimsPackage");
    EXPECT_EQ(trapCalls[0].Procedure, "gfblnHasHackCode");
    EXPECT_EQ(trapCalls[0].Location, 1000);
}

} // namespace
