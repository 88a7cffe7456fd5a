#pragma once
// Standard output and standard error of the program without windows, as text.

#include <iostream>
#include <string_view>

namespace platform {

enum class StandardStream { Output, Error };

// The C++ stream of a standard stream: std::cout or std::cerr.
inline std::ostream& gudtStandardStream(StandardStream stream)
{
    return stream == StandardStream::Output ? std::cout : std::cerr;
}

// Writes the program's UTF-8 text to standard output or standard error. Where that is a
// Windows console, the console gets the text as UTF-16 (WriteConsoleW), so that it shows every
// character of a package's name whatever its code page; a byte that is no UTF-8 is taken as
// Windows-1252. A file or a pipe, and every stream under the Wine model, gets the bytes as they
// are. A write that fails sets the stream's badbit, as a failed write to the stream does.
void gsWriteStandard(StandardStream stream, std::string_view text);

} // namespace platform
