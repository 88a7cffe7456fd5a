#include "platform/StandardOutput.h"

#include "platform/win32/ConsoleText.h"

#include <algorithm>
#include <cstdio>

#include <io.h>
#include <windows.h>

namespace platform {

namespace {

// WriteConsoleW takes a bounded buffer: the text goes in pieces of at most this many units.
constexpr std::size_t kConsolePiece = 8192;

bool mfblnIsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// Writes all of the units to the console; false when the console refused them.
bool mfblnWriteConsole(HANDLE console, std::wstring_view units)
{
    while (!units.empty()) {
        std::size_t piece = std::min(units.size(), kConsolePiece);
        // A character of two units stays whole.
        if (piece < units.size() && piece > 1 && mfblnIsHighSurrogate(units[piece - 1]))
            --piece;
        DWORD written = 0;
        if (!::WriteConsoleW(console, units.data(), static_cast<DWORD>(piece), &written, nullptr) || written == 0)
            return false;
        units.remove_prefix(std::min<std::size_t>(written, piece));
    }
    return true;
}

} // namespace

void gsWriteStandard(StandardStream stream, std::string_view text)
{
    std::ostream& out = gudtStandardStream(stream);
    // The handle the C runtime writes the stream to, whatever the program was started with.
    std::FILE* file = stream == StandardStream::Output ? stdout : stderr;
    const auto console = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
    DWORD mode = 0;
    if (console == INVALID_HANDLE_VALUE || !::GetConsoleMode(console, &mode)) {
        out << text;
        return;
    }
    // What the stream holds goes first, so the console shows the text in the order written.
    out.flush();
    std::fflush(file);
    if (!mfblnWriteConsole(console, win32::gfstrConsoleUnits(text)))
        out.setstate(std::ios::badbit);
}

} // namespace platform
