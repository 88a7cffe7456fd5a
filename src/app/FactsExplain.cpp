#include "app/FactsExplain.h"

#include "package/modBinarySupport.h"
#include "platform/Names.h"
#include "platform/TerminalText.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Names are shown with their control characters as '?'.
using platform::gfstrPrintable;

bool mfblnSeparator(char c) { return std::strchr(" _-.()[]", c) != nullptr && c != '\0'; }
bool mfblnDigit(char c) { return c >= '0' && c <= '9'; }

bool mfblnEndsWith(std::string_view text, std::string_view end)
{
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// The name in lower case (ASCII letters) without the version marks at its end: separators and
// digits, a "v" or "version" before a number, and words such as "copy" or "old" after a separator.
std::string mfstrModStem(std::string_view name)
{
    std::string stem(name);
    for (char& c : stem)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (std::size_t before = std::string::npos; before != stem.size();) {
        before = stem.size();
        bool number = false;
        while (!stem.empty() && (mfblnDigit(stem.back()) || mfblnSeparator(stem.back()))) {
            number = number || mfblnDigit(stem.back());
            stem.pop_back();
        }
        if (number)
            for (const std::string_view mark : {"version", "ver", "v"})
                if (mfblnEndsWith(stem, mark)) {
                    stem.resize(stem.size() - mark.size());
                    break;
                }
        for (const std::string_view word : {"copy", "old", "new", "final", "updated", "update", "fixed", "fix"})
            if (stem.size() > word.size() && mfblnEndsWith(stem, word) &&
                mfblnSeparator(stem[stem.size() - word.size() - 1])) {
                stem.resize(stem.size() - word.size());
                break;
            }
    }
    return stem;
}

std::string mfstrCount(std::int64_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

// "A and B share 2 resources, 1 identical: probably two versions of one mod".
std::string mfstrPairLine(const PairFact& pair)
{
    std::string first = gfstrShortPackageName(pair.First);
    std::string second = gfstrShortPackageName(pair.Second);
    const bool sameFile = first == second;
    if (sameFile) {  // the same file name in two folders: the folders tell them apart
        first = pair.First;
        second = pair.Second;
    }
    std::string line = gfstrPrintable(first) + " and " + gfstrPrintable(second) + " share " + mfstrCount(pair.Shared, "resource", "resources") + ", " +
                       std::to_string(pair.Identical) + " identical";
    const bool oneMod = sameFile || gfblnNamesOfOneMod(first, second);
    if (pair.Identical == pair.Shared)
        line += oneMod ? ": probably one mod installed twice, harmless" : ": the same content, harmless";
    else if (oneMod)
        line += ": probably two versions of one mod, keep one";
    else
        line += ": where they differ, the one loaded last wins";
    return line;
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

std::string gfstrShortPackageName(std::string_view relativeName)
{
    const std::size_t slash = relativeName.find_last_of('\\');
    std::string name(slash == std::string_view::npos ? relativeName : relativeName.substr(slash + 1));
    // The ending as the folder walk matched it: without regard to case.
    constexpr std::string_view kEnding = ".package";
    const std::size_t stem = name.size() - std::min(name.size(), kEnding.size());
    if (stem > 0 && platform::gfblnSameName(std::string_view(name).substr(stem), kEnding))
        name.resize(stem);
    return name;
}

bool gfblnNamesOfOneMod(std::string_view first, std::string_view second)
{
    const std::string stem = mfstrModStem(first);
    return !stem.empty() && stem == mfstrModStem(second);
}

std::string gfstrFactsExplained(const ScanFacts& facts)
{
    std::string out;
    std::int64_t harmless = 0;
    for (const ConflictFact& fact : facts.Conflicts)
        harmless += fact.Identical ? 1 : 0;
    out += mfstrCount(static_cast<std::int64_t>(facts.Conflicts.size()), "possible conflict", "possible conflicts") + ", " +
           std::to_string(harmless) + " of them harmless (every copy identical).\n";
    msAppendMemory(out, facts);
    if (!facts.Pairs.empty()) {
        out += "\nPackages that hold the same resources, most shared first:\n";
        for (const PairFact& pair : facts.Pairs)
            out += "  " + mfstrPairLine(pair) + "\n";
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
