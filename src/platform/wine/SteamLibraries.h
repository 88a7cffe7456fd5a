#pragma once
// The Steam libraries of this host: where Steam keeps games, and with them the Proton prefix
// of each game it runs (<library>/steamapps/compatdata/<app id>/pfx).

#include <string>
#include <vector>

namespace platform::wine {

// The "path" values of a libraryfolders.vdf text (Valve's KeyValues text: quoted strings with
// \\ \" \n \t escapes, braces for nesting, // comments), in the order they stand. The older form,
// a number key under "libraryfolders" whose value is the path, counts too. Keys compare without
// regard to case. A key or value longer than any path (4096 bytes) is passed over and the text
// read on after it. A damaged text gives what was read before the damage.
std::vector<std::string> gfstrLibraryFoldersOf(const std::string& vdfText);

// The canonical host folder of each Steam library, without duplicates, in this order: the
// roots ~/.local/share/Steam, ~/.steam/steam and
// ~/.var/app/com.valvesoftware.Steam/.local/share/Steam, each that exists followed by the
// existing libraries its steamapps/libraryfolders.vdf lists. Nothing raises: a missing or
// damaged Steam install gives fewer libraries.
std::vector<std::string> gfstrSteamLibraries();

} // namespace platform::wine
