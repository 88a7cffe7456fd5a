// Which conflicts are harmless, which package wins and which packages overlap: the facts of a
// scan, their JSON and their text for a person.

#include "app/ConflictContents.h"
#include "app/ConflictFacts.h"
#include "app/FactsExplain.h"
#include "app/FactsJson.h"
#include "app/FindHacks.h"
#include "package/modSimsPackage.h"
#include "support/AllocationMeter.h"
#include "support/PackageWriter.h"
#include "support/RefPackEncoder.h"
#include "support/SampleGame.h"
#include "support/ScratchDownloads.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>

namespace {

using namespace writer;

// A behaviour resource whose bytes are its name field and a body made from `body`.
Resource Hack(std::uint32_t type, std::uint32_t instance, const std::string& name, const std::string& body,
              bool compress = false, std::uint32_t group = 0x7F000001)
{
    std::string data = gfstrBehaviourBody(name, 0);
    for (int i = 0; i < 20; ++i)
        data += body;  // long enough for the encoder to find repeats
    return Resource{type, group, instance, 0, data, compress};
}

class ConflictFacts : public testsupport::DownloadsTest {
protected:
    ScanFacts Scan()
    {
        EXPECT_TRUE(gfblnFindHacks(MeshPath(), {}));
        return gudtScanFacts();
    }

    static const PairFact* FindPair(const ScanFacts& facts, std::string_view first, std::string_view second)
    {
        for (const PairFact& pair : facts.Pairs)
            if (pair.First == first && pair.Second == second)
                return &pair;
        return nullptr;
    }
};

TEST_F(ConflictFacts, IdenticalAndDifferingRowsWinnersAndPairs)
{
    // Listed in this order: A, B, C (a folder's files before its subfolders).
    Put("A.package", {Hack(kTypeBHAV, 1, "Main", "same", true), Hack(kTypeBCON, 2, "Tuning", "old"),
                      Hack(kTypeTTAB, 3, "Menu", "menu a", true)});
    Put("B.package", {Hack(kTypeBHAV, 1, "Main", "same"), Hack(kTypeBCON, 2, "Tuning", "new", true),
                      Hack(kTypeTTAB, 3, "Menu", "menu a", false)});
    Put("Later/C.package", {Hack(kTypeBHAV, 1, "Main", "same", true), Hack(kTypeBHAV, 9, "Own", "own")});

    const ScanFacts facts = Scan();
    ASSERT_EQ(facts.Conflicts.size(), 3u);
    const ConflictFact& bhav = facts.Conflicts[0];
    EXPECT_EQ(bhav.TypeName, "BHAV");
    EXPECT_EQ(bhav.Name, "Main");
    EXPECT_EQ(bhav.Packages, (std::vector<std::string_view>{"\\downloads\\A.package", "\\downloads\\B.package",
                                                            "\\downloads\\Later\\C.package"}));
    // Compressed and plain copies of the same bytes are identical.
    EXPECT_TRUE(bhav.Identical);
    EXPECT_EQ(bhav.Winner(), "\\downloads\\Later\\C.package");
    EXPECT_EQ(facts.Conflicts[1].TypeName, "BCON");
    EXPECT_FALSE(facts.Conflicts[1].Identical);
    EXPECT_EQ(facts.Conflicts[1].Winner(), "\\downloads\\B.package");
    EXPECT_EQ(facts.Conflicts[2].TypeName, "TTAB");
    EXPECT_TRUE(facts.Conflicts[2].Identical);

    // Most shared first; A-C and B-C share one each, in the order first met.
    ASSERT_EQ(facts.Pairs.size(), 3u);
    EXPECT_EQ(facts.Pairs[0].First, "\\downloads\\A.package");
    EXPECT_EQ(facts.Pairs[0].Second, "\\downloads\\B.package");
    EXPECT_EQ(facts.Pairs[0].Shared, 3);
    EXPECT_EQ(facts.Pairs[0].Identical, 2);
    EXPECT_EQ(facts.Pairs[1].Second, "\\downloads\\Later\\C.package");
    EXPECT_EQ(facts.Pairs[1].First, "\\downloads\\A.package");
    EXPECT_EQ(facts.Pairs[2].First, "\\downloads\\B.package");
    EXPECT_EQ(facts.Pairs[2].Shared, 1);
    EXPECT_EQ(facts.Pairs[2].Identical, 1);
    EXPECT_TRUE(facts.NotCompared.empty());
    EXPECT_TRUE(trapCalls.empty());
}

// A package holding a resource twice is listed twice; its k-th listing is its k-th copy, and
// in a pair it counts by its first.
TEST_F(ConflictFacts, PackageListedTwiceCountsByItsFirstCopy)
{
    Put("A.package", {Hack(kTypeBCON, 1, "T", "first"), Hack(kTypeBCON, 1, "T", "second", true),
                      Hack(kTypeBCON, 2, "U", "second"), Hack(kTypeBCON, 2, "U", "first")});
    Put("B.package", {Hack(kTypeBCON, 1, "T", "first"), Hack(kTypeBCON, 2, "U", "first", true)});
    Put("C.package", {Hack(kTypeBCON, 3, "V", "same"), Hack(kTypeBCON, 3, "V", "same", true)});

    const ScanFacts facts = Scan();
    ASSERT_EQ(facts.Conflicts.size(), 3u);
    EXPECT_EQ(facts.Conflicts[0].Packages.size(), 3u);
    EXPECT_FALSE(facts.Conflicts[0].Identical);
    EXPECT_FALSE(facts.Conflicts[1].Identical);
    // Both copies in one package, equal once uncompressed: harmless, and no pair.
    EXPECT_EQ(facts.Conflicts[2].Packages,
              (std::vector<std::string_view>{"\\downloads\\C.package", "\\downloads\\C.package"}));
    EXPECT_TRUE(facts.Conflicts[2].Identical);
    ASSERT_EQ(facts.Pairs.size(), 1u);
    EXPECT_EQ(facts.Pairs[0].Shared, 2);
    // Row T: A's first copy equals B's; row U: A's first copy differs from B's.
    EXPECT_EQ(facts.Pairs[0].Identical, 1);
}

// A package that changed after the scan is not compared: its rows are not identical, it is
// named, and neither the trap nor the error record hears of it.
TEST_F(ConflictFacts, PackageGoneOrChangedAfterTheScanCountsAsDifferent)
{
    Put("A.package", {Hack(kTypeBHAV, 1, "Main", "same"), Hack(kTypeBHAV, 2, "Two", "same")});
    Put("B.package", {Hack(kTypeBHAV, 1, "Main", "same"), Hack(kTypeBHAV, 2, "Two", "same")});
    Put("C.package", {Hack(kTypeBHAV, 1, "Main", "same")});
    Put("D.package", {Hack(kTypeBHAV, 2, "Two", "same")});
    EXPECT_TRUE(gfblnFindHacks(MeshPath(), {}));
    std::filesystem::remove(Downloads() / "B.package");
    Put("D.package", {Hack(kTypeBHAV, 7, "Other", "same")});  // no longer holds the resource
    glngErrLocation = 4242;
    gstrErrData = "kept";

    const ScanFacts facts = gudtScanFacts();
    ASSERT_EQ(facts.Conflicts.size(), 2u);
    EXPECT_FALSE(facts.Conflicts[0].Identical);
    EXPECT_FALSE(facts.Conflicts[1].Identical);
    EXPECT_EQ(facts.NotCompared, (std::vector<std::string_view>{"\\downloads\\B.package", "\\downloads\\D.package"}));
    EXPECT_EQ(FindPair(facts, "\\downloads\\A.package", "\\downloads\\C.package")->Identical, 1);
    EXPECT_EQ(FindPair(facts, "\\downloads\\A.package", "\\downloads\\B.package")->Identical, 0);
    EXPECT_EQ(glngErrLocation, 4242);
    EXPECT_EQ(gstrErrData, "kept");
    EXPECT_TRUE(trapCalls.empty());
}

// A package naming one stream under many pairs, each a conflict: the stream decodes to 16 MiB
// and is decoded once per package, not once per pair; past the byte budget nothing more is
// decoded and the rest counts as different.
TEST_F(ConflictFacts, CopiesOfTheSameStoredBytesArePrintedOnceWithinTheBudget)
{
    std::string commands = std::string("\xE0", 1) + "Bomb";
    for (std::size_t produced = 4; produced + 1028 <= 0xFFFFFF; produced += 1028)
        commands += std::string("\xCC\x00\x00\xFF", 4);
    const std::string stream = gfstrRefPackWrap(0xFFFFFF, commands);
    PackagePlan plan;
    for (std::uint32_t i = 0; i < 200; ++i)
        plan.Resources.push_back({kTypeBHAV, 0x7F000001, i, 0, i == 0 ? stream : "", false});
    BuiltPackage built = gudtBuildPackage(plan);
    for (std::size_t i = 1; i < plan.Resources.size(); ++i) {
        gsPatchInt32(built.Bytes, built.OffsetField(i), static_cast<std::int32_t>(built.ResourceOffsets[0]));
        gsPatchInt32(built.Bytes, built.SizeField(i), static_cast<std::int32_t>(stream.size()));
    }
    WriteFile(Downloads() / "A.package", built.Bytes);
    WriteFile(Downloads() / "B.package", built.Bytes);
    ASSERT_TRUE(gfblnFindHacks(MeshPath(), {}));
    std::vector<ContentRow> rows;
    for (std::size_t row = 1; row < gudtBHAVTable.size(); ++row)
        rows.push_back({&gudtTablesInReportOrder()[0], &gudtBHAVTable[row]});
    ASSERT_EQ(rows.size(), 200u);

    // Two decodes of 16 MiB fit in 40 MiB.
    const ContentPrints within = gudtReadContentPrints(rows, 40u << 20);
    EXPECT_TRUE(within.Unread.empty());
    for (const auto& prints : within.Prints) {
        ASSERT_EQ(prints.size(), 2u);
        EXPECT_TRUE(prints[0] && prints[0] == prints[1]);
        EXPECT_GT(prints[0]->Size, 0xFF0000u);
    }
    // One fits in 10 MiB: B's copies are not compared.
    const ContentPrints short_ = gudtReadContentPrints(rows, 10u << 20);
    EXPECT_EQ(short_.Unread, std::vector<PackageNumber>{2});
    EXPECT_TRUE(short_.Prints[199][0].has_value());
    EXPECT_FALSE(short_.Prints[199][1].has_value());
    EXPECT_TRUE(trapCalls.empty());
}

// Every text is escaped, names are decoded from the code page, and the document has the
// report's unreadable packages.
TEST_F(ConflictFacts, JsonEscapesEveryTextAndListsTheUnreadable)
{
    const std::string name = "Say \"hi\" \\ caf\xE9\ttab";
    // File names cannot hold quotes or control characters; their backslashes need escaping.
    // The name as UTF-8 on every host (a narrow path on Windows would be in the ANSI code page).
    WriteFile(Downloads() / std::filesystem::path(u8"Caf\u00E9's.package"),
              gudtBuildPackage({2, {Hack(kTypeTTAs, 0x10, name, "x", false, 0x00000001)}, {}}).Bytes);
    Put("Sub/Zed {2}.package", {Hack(kTypeTTAs, 0x10, name, "y", false, 0x00000001)});
    std::string cut = gudtBuildPackage({2, {Hack(kTypeBHAV, 1, "cut", "z")}, {}}).Bytes;
    cut.resize(cut.size() - 4);
    WriteFile(Downloads() / "Cut.package", cut);

    const nlohmann::json document = nlohmann::json::parse(gfstrFactsJson(Scan()));
    ASSERT_EQ(document["conflicts"].size(), 1u);
    const nlohmann::json& conflict = document["conflicts"][0];
    EXPECT_EQ(conflict["type"], "TTAs");
    EXPECT_EQ(conflict["group"], "0x00000001");
    EXPECT_EQ(conflict["instance"], "0x00000010");
    EXPECT_EQ(conflict["name"], "Say \"hi\" \\ caf\xC3\xA9\ttab");
    EXPECT_EQ(conflict["packages"][0], "\\downloads\\Caf\xC3\xA9's.package");
    EXPECT_EQ(conflict["packages"][1], "\\downloads\\Sub\\Zed {2}.package");
    EXPECT_EQ(conflict["identical"], false);
    EXPECT_EQ(conflict["winner"], "\\downloads\\Sub\\Zed {2}.package");
    ASSERT_EQ(document["pairs"].size(), 1u);
    EXPECT_EQ(document["pairs"][0]["packages"], conflict["packages"]);
    EXPECT_EQ(document["pairs"][0]["shared"], 1);
    EXPECT_EQ(document["pairs"][0]["identical"], 0);
    ASSERT_EQ(document["unreadable"].size(), 1u);
    EXPECT_EQ(document["unreadable"][0]["package"], "\\downloads\\Cut.package");
    EXPECT_EQ(document["unreadable"][0]["error"], "62 - Input past end of file");
    // The keys in the order the document promises.
    std::vector<std::string> keys;
    const nlohmann::ordered_json ordered = nlohmann::ordered_json::parse(gfstrFactsJson(gudtScanFacts()));
    for (const auto& item : ordered["conflicts"][0].items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"type", "group", "instance", "name", "packages", "identical", "winner",
                                            "new", "reviewed"}));
}

// A name from a package or a file cannot drive the terminal: its control characters are shown
// as '?', in the explained facts and in the lines that name the packages not compared.
TEST_F(ConflictFacts, ExplainShowsControlCharactersAsQuestionMarks)
{
#ifdef _WIN32
    // The file names below are raw bytes, as a Linux folder may hold them; a Windows folder holds
    // UTF-16 names, which the text filter's own table covers.
    GTEST_SKIP() << "file names of raw bytes are a Linux host's";
#endif
    // ESC, BEL, two bytes the code page maps to C1 controls, DEL.
    const std::string name = "Red\x1B[31m\x07\x81\x9D" "2J\x7F";
    // File names with a CSI as a lone byte and in UTF-8, and a right-to-left override.
    Put("Enc\xC2\x9B" "2J.package", {Hack(kTypeBCON, 1, name, "a")});
    Put("Flip\xE2\x80\xAE" "egakcap.package", {Hack(kTypeBCON, 1, name, "a")});
    Put("Lone\x9B" "2J.package", {Hack(kTypeBCON, 1, name, "a")});
    EXPECT_TRUE(gfblnFindHacks(MeshPath(), {}));
    std::filesystem::remove(Downloads() / "Lone\x9B" "2J.package");
    const ScanFacts facts = gudtScanFacts();
    EXPECT_EQ(gfstrFactsExplained(facts),
              "1 possible conflict, 0 of them harmless (every copy identical).\n"
              "\n"
              "Packages that hold the same resources, most shared first:\n"
              "  Enc?2J and Flip?egakcap share 1 resource, 1 identical: the same content, harmless\n"
              "  Enc?2J and Lone?2J share 1 resource, 0 identical: where they differ, the one loaded last wins\n"
              "  Flip?egakcap and Lone?2J share 1 resource, 0 identical: where they differ, the one loaded last wins\n"
              "\n"
              "Conflicts. The game loads the packages in the order listed; the one loaded last wins:\n"
              "\n"
              "BCON \"Red?[31m???2J?\" (group 0x7F000001, instance 0x00000001)\n"
              "  \\downloads\\Enc?2J.package\n"
              "  \\downloads\\Flip?egakcap.package\n"
              "  \\downloads\\Lone?2J.package\n"
              "  winner: \\downloads\\Lone?2J.package\n");
    EXPECT_EQ(gfstrNotComparedLines(facts), "Could not compare the copies in \\downloads\\Lone?2J.package: they count as different.\n");
}

TEST_F(ConflictFacts, NoConflictsGiveEmptyLists)
{
    Put("A.package", {Hack(kTypeBHAV, 1, "Main", "a")});
    const ScanFacts facts = Scan();
    EXPECT_EQ(gfstrFactsJson(facts), "{\n  \"conflicts\": [],\n  \"pairs\": [],\n  \"pairs_omitted\": 0,\n  \"groups\": [],\n  \"unreadable\": []\n}\n");
    EXPECT_EQ(gfstrFactsExplained(facts), "0 possible conflicts, 0 of them harmless (every copy identical).\n");
}

// The sample game has each kind of row: differing, identical in the same storage, identical
// compressed and plain, and a package holding a resource twice.
TEST_F(ConflictFacts, ExplainsTheSampleGame)
{
    gsMakeSampleGame(Scratch() / "prefix");
    const std::string meshPath = WinPath(gfSampleDownloads(Scratch() / "prefix").parent_path()) + "\\downloads";
    ASSERT_TRUE(gfblnFindHacks(meshPath, {}));
    const std::string text = gfstrFactsExplained(gudtScanFacts());
    const auto has = [&](const std::string& part) { return text.find(part) != std::string::npos; };
    EXPECT_TRUE(has("5 possible conflicts, 3 of them harmless (every copy identical).\n")) << text;
    EXPECT_TRUE(has("  SpeedUpTime.package and SpeedUpTime_v2.package: 2 versions of one mod; the game uses "
                    "\\downloads\\Hacks\\SpeedUpTime_v2.package; keep one\n"
                    "  BetterChat and ChatTweaks share 2 resources, 2 identical: the same content, harmless\n"))
        << text;
    EXPECT_TRUE(has("TTAB \"Interactions - Chat\" (group 0x7F10B002, instance 0x00000080)\n"
                    "  \\downloads\\Menus\\BetterChat.package\n"
                    "  \\downloads\\Menus\\Nested\\ChatTweaks.package\n"
                    "  winner: \\downloads\\Menus\\Nested\\ChatTweaks.package\n"
                    "  identical: harmless\n"))
        << text;
    EXPECT_TRUE(has("BHAV \"Speed Up Time - Main\" (group 0x7FE0A001, instance 0x00001001)\n"
                    "  \\downloads\\Hacks\\SpeedUpTime.package\n"
                    "  \\downloads\\Hacks\\SpeedUpTime_v2.package\n"
                    "  winner: \\downloads\\Hacks\\SpeedUpTime_v2.package\n\n"))
        << text;
    EXPECT_TRUE(has("  winner: \\downloads\\Hacks\\DoubleTuning.package\n"
                    "  note: a package listed more than once holds the resource more than once\n"))
        << text;
    EXPECT_TRUE(has("These packages could not be read:\n  \\downloads\\Broken\\HalfDownloaded.package: 62 - Input past end of file\n"))
        << text;
}

TEST(PackageNames, ShortNamesAndNamesOfOneMod)
{
    EXPECT_EQ(gfstrShortPackageName("\\downloads\\Hacks\\SpeedUpTime.PACKAGE"), "SpeedUpTime");
    EXPECT_EQ(gfstrShortPackageName("\\downloads\\.package"), ".package");
    for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
             {"SpeedUpTime", "SpeedUpTime_v2"}, {"speeduptime v1.5", "SpeedUpTime-2.0"}, {"Mod", "Mod (1)"},
             {"Mod", "Mod - Copy"}, {"Hack_old", "hack"}, {"ACR v3", "ACR version 4"}})
        EXPECT_TRUE(gfblnNamesOfOneMod(a, b)) << a << " / " << b;
    for (const auto& [a, b] : std::vector<std::pair<std::string, std::string>>{
             {"BetterChat", "ChatTweaks"}, {"Moved", "Mod"}, {"123", "456"}, {"Rev", "Re"}})
        EXPECT_FALSE(gfblnNamesOfOneMod(a, b)) << a << " / " << b;
}

} // namespace

namespace {

const GroupFact* FindGroup(const ScanFacts& facts, std::string_view firstPackage)
{
    for (const GroupFact& group : facts.Groups)
        if (group.Packages.front() == firstPackage)
            return &group;
    return nullptr;
}

} // namespace

// Copies of one mod (one file name in several folders) and versions of one (similar names) are
// groups when they share rows; their own pairs are not pairs. A package of the same name that
// shares no row with them stays out; packages of other names pair with each member.
TEST_F(ConflictFacts, CopiesAndVersionsOfOneModAreGroupsNotPairs)
{
    Put("Tuning.package", {Hack(kTypeBCON, 1, "T", "same"), Hack(kTypeBCON, 2, "U", "old")});
    Put("Other.package", {Hack(kTypeBCON, 1, "T", "other")});
    Put("A/Tuning.package", {Hack(kTypeBCON, 1, "T", "same"), Hack(kTypeBCON, 2, "U", "old")});
    Put("B/Tuning.package", {Hack(kTypeBCON, 1, "T", "same"), Hack(kTypeBCON, 2, "U", "old")});
    Put("Speed.package", {Hack(kTypeBHAV, 1, "S", "one")});
    Put("Speed_v2.package", {Hack(kTypeBHAV, 1, "S", "two")});
    Put("C/Speed - Copy.package", {Hack(kTypeBHAV, 9, "Alone", "x")});  // one mod's name, no shared row
    Put("D/Lone.package", {Hack(kTypeBHAV, 9, "Alone", "y")});

    const ScanFacts facts = Scan();
    // In the order of their first packages: Speed is listed before Tuning.
    ASSERT_EQ(facts.Groups.size(), 2u);
    ASSERT_EQ(FindGroup(facts, "\\downloads\\Speed.package"), &facts.Groups[0]);
    const GroupFact& copies = facts.Groups[1];
    EXPECT_EQ(copies.Packages, (std::vector<std::string_view>{"\\downloads\\Tuning.package", "\\downloads\\A\\Tuning.package",
                                                              "\\downloads\\B\\Tuning.package"}));
    EXPECT_EQ(copies.Winner(), "\\downloads\\B\\Tuning.package");
    EXPECT_EQ(copies.Shared, 2);
    EXPECT_EQ(copies.Identical, 2);
    EXPECT_EQ(gfstrGroupLine(copies),
              "Tuning.package: 3 copies in different folders; the game uses the one in \\downloads\\B; keep one");
    const GroupFact& versions = facts.Groups[0];
    EXPECT_EQ(versions.Packages, (std::vector<std::string_view>{"\\downloads\\Speed.package", "\\downloads\\Speed_v2.package"}));
    EXPECT_EQ(versions.Identical, 0);
    EXPECT_EQ(gfstrGroupLine(versions),
              "Speed.package and Speed_v2.package: 2 versions of one mod; the game uses \\downloads\\Speed_v2.package; keep one");

    // Other pairs with each copy; the copies never with each other; the lone pair stays.
    EXPECT_EQ(facts.Pairs.size(), 4u);
    // The scan lists Other before every copy: a folder's files in name order, then its subfolders.
    for (const char* copy : {"\\downloads\\Tuning.package", "\\downloads\\A\\Tuning.package", "\\downloads\\B\\Tuning.package"}) {
        const PairFact* pair = FindPair(facts, "\\downloads\\Other.package", copy);
        ASSERT_NE(pair, nullptr) << copy;
        EXPECT_EQ(pair->Shared, 1);
    }
    EXPECT_NE(FindPair(facts, "\\downloads\\C\\Speed - Copy.package", "\\downloads\\D\\Lone.package"), nullptr);
    EXPECT_EQ(FindGroup(facts, "\\downloads\\C\\Speed - Copy.package"), nullptr);

    const nlohmann::json document = nlohmann::json::parse(gfstrFactsJson(facts));
    ASSERT_EQ(document["groups"].size(), 2u);
    EXPECT_EQ(document["groups"][1]["packages"].size(), 3u);
    EXPECT_EQ(document["groups"][1]["winner"], "\\downloads\\B\\Tuning.package");
    EXPECT_EQ(document["pairs_omitted"], 0);
    const std::string text = gfstrFactsExplained(facts);
    EXPECT_NE(text.find("most shared first:\n  Speed.package and Speed_v2.package: 2 versions of one mod;"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\n  Tuning.package: 3 copies in different folders;"), std::string::npos) << text;
}

// Thousands of copies of one hack share every row: one group and no pairs, never the n(n-1)/2
// pairs of its copies.
TEST_F(ConflictFacts, ThousandsOfCopiesOfOneHackAreOneGroup)
{
    const std::vector<Resource> hack{Hack(kTypeBHAV, 1, "Main", "x"), Hack(kTypeBCON, 2, "Tuning", "y"),
                                     Hack(kTypeTTAB, 3, "Menu", "z")};
    constexpr int kCopies = 3000;
    for (int copy = 0; copy < kCopies; ++copy)
        Put("Copy" + std::to_string(copy) + "/pjseTestData.package", hack);
    Put("Rival.package", {Hack(kTypeBHAV, 1, "Main", "rival")});

    const testsupport::AllocationMeter meter;
    const ScanFacts facts = Scan();
    ASSERT_EQ(facts.Conflicts.size(), 3u);
    ASSERT_EQ(facts.Groups.size(), 1u);
    EXPECT_EQ(facts.Groups[0].Packages.size(), static_cast<std::size_t>(kCopies));
    EXPECT_EQ(facts.Groups[0].Shared, 3);
    EXPECT_EQ(facts.Groups[0].Identical, 3);
    EXPECT_EQ(facts.Pairs.size(), static_cast<std::size_t>(kCopies));  // the rival with each copy
    EXPECT_EQ(facts.PairsOmitted, 0);
    EXPECT_LT(meter.PeakBytes(), std::size_t{64} << 20);
}

// Past the cap only the pairs that share the most rows are kept; the rest are counted.
TEST_F(ConflictFacts, PairsPastTheCapAreCountedNotListed)
{
    // 150 packages of different names share one row: 11,175 pairs. Two of them share one more.
    for (int p = 0; p < 150; ++p) {
        std::vector<Resource> resources{Hack(kTypeBCON, 1, "Shared", "p" + std::to_string(p))};
        if (p == 7 || p == 140)
            resources.push_back(Hack(kTypeBCON, 2, "Two", "q" + std::to_string(p)));
        Put("Mod" + std::string(1, static_cast<char>('a' + p % 26)) + std::string(1, static_cast<char>('a' + p / 26)) +
                ".package",
            resources);
    }
    const ScanFacts facts = Scan();
    EXPECT_TRUE(facts.Groups.empty());
    ASSERT_EQ(facts.Pairs.size(), kPairCap);
    EXPECT_EQ(facts.PairsOmitted, 150 * 149 / 2 - static_cast<std::int64_t>(kPairCap));
    EXPECT_EQ(facts.Pairs[0].Shared, 2);
    EXPECT_EQ(facts.Pairs[1].Shared, 1);
    const std::string text = gfstrFactsExplained(facts);
    EXPECT_NE(text.find("\n  and 1175 more pairs that share fewer resources\n"), std::string::npos);
    EXPECT_EQ(nlohmann::json::parse(gfstrFactsJson(facts))["pairs_omitted"], 1175);
}
