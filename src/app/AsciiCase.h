#pragma once
// Text with its ASCII letters in one case, every other byte as it is: names are searched,
// sorted and compared this way, and a path's own "\downloads" is found this way whatever the
// case of its letters.

#include <string>
#include <string_view>

std::string gfstrAsciiLowerCase(std::string_view text);
std::string gfstrAsciiUpperCase(std::string_view text);
