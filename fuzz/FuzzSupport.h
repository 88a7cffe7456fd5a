#pragma once
// What every fuzz target shares: a scratch Wine prefix of its own, an error trap that turns
// into a finding, and a check macro whose failure is a finding too. Nothing here needs
// libFuzzer: the corpus replay of the test suite (replay_main.cpp) builds it with gcc.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace fuzzsupport {

// Prints what failed and aborts, which libFuzzer reports as a crash with the input saved.
[[noreturn]] void gsFail(const char* file, int line, const std::string& what);

#define FUZZ_CHECK(condition)                                                 \
    do {                                                                      \
        if (!(condition))                                                     \
            ::fuzzsupport::gsFail(__FILE__, __LINE__, #condition);            \
    } while (false)

// Makes the scratch folder (below $TMPDIR) with an empty prefix in it and points WINEPREFIX
// there; installs window services under which the error trap, a fatal message or an ending
// of the program is a finding: no input may reach them. Runs once; later calls return the
// same folder. The folder is removed when the program exits normally.
const std::filesystem::path& gfScratch();

// The Windows form of a host path (through drive Z:).
std::string gfstrWinPath(const std::filesystem::path& host);

// Writes bytes to a host file, replacing it.
void gsWriteFile(const std::filesystem::path& host, std::string_view bytes);

inline std::string_view gfBytes(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Called once by the corpus replay before its first input: from then on every input takes the
// slower checks that libFuzzer gives only a share of its inputs.
void gsSetReplaying();

// Whether an input takes the slower checks: every input of a replay, about one in `every` under
// libFuzzer. Chosen by a hash of its length and first bytes, so a saved input does again what it
// did; not by its length alone, since libFuzzer makes many inputs of its round length limits.
bool gfblnSlowChecks(std::string_view bytes, std::uint64_t every);

// A little-endian signed 32-bit number at `at`, read straight from the input.
std::int32_t gflngInt32At(std::string_view bytes, std::size_t at);

} // namespace fuzzsupport
