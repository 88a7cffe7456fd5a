#pragma once
// The system's single-byte code page, Windows-1252 on every platform. Text the program holds
// as UTF-8 (file names, messages) is converted when written to the report or the error log;
// a character the code page lacks becomes '?'.

#include <string>
#include <string_view>

namespace platform {

std::string gfstrToCodePage(std::string_view utf8);
std::string gfstrFromCodePage(std::string_view bytes);
// The same, taking over the bytes when they are all ASCII, which is most often so.
std::string gfstrFromCodePage(std::string&& bytes);

// The text with each CR LF line end turned into LF, as a terminal shows text.
std::string gfstrWithLfLineEnds(std::string_view text);
std::string gfstrWithLfLineEnds(std::string&& text);  // the same, changing the text in place

} // namespace platform
