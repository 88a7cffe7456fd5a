// What the program remembers between scans: which conflicts are new since the last scan, which
// the player marked reviewed and whether the review still holds, and what becomes of files of
// ours that cannot be read.

#include "app/FactsExplain.h"
#include "app/FindHacks.h"
#include "app/ScanMemory.h"
#include "package/modSimsPackage.h"
#include "support/PackageWriter.h"
#include "support/ScratchDownloads.h"

#include <nlohmann/json.hpp>

namespace {

using namespace writer;

Resource Hack(std::uint32_t type, std::uint32_t instance, const std::string& body)
{
    return Resource{type, 0x7F000001, instance, 0, gfstrBehaviourBody("Hack " + std::to_string(instance), 0) + body, false};
}

class ScanMemory : public testsupport::DownloadsTest {
protected:
    // A scan with its facts remembered, as clashwick-scan --json runs it.
    ScanFacts Scan()
    {
        EXPECT_TRUE(gfblnFindHacks(MeshPath(), {}));
        ScanFacts facts = gudtScanFacts();
        gsRememberScan(facts);
        return facts;
    }

    static std::vector<bool> Marks(const ScanFacts& facts, bool ConflictFact::*mark)
    {
        std::vector<bool> marks;
        for (const ConflictFact& fact : facts.Conflicts)
            marks.push_back(fact.*mark);
        return marks;
    }
};

// New means no conflict of the last scan had the same type, group, instance and packages.
TEST_F(ScanMemory, ConflictsAreNewWhenTheLastScanHadNoneLikeThem)
{
    Put("A.package", {Hack(kTypeBHAV, 1, "a"), Hack(kTypeBCON, 2, "a")});
    Put("B.package", {Hack(kTypeBHAV, 1, "b"), Hack(kTypeBCON, 2, "b")});
    ScanFacts first = Scan();
    EXPECT_EQ(Marks(first, &ConflictFact::New), (std::vector<bool>{false, false}));  // no last scan
    EXPECT_TRUE(first.Notes.empty());

    // C joins the BHAV's conflict (another set of packages); D and E make a conflict of their own.
    Put("C.package", {Hack(kTypeBHAV, 1, "c")});
    Put("D.package", {Hack(kTypeTTAB, 3, "d")});
    Put("E.package", {Hack(kTypeTTAB, 3, "e")});
    ScanFacts second = Scan();
    EXPECT_EQ(Marks(second, &ConflictFact::New), (std::vector<bool>{true, false, true}));
    EXPECT_NE(gfstrFactsExplained(second).find("possible conflicts, 0 of them harmless (every copy identical).\n"
                                                "2 new since the last scan.\n"),
              std::string::npos);
    EXPECT_NE(gfstrFactsExplained(second).find("  new since the last scan\n"), std::string::npos);

    EXPECT_EQ(Marks(Scan(), &ConflictFact::New), (std::vector<bool>{false, false, false}));

    // The file holds the JSON document with each copy's content print.
    const nlohmann::json last = nlohmann::json::parse(ReadFile(Temp() / "lastscan.json"));
    ASSERT_EQ(last["conflicts"].size(), 3u);
    ASSERT_EQ(last["conflicts"][0]["prints"].size(), 3u);
    EXPECT_TRUE(last["conflicts"][0]["prints"][0].is_string());
    EXPECT_EQ(last["conflicts"][0]["new"], false);
}

// The last scan's facts are read for what tells a conflict new; whatever else the file holds,
// in whatever order, is passed over.
TEST_F(ScanMemory, TheLastScanIsReadForItsConflictsWhateverElseItHolds)
{
    Put("A.package", {Hack(kTypeBHAV, 1, "a"), Hack(kTypeBCON, 2, "a")});
    Put("B.package", {Hack(kTypeBHAV, 1, "b"), Hack(kTypeBCON, 2, "b")});
    WriteFile(Temp() / "lastscan.json",
              "{\"pairs\": [{\"a\": [1, {\"b\": null}, 2.5, true]}], \"conflicts\": [{\"extra\": {\"x\": [1, [2]]},"
              " \"packages\": [\"\\\\downloads\\\\B.package\", \"\\\\downloads\\\\A.package\"], \"type\": \"BHAV\","
              " \"group\": \"0x7F000001\", \"instance\": \"0x00000001\", \"prints\": [null]}], \"unreadable\": []}");
    const ScanFacts facts = Scan();
    EXPECT_TRUE(facts.Notes.empty()) << testing::PrintToString(facts.Notes);
    EXPECT_EQ(Marks(facts, &ConflictFact::New), (std::vector<bool>{false, true}));
}

// A review holds while the conflict's packages hold the same contents; a changed, added or
// removed copy ends it, and the same contents again bring it back.
TEST_F(ScanMemory, AReviewHoldsUntilThePackagesChange)
{
    Put("A.package", {Hack(kTypeBHAV, 1, "a"), Hack(kTypeBCON, 2, "a")});
    Put("B.package", {Hack(kTypeBHAV, 1, "b"), Hack(kTypeBCON, 2, "b")});
    ScanFacts facts = Scan();
    gsMarkReviewed(facts, {0, 7}, true);  // a number past the last is passed over
    EXPECT_EQ(Marks(facts, &ConflictFact::Reviewed), (std::vector<bool>{true, false}));
    EXPECT_EQ(Marks(Scan(), &ConflictFact::Reviewed), (std::vector<bool>{true, false}));

    Put("B.package", {Hack(kTypeBHAV, 1, "b changed"), Hack(kTypeBCON, 2, "b")});
    EXPECT_EQ(Marks(Scan(), &ConflictFact::Reviewed), (std::vector<bool>{false, false}));
    Put("B.package", {Hack(kTypeBHAV, 1, "b"), Hack(kTypeBCON, 2, "b")});
    EXPECT_EQ(Marks(Scan(), &ConflictFact::Reviewed), (std::vector<bool>{true, false}));
    Put("C.package", {Hack(kTypeBHAV, 1, "c")});
    EXPECT_EQ(Marks(Scan(), &ConflictFact::Reviewed), (std::vector<bool>{false, false}));
    std::filesystem::remove(Downloads() / "C.package");

    facts = Scan();
    EXPECT_EQ(Marks(facts, &ConflictFact::Reviewed), (std::vector<bool>{true, false}));
    EXPECT_NE(gfstrFactsExplained(facts).find("(every copy identical).\n1 new since the last scan, 1 reviewed.\n"), std::string::npos);
    gsMarkReviewed(facts, {0}, false);
    EXPECT_EQ(Marks(Scan(), &ConflictFact::Reviewed), (std::vector<bool>{false, false}));
    EXPECT_TRUE(facts.Notes.empty());
}

// A file of ours that is damaged, empty or not ours is kept as .bad, said once, and taken as no
// file; the program goes on and the next scan finds a good file again.
TEST_F(ScanMemory, FilesThatCannotBeUsedAreKeptAsBadAndSaidOnce)
{
    Put("A.package", {Hack(kTypeBHAV, 1, "a")});
    Put("B.package", {Hack(kTypeBHAV, 1, "b")});
    const std::vector<std::string> contents = {
        "", "{\"conflicts\": [", "\x89PNG\r\n\x1A\n", "[1, 2]", "{\"conflicts\": 5, \"reviewed\": 5}",
        "{\"conflicts\": [{\"type\": 1}], \"reviewed\": [{\"type\": \"BHAV\"}]}",
        "{\"conflicts\": [{\"type\": \"BHAV\", \"group\": \"0x7F000001\", \"instance\": \"0x00000001\"}],"
        " \"reviewed\": [[]]}",
        "{\"conflicts\": [{\"type\": {\"nested\": 1}, \"packages\": \"A\"}], \"reviewed\": {}}",
        "{\"conflicts\": [{\"type\": \"BHAV\", \"group\": \"0x7F000001\", \"instance\": \"0x00000001\", \"packages\": [3]}],"
        " \"reviewed\": [{\"type\": \"BHAV\", \"group\": \"0x7F000001\", \"instance\": \"0x00000001\", \"packages\": [{}]}]}"};
    for (const std::string& content : contents) {
        SCOPED_TRACE(content);
        for (const char* name : {"lastscan.json", "reviewed.json"}) {
            WriteFile(Temp() / name, content);
            std::filesystem::remove(Temp() / (std::string(name) + ".bad"));
        }
        const ScanFacts facts = Scan();
        EXPECT_EQ(facts.Notes, (std::vector<std::string>{
                                   "temp\\lastscan.json is not a file Clashwick wrote, kept as temp\\lastscan.json.bad; "
                                   "no conflict is marked new.",
                                   "temp\\reviewed.json is not a file Clashwick wrote, kept as temp\\reviewed.json.bad; "
                                   "no conflict is marked reviewed."}));
        EXPECT_EQ(Marks(facts, &ConflictFact::New), std::vector<bool>{false});
        for (const char* name : {"lastscan.json", "reviewed.json"})
            EXPECT_EQ(ReadFile(Temp() / (std::string(name) + ".bad")), content) << name;
        EXPECT_FALSE(std::filesystem::exists(Temp() / "reviewed.json"));
        EXPECT_TRUE(Scan().Notes.empty());
    }
    EXPECT_TRUE(trapCalls.empty());

    // What stands where the file should be and cannot be replaced is said, and the scan goes on.
    std::filesystem::remove(Temp() / "lastscan.json");
    std::filesystem::create_directories(Temp() / "lastscan.json");
    EXPECT_EQ(Scan().Notes, std::vector<std::string>{"temp\\lastscan.json could not be written (Error 75, Path/File access error)."});

    // Reviews marked again and again where reviewed.json cannot be written say so once.
    std::filesystem::create_directories(Temp() / "reviewed.json");
    ScanFacts facts = Scan();
    for (int mark = 0; mark < 3; ++mark)
        gsMarkReviewed(facts, {0}, mark % 2 == 0);
    EXPECT_EQ(std::count(facts.Notes.begin(), facts.Notes.end(),
                         "temp\\reviewed.json could not be written (Error 75, Path/File access error)."),
              1);
    EXPECT_TRUE(trapCalls.empty());
}

} // namespace
