#pragma once
// Where the game's Windows lives on this host. Under the Wine model the game runs in a Wine
// prefix, and a player may have several: the one in $WINEPREFIX, ~/.wine, and the prefix Steam
// makes for each game it runs under Proton. Natively on Windows there is only one, and nothing
// is chosen.

#include <functional>
#include <string_view>

namespace platform {

// Chooses the prefix that every later path and registry read goes through:
//  - $WINEPREFIX when it is set and not empty, always (then nothing else is looked at);
//  - else ~/.wine when `gameFound` (asked with ~/.wine in use) says the game is installed there;
//  - else the first Steam prefix of `steamAppId` in which `gameFound` (asked with that prefix in
//    use) says the game is installed: <library>/steamapps/compatdata/<steamAppId>/pfx, for
//    each Steam library in this order: ~/.local/share/Steam, ~/.steam/steam,
//    ~/.var/app/com.valvesoftware.Steam/.local/share/Steam, each followed by the libraries its
//    steamapps/libraryfolders.vdf lists; a prefix without the game is passed over;
//  - else ~/.wine.
// A later call chooses again.
void gsChooseGamePrefix(const std::function<bool()>& gameFound, std::string_view steamAppId);

} // namespace platform
