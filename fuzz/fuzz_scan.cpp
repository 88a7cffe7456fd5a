// The whole scan of the sample game's Downloads folder with one arbitrary package scanned after
// all the others. Whatever its bytes, the scan must end without the error trap, and every row
// the valid packages made must stay as it was: same pair, same name, same packages; the new
// package may only add itself (to old rows or rows of its own) or be listed as unreadable.
// The facts of the scan (its packages read again to compare contents) cover every conflict
// row, read every package again, and make a JSON document that parses.

#include "FuzzSupport.h"

#include "app/ConflictFacts.h"
#include "app/FactsExplain.h"
#include "app/FactsJson.h"
#include "app/FindHacks.h"
#include "app/ScanCommand.h"
#include "app/modSims2General.h"
#include "package/modSimsPackage.h"
#include "platform/AppInfo.h"
#include "support/SampleGame.h"

#include <nlohmann/json.hpp>

#include <set>

using namespace fuzzsupport;

namespace {

// A table row with its texts copied out of the scan's text store, which the next scan empties.
struct Row {
    SimsID GroupID;
    SimsID InstanceID;
    std::string ResourceName;
    std::vector<std::string> Packages;  // element 0 unused
};

struct Tables {
    std::vector<Row> BHAV, BCON, TTAB, TTAs;
    std::vector<PackageRef> Unreadable;
};

std::vector<Row> mudtRows(const HackTable& table)
{
    std::vector<Row> rows(table.size());
    for (std::size_t i = 1; i < table.size(); ++i) {
        const HackResource& row = table[i];
        rows[i] = {row.GroupID, row.InstanceID, std::string(row.ResourceName), {""}};
        for (std::size_t p = 1; p < row.Packages.size(); ++p)
            rows[i].Packages.emplace_back(row.Packages[p].PackageName);
    }
    return rows;
}

Tables mudtTables()
{
    return {mudtRows(gudtBHAVTable), mudtRows(gudtBCONTable), mudtRows(gudtTTABTable), mudtRows(gudtTTAsTable),
            gudtUnreadablePackages};
}

bool mfblnIsInput(std::string_view packageName) { return packageName.ends_with("\\Last\\Input.package"); }

// Returns whether the input package appears anywhere in the table.
bool mfblnCheckTable(const std::vector<Row>& now, const std::vector<Row>& before)
{
    bool added = false;
    FUZZ_CHECK(now.size() >= before.size());
    for (std::size_t row = 1; row < now.size(); ++row) {
        const auto& packages = now[row].Packages;
        std::size_t kept = 1;
        if (row < before.size()) {
            FUZZ_CHECK(now[row].GroupID == before[row].GroupID);
            FUZZ_CHECK(now[row].InstanceID == before[row].InstanceID);
            FUZZ_CHECK(now[row].ResourceName == before[row].ResourceName);
            kept = before[row].Packages.size();
            FUZZ_CHECK(packages.size() >= kept);
            for (std::size_t i = 1; i < kept; ++i)
                FUZZ_CHECK(packages[i] == before[row].Packages[i]);
        } else {
            FUZZ_CHECK(packages.size() >= 2);
        }
        for (std::size_t i = kept; i < packages.size(); ++i) {
            FUZZ_CHECK(mfblnIsInput(packages[i]));
            added = true;
        }
    }
    return added;
}

Tables gBefore;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::filesystem::path input = [] {
        const std::filesystem::path& scratch = gfScratch();
        writer::gsMakeSampleGame(scratch / "prefix");
        std::filesystem::create_directories(scratch / "program" / "temp");
        platform::gsSetAppPath(gfstrWinPath(scratch / "program"));
        gstrSims2DataPath = std::string(writer::kSampleDocuments) + "\\EA Games\\The Sims 2";
        gsInitTypeIDs();
        FUZZ_CHECK(gfblnFindHacks(gstrSims2DataPath + "\\downloads", {}));
        gBefore = mudtTables();
        FUZZ_CHECK(gBefore.BHAV.size() > 1 && gBefore.Unreadable.size() > 1);
        // The folder walk is breadth-first and the sample goes two folders deep: three deep, the
        // input comes after every valid package.
        return writer::gfSampleDownloads(scratch / "prefix") / "Deep" / "Deeper" / "Last" / "Input.package";
    }();

    gsWriteFile(input, gfBytes(data, size));
    FUZZ_CHECK(gfblnFindHacks(gstrSims2DataPath + "\\downloads", {}));
    const Tables now = mudtTables();

    bool entered = false;
    entered |= mfblnCheckTable(now.BHAV, gBefore.BHAV);
    entered |= mfblnCheckTable(now.BCON, gBefore.BCON);
    entered |= mfblnCheckTable(now.TTAB, gBefore.TTAB);
    entered |= mfblnCheckTable(now.TTAs, gBefore.TTAs);

    const std::size_t old = gBefore.Unreadable.size();
    FUZZ_CHECK(now.Unreadable.size() == old || now.Unreadable.size() == old + 1);
    for (std::size_t i = 1; i < old; ++i) {
        FUZZ_CHECK(now.Unreadable[i].PackageName == gBefore.Unreadable[i].PackageName);
        FUZZ_CHECK(now.Unreadable[i].ErrorCode == gBefore.Unreadable[i].ErrorCode);
    }
    if (now.Unreadable.size() == old + 1) {
        static const std::set<std::string> codes = {"5 - Invalid procedure call or argument",
                                                    "62 - Input past end of file", "63 - Bad record number"};
        FUZZ_CHECK(mfblnIsInput(now.Unreadable.back().PackageName));
        FUZZ_CHECK(codes.count(now.Unreadable.back().ErrorCode) == 1);
        FUZZ_CHECK(!entered);
    }

    std::int32_t conflicts = 0;
    const std::string body = gfstrReportBody(conflicts);
    FUZZ_CHECK(body.find("End Of Report\r\n") != std::string::npos);

    const ScanFacts facts = gudtScanFacts();
    FUZZ_CHECK(facts.Conflicts.size() == static_cast<std::size_t>(conflicts));
    FUZZ_CHECK(facts.NotCompared.empty());
    const nlohmann::json document = nlohmann::json::parse(gfstrFactsJson(facts), nullptr, false);
    FUZZ_CHECK(!document.is_discarded() && document["conflicts"].size() == facts.Conflicts.size());
    FUZZ_CHECK(!gfstrFactsExplained(facts).empty());
    return 0;
}
