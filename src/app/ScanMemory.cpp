#include "app/ScanMemory.h"

#include "app/FactsJson.h"
#include "errors/Failure.h"
#include "platform/AppInfo.h"
#include "platform/FileAccess.h"
#include "platform/Folders.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

namespace {

using Json = nlohmann::json;

// The files are the program's own, a few megabytes for the largest folders; one far larger is
// none of ours, and is never read whole.
constexpr std::int64_t kMostRememberedBytes = std::int64_t{256} << 20;

constexpr std::string_view kLastScanShown = "temp\\lastscan.json";
constexpr std::string_view kReviewedShown = "temp\\reviewed.json";

// Where a conflict is: its type, group and instance, as the JSON document writes them.
std::string mfstrPlace(std::string_view type, std::string_view group, std::string_view instance)
{
    return std::string(type) + " " + std::string(group) + " " + std::string(instance);
}

std::string mfstrPlace(const ConflictFact& fact)
{
    return mfstrPlace(fact.TypeName, gfstrHexID(fact.GroupID), gfstrHexID(fact.InstanceID));
}

// What makes a conflict the same one as in the last scan: its place and the set of its packages.
std::string mfstrSetKey(std::string place, std::vector<std::string> packages)
{
    std::sort(packages.begin(), packages.end());
    packages.erase(std::unique(packages.begin(), packages.end()), packages.end());
    for (const std::string& package : packages)
        place += "\n" + package;
    return place;
}

// What a review holds on to: the place and each listed package with its content, in order.
std::string mfstrReviewKey(std::string place, const std::vector<std::pair<std::string, std::string>>& copies)
{
    for (const auto& [package, print] : copies)
        place += "\n" + package + "\t" + print;
    return place;
}

// A conflict's copies as a review keeps them; none when a copy could not be compared.
std::optional<std::vector<std::pair<std::string, std::string>>> mudtCopies(const ConflictFact& fact)
{
    std::vector<std::pair<std::string, std::string>> copies;
    for (std::size_t i = 0; i < fact.Packages.size(); ++i) {
        if (i >= fact.Prints.size() || !fact.Prints[i])
            return std::nullopt;
        copies.emplace_back(std::string(fact.Packages[i]), gfstrContentPrintText(*fact.Prints[i]));
    }
    return copies;
}

bool mfblnString(const Json& object, const char* key) { return object.contains(key) && object[key].is_string(); }

// A conflict entry of either file: an object with its place and a list of packages.
bool mfblnConflictEntry(const Json& entry)
{
    return entry.is_object() && mfblnString(entry, "type") && mfblnString(entry, "group") &&
           mfblnString(entry, "instance") && entry.contains("packages") && entry["packages"].is_array();
}

bool mfblnLastScanShape(const Json& document)
{
    if (!document.is_object() || !document.contains("conflicts") || !document["conflicts"].is_array())
        return false;
    return std::all_of(document["conflicts"].begin(), document["conflicts"].end(), [](const Json& entry) {
        return mfblnConflictEntry(entry) && std::all_of(entry["packages"].begin(), entry["packages"].end(),
                                                        [](const Json& package) { return package.is_string(); });
    });
}

bool mfblnReviewedShape(const Json& document)
{
    if (!document.is_object() || !document.contains("reviewed") || !document["reviewed"].is_array())
        return false;
    return std::all_of(document["reviewed"].begin(), document["reviewed"].end(), [](const Json& entry) {
        return mfblnConflictEntry(entry) &&
               std::all_of(entry["packages"].begin(), entry["packages"].end(), [](const Json& copy) {
                   return copy.is_object() && mfblnString(copy, "package") && mfblnString(copy, "print");
               });
    });
}

// Keeps the bytes of a file that is not one of ours beside it as "....bad", and takes the file
// away so that it is said once. What cannot be kept stays where it is.
bool mfblnKeptAsBad(const std::string& path, const std::string& bytes)
{
    try {
        platform::OutputFile bad(path + ".bad");
        bad.Write(bytes);
        bad.Close();
        platform::gsDeleteFile(path);
        return true;
    } catch (const Failure&) {
        return false;
    }
}

// Adds a sentence to the notes once: marking reviews again and again on a disk that cannot be
// written says so once.
void msNote(std::vector<std::string>& notes, std::string sentence)
{
    if (std::find(notes.begin(), notes.end(), sentence) == notes.end())
        notes.push_back(std::move(sentence));
}

// One of the program's files, parsed; nothing when there is none. A file that cannot be read,
// is no JSON, or is not of the shape `ours` accepts, is said in `notes` (and kept as .bad when it
// could be read), with `consequence` ending the sentence.
std::optional<Json> mudtReadRemembered(const std::string& path, std::string_view shown,
                                       const std::function<bool(const Json&)>& ours, std::string_view consequence,
                                       std::vector<std::string>& notes)
{
    std::string bytes;
    try {
        if (!platform::gfblnEntryExists(path, platform::ListKind::Files))
            return std::nullopt;
        platform::InputFile file(path);
        if (file.Size() > kMostRememberedBytes)
            gsRaise(errOutOfMemory);
        bytes = file.ReadAll();
    } catch (const Failure& failure) {
        msNote(notes, std::string(shown) + " could not be read (" + gfstrFailureText(failure) + "); " +
                          std::string(consequence) + ".");
        return std::nullopt;
    }
    Json document = Json::parse(bytes, nullptr, false);
    if (!document.is_discarded() && ours(document))
        return document;
    const std::string kept = mfblnKeptAsBad(path, bytes) ? ", kept as " + std::string(shown) + ".bad" : "";
    msNote(notes, std::string(shown) + " is not a file Clashwick wrote" + kept + "; " + std::string(consequence) + ".");
    return std::nullopt;
}

// Writes one of the program's files whole; a failure is said in `notes`.
void msWriteRemembered(const std::string& path, std::string_view shown, const std::string& text,
                       std::vector<std::string>& notes)
{
    try {
        platform::OutputFile file(path);
        file.Write(text);
        file.Close();
    } catch (const Failure& failure) {
        msNote(notes, std::string(shown) + " could not be written (" + gfstrFailureText(failure) + ").");
    }
}

std::optional<Json> mudtReadReviewed(std::vector<std::string>& notes)
{
    return mudtReadRemembered(gfstrReviewedPath(), kReviewedShown, mfblnReviewedShape, "no conflict is marked reviewed",
                              notes);
}

std::string mfstrReviewKey(const Json& entry)
{
    std::vector<std::pair<std::string, std::string>> copies;
    for (const Json& copy : entry["packages"])
        copies.emplace_back(copy["package"].get<std::string>(), copy["print"].get<std::string>());
    return mfstrReviewKey(mfstrPlace(entry["type"].get<std::string>(), entry["group"].get<std::string>(),
                                     entry["instance"].get<std::string>()),
                          copies);
}

} // namespace

std::string gfstrLastScanPath() { return platform::gfstrAppPath() + "\\temp\\lastscan.json"; }

std::string gfstrReviewedPath() { return platform::gfstrAppPath() + "\\temp\\reviewed.json"; }

void gsRememberScan(ScanFacts& facts)
{
    std::optional<std::set<std::string>> previous;
    if (const std::optional<Json> last = mudtReadRemembered(gfstrLastScanPath(), kLastScanShown, mfblnLastScanShape,
                                                            "no conflict is marked new", facts.Notes)) {
        previous.emplace();
        for (const Json& entry : (*last)["conflicts"])
            previous->insert(mfstrSetKey(mfstrPlace(entry["type"].get<std::string>(), entry["group"].get<std::string>(),
                                                    entry["instance"].get<std::string>()),
                                         entry["packages"].get<std::vector<std::string>>()));
    }
    std::set<std::string> reviews;
    if (const std::optional<Json> reviewed = mudtReadReviewed(facts.Notes))
        for (const Json& entry : (*reviewed)["reviewed"])
            reviews.insert(mfstrReviewKey(entry));

    for (ConflictFact& fact : facts.Conflicts) {
        fact.New = previous && !previous->contains(mfstrSetKey(
                                   mfstrPlace(fact), std::vector<std::string>(fact.Packages.begin(), fact.Packages.end())));
        const auto copies = mudtCopies(fact);
        fact.Reviewed = copies && reviews.contains(mfstrReviewKey(mfstrPlace(fact), *copies));
    }
    msWriteRemembered(gfstrLastScanPath(), kLastScanShown, gfstrFactsJson(facts, true), facts.Notes);
}

void gsMarkReviewed(ScanFacts& facts, const std::vector<std::size_t>& conflicts, bool reviewed)
{
    Json entries = Json::array();
    if (const std::optional<Json> document = mudtReadReviewed(facts.Notes))
        entries = (*document)["reviewed"];
    // The reviews of the chosen conflicts go, each once; for "reviewed" they come back anew.
    std::set<std::string> changed;
    Json added = Json::array();
    for (const std::size_t index : conflicts) {
        if (index >= facts.Conflicts.size())
            continue;
        ConflictFact& fact = facts.Conflicts[index];
        const auto copies = mudtCopies(fact);
        if (!copies || !changed.insert(mfstrReviewKey(mfstrPlace(fact), *copies)).second)
            continue;
        fact.Reviewed = reviewed;
        if (!reviewed)
            continue;
        Json entry = Json::object();
        entry["type"] = fact.TypeName;
        entry["group"] = gfstrHexID(fact.GroupID);
        entry["instance"] = gfstrHexID(fact.InstanceID);
        entry["packages"] = Json::array();
        for (const auto& [package, print] : *copies)
            entry["packages"].push_back(Json{{"package", package}, {"print", print}});
        added.push_back(std::move(entry));
    }
    Json kept = Json::array();
    for (Json& entry : entries)
        if (!changed.contains(mfstrReviewKey(entry)))
            kept.push_back(std::move(entry));
    for (Json& entry : added)
        kept.push_back(std::move(entry));
    Json document = Json::object();
    document["reviewed"] = std::move(kept);
    msWriteRemembered(gfstrReviewedPath(), kReviewedShown,
                      document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n", facts.Notes);
}
