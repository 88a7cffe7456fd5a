#pragma once
// Reading one value from the registry. On this platform the registry is the Wine prefix's own
// files: HKEY_LOCAL_MACHINE is $WINEPREFIX/system.reg and HKEY_CURRENT_USER is
// $WINEPREFIX/user.reg (the prefix being $WINEPREFIX, else ~/.wine). Only a regular file is
// read, up to a bound far above any real one's (platform/wine/RegistryFiles.h), and once for
// as long as it stays unchanged.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The two registry roots the program reads. The names carry a prefix so that Windows' own
// macros of the bare names can never collide with them.
inline constexpr std::uint32_t glngHKEY_CURRENT_USER = 0x80000001u;
inline constexpr std::uint32_t glngHKEY_LOCAL_MACHINE = 0x80000002u;

// The buffer a size of 0 stands for.
inline constexpr std::int32_t glngDefaultRegistryBuffer = 255;

// The text of the value `valueName` ("" is the key's default value) of the key `keyPath`
// below `root`, up to its first NUL; "ERROR" when the key or the value is missing, the
// registry file cannot be read, or the data with its terminator does not fit the buffer.
//
// `bufferSize` is the buffer's capacity in bytes; 0 becomes 255 in the caller's variable.
// When the value exists the variable comes back holding the size of its data, whether it fit
// or not, as the ANSI query reports it: one byte per UTF-16 unit plus the terminator for the
// string kinds, the plain byte count for the others. A negative size is 5 "Invalid procedure
// call or argument".
//
// Key and value names match without regard to case. In a 64-bit prefix a local-machine key
// below "Software\" is looked for first below "Software\Wow6432Node\", as the 32-bit program
// sees it, then at its plain place.
std::string gfstrGetRegistryValue(std::uint32_t root, const std::string& keyPath,
                                  const std::string& valueName, std::int32_t& bufferSize);

// The names of the keys directly below `keyPath`, as the registry writes them, in the order it
// enumerates them (by name without regard to case); none when the key is missing or the
// registry cannot be read. The same view of a local-machine key as gfstrGetRegistryValue.
std::vector<std::string> gfstrGetRegistrySubkeys(std::uint32_t root, const std::string& keyPath);

} // namespace platform
