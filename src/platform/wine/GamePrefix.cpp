#include "platform/GamePrefix.h"

#include "platform/wine/HostFolder.h"
#include "platform/wine/Prefix.h"
#include "platform/wine/SteamLibraries.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

namespace platform {

using namespace wine;

namespace {

// Steam names each compatdata folder by the game's numeric app id; anything else could lead
// the path out of compatdata and is no Steam game.
bool mfblnSteamAppId(std::string_view steamAppId)
{
    return !steamAppId.empty() &&
           std::all_of(steamAppId.begin(), steamAppId.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

void gsChooseGamePrefix(const std::function<bool()>& gameFound, std::string_view steamAppId)
{
    // Any earlier choice goes first: with $WINEPREFIX it would only wait to surprise a later
    // run without it, and otherwise `gameFound` must be asked with ~/.wine in use.
    gsSetChosenPrefix("");
    const char* winePrefix = std::getenv("WINEPREFIX");
    if (winePrefix != nullptr && *winePrefix != '\0')
        return;
    if (gameFound())
        return;
    if (!mfblnSteamAppId(steamAppId))
        return;
    // A prefix that exists need not hold the game: Steam leaves the compatdata folder behind
    // when a game is moved to another library or uninstalled, and starts one before it has
    // installed anything. Each is asked the same question as ~/.wine, with it in use.
    for (const std::string& library : gfstrSteamLibraries()) {
        std::string prefix = gfstrJoinHost(library, "steamapps/compatdata/");
        prefix += steamAppId;
        prefix += "/pfx";
        if (!gfblnIsHostFolder(prefix))
            continue;
        gsSetChosenPrefix(std::move(prefix));
        if (gameFound())
            return;
    }
    gsSetChosenPrefix("");  // the game is nowhere: ~/.wine, as without Steam
}

} // namespace platform
