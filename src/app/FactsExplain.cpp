#include "app/FactsExplain.h"

#include "app/ModNames.h"
#include "package/modBinarySupport.h"
#include "platform/TerminalText.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Names are shown with their control characters as '?'.
using platform::gfstrPrintable;

std::string mfstrCount(std::int64_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// "A and B share 2 resources, 1 identical: where they differ, the one loaded last wins".
std::string mfstrPairLine(const PairFact& pair)
{
    return gfstrPrintable(gfstrShortPackageName(pair.First)) + " and " +
           gfstrPrintable(gfstrShortPackageName(pair.Second)) + " share " +
           mfstrCount(pair.Shared, "resource", "resources") + ", " + std::to_string(pair.Identical) + " identical: " +
           std::string(gfstrPairVerdict(pair));
}

void msAppendConflict(std::string& out, const ConflictFact& fact)
{
    out += fact.TypeName;
    out += " \"" + gfstrPrintable(fact.Name) + "\" (group 0x" + gfstrBinToHex(fact.GroupID.Bytes()) + ", instance 0x" +
           gfstrBinToHex(fact.InstanceID.Bytes()) + ")\n";
    for (const std::string_view package : fact.Packages)
        out += "  " + gfstrPrintable(package) + "\n";
    out += "  winner: " + gfstrPrintable(fact.Winner()) + "\n";
    std::vector<std::string_view> packages = fact.Packages;
    std::sort(packages.begin(), packages.end());
    if (std::adjacent_find(packages.begin(), packages.end()) != packages.end())
        out += "  note: a package listed more than once holds the resource more than once\n";
    if (fact.Identical)
        out += "  identical: harmless\n";
    if (fact.New)
        out += "  new since the last scan\n";
    if (fact.Reviewed)
        out += "  reviewed\n";
}

// "3 new since the last scan, 2 reviewed." when there are any, and the notes on what the
// program remembers between scans.
void msAppendMemory(std::string& out, const ScanFacts& facts)
{
    const auto count = [&](bool ConflictFact::*mark) {
        return std::count_if(facts.Conflicts.begin(), facts.Conflicts.end(), [&](const ConflictFact& f) { return f.*mark; });
    };
    std::string line;
    if (const auto fresh = count(&ConflictFact::New))
        line = std::to_string(fresh) + " new since the last scan";
    if (const auto reviewed = count(&ConflictFact::Reviewed))
        line += (line.empty() ? "" : ", ") + std::to_string(reviewed) + " reviewed";
    if (!line.empty())
        out += line + ".\n";
    for (const std::string& note : facts.Notes)
        out += gfstrPrintable(note) + "\n";
}

} // namespace

std::string_view gfstrPairVerdict(const PairFact& pair)
{
    return pair.Identical == pair.Shared ? "the same content, harmless" : "where they differ, the one loaded last wins";
}

namespace {

bool mfblnOneFileName(const GroupFact& group)
{
    const std::string_view file = gfstrFileName(group.Winner());
    return std::all_of(group.Packages.begin(), group.Packages.end(),
                       [&](std::string_view package) { return gfstrFileName(package) == file; });
}

} // namespace

std::string gfstrGroupNames(const GroupFact& group)
{
    if (mfblnOneFileName(group))
        return gfstrPrintable(gfstrFileName(group.Winner()));
    std::string names;
    for (std::size_t p = 0; p < group.Packages.size(); ++p) {
        if (p > 0)
            names += p + 1 == group.Packages.size() ? " and " : ", ";
        names += gfstrPrintable(gfstrFileName(group.Packages[p]));
    }
    return names;
}

std::string gfstrGroupVerdict(const GroupFact& group)
{
    const std::string count = std::to_string(group.Packages.size());
    const std::string_view winner = group.Winner();
    if (mfblnOneFileName(group)) {
        const std::size_t file = gfstrFileName(winner).size();
        const std::string_view folder = winner.substr(0, winner.size() - file - (winner.size() > file ? 1 : 0));
        return count + " copies in different folders; the game uses the one in " + gfstrPrintable(folder) + "; keep one";
    }
    const bool copies = group.Identical == group.Shared;
    return count + (copies ? " copies" : " versions") + " of one mod; the game uses " + gfstrPrintable(winner) +
           "; keep one";
}

std::string gfstrGroupLine(const GroupFact& group) { return gfstrGroupNames(group) + ": " + gfstrGroupVerdict(group); }

std::string gfstrFactsExplained(const ScanFacts& facts)
{
    std::string out;
    std::int64_t harmless = 0;
    for (const ConflictFact& fact : facts.Conflicts)
        harmless += fact.Identical ? 1 : 0;
    out += mfstrCount(static_cast<std::int64_t>(facts.Conflicts.size()), "possible conflict", "possible conflicts") + ", " +
           std::to_string(harmless) + " of them harmless (every copy identical).\n";
    msAppendMemory(out, facts);
    if (!facts.Groups.empty() || !facts.Pairs.empty()) {
        out += "\nPackages that hold the same resources, most shared first:\n";
        for (const GroupFact& group : facts.Groups)
            out += "  " + gfstrGroupLine(group) + "\n";
        for (const PairFact& pair : facts.Pairs)
            out += "  " + mfstrPairLine(pair) + "\n";
        if (facts.PairsOmitted > 0)
            out += "  and " + mfstrCount(facts.PairsOmitted, "more pair", "more pairs") + " that share fewer resources\n";
    }
    if (!facts.Conflicts.empty()) {
        out += "\nConflicts. The game loads the packages in the order listed; the one loaded last wins:\n";
        for (const ConflictFact& fact : facts.Conflicts) {
            out += "\n";
            msAppendConflict(out, fact);
        }
    }
    if (!facts.Unreadable.empty()) {
        out += "\nThese packages could not be read:\n";
        for (const PackageRef& package : facts.Unreadable)
            out += "  " + gfstrPrintable(package.PackageName) + ": " + package.ErrorCode + "\n";
    }
    return out;
}

std::string gfstrNotComparedLines(const ScanFacts& facts)
{
    std::string out;
    for (const std::string_view package : facts.NotCompared)
        out += "Could not compare the copies in " + gfstrPrintable(package) + ": they count as different.\n";
    return out;
}
