#include "gui/win32/DisplayText.h"

#include <windows.h>

#include <climits>

namespace gui::win32 {

std::wstring gfwsWide(std::string_view utf8)
{
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(utf8.size());
    // Without MB_ERR_INVALID_CHARS the call puts U+FFFD for each invalid byte.
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), units);
    return wide;
}

std::string gfstrUtf8(std::wstring_view wide)
{
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), bytes, nullptr, nullptr);
    return utf8;
}

std::wstring gfwsDisplayText(std::string_view utf8)
{
    const std::wstring wide = gfwsWide(utf8);
    std::wstring display;
    display.reserve(wide.size() + wide.size() / 16);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const wchar_t c = wide[i];
        if (c == L'\r' || c == L'\n') {
            display += L"\r\n";
            if (c == L'\r' && i + 1 < wide.size() && wide[i + 1] == L'\n')
                ++i;
        } else {
            display += c;
        }
    }
    return display;
}

} // namespace gui::win32
