#include "app/FactsJson.h"

#include "package/modBinarySupport.h"

#include <nlohmann/json.hpp>

namespace {

// Keys stay in the order they are written.
using Json = nlohmann::ordered_json;

Json mudtConflict(const ConflictFact& fact, bool withPrints)
{
    Json conflict = Json::object();
    conflict["type"] = fact.TypeName;
    conflict["group"] = gfstrHexID(fact.GroupID);
    conflict["instance"] = gfstrHexID(fact.InstanceID);
    conflict["name"] = fact.Name;
    conflict["packages"] = fact.Packages;
    conflict["identical"] = fact.Identical;
    conflict["winner"] = fact.Winner();
    conflict["new"] = fact.New;
    conflict["reviewed"] = fact.Reviewed;
    if (withPrints) {
        Json prints = Json::array();
        for (const std::optional<ContentPrint>& print : fact.Prints)
            prints.push_back(print ? Json(gfstrContentPrintText(*print)) : Json(nullptr));
        conflict["prints"] = std::move(prints);
    }
    return conflict;
}

Json mudtPair(const PairFact& fact)
{
    Json pair = Json::object();
    pair["packages"] = {fact.First, fact.Second};
    pair["shared"] = fact.Shared;
    pair["identical"] = fact.Identical;
    return pair;
}

} // namespace

std::string gfstrHexID(const SimsID& id) { return "0x" + gfstrBinToHex(id.Bytes()); }

std::string gfstrContentPrintText(const ContentPrint& print)
{
    constexpr const char* kDigits = "0123456789abcdef";
    std::string text = std::to_string(print.Size) + ":";
    for (const std::uint64_t half : {print.High, print.Low})
        for (int shift = 60; shift >= 0; shift -= 4)
            text += kDigits[(half >> shift) & 0xF];
    return text;
}

std::string gfstrFactsJson(const ScanFacts& facts, bool withPrints)
{
    Json conflicts = Json::array();
    for (const ConflictFact& fact : facts.Conflicts)
        conflicts.push_back(mudtConflict(fact, withPrints));
    Json pairs = Json::array();
    for (const PairFact& fact : facts.Pairs)
        pairs.push_back(mudtPair(fact));
    Json groups = Json::array();
    for (const GroupFact& fact : facts.Groups) {
        Json group = Json::object();
        group["packages"] = fact.Packages;
        group["winner"] = fact.Winner();
        groups.push_back(std::move(group));
    }
    Json unreadable = Json::array();
    for (const PackageRef& package : facts.Unreadable) {
        Json entry = Json::object();
        entry["package"] = package.PackageName;
        entry["error"] = package.ErrorCode;
        unreadable.push_back(std::move(entry));
    }
    Json document = Json::object();
    document["conflicts"] = std::move(conflicts);
    document["pairs"] = std::move(pairs);
    document["pairs_omitted"] = facts.PairsOmitted;
    document["groups"] = std::move(groups);
    document["unreadable"] = std::move(unreadable);
    // A file name that is not valid UTF-8 gets U+FFFD where its bad bytes were, rather than
    // ending the document.
    return document.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}
