#include "platform/RegistryText.h"

#include "platform/CodePage.h"
#include "platform/Utf8.h"

#include <algorithm>
#include <limits>

namespace platform {

std::string gfstrUtf16ToUtf8(std::u16string_view units)
{
    std::string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00u);
            ++i;
        }
        gsAppendUtf8(out, c);
    }
    return out;
}

std::string gfstrRegistryValueText(std::uint32_t type, std::string_view data, std::int32_t& bufferSize)
{
    const auto capacity = static_cast<std::size_t>(bufferSize);
    std::size_t required = 0;
    std::string text;
    if (type == glngRegSz || type == glngRegExpandSz || type == glngRegMultiSz) {
        // An odd last byte is ignored.
        std::u16string units(data.size() / 2, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i)
            units[i] = static_cast<char16_t>(static_cast<unsigned char>(data[2 * i]) |
                                             static_cast<unsigned char>(data[2 * i + 1]) << 8);
        const bool terminated = !units.empty() && units.back() == u'\0';
        required = units.size() + (terminated ? 0 : 1);
        text = gfstrUtf16ToUtf8(std::u16string_view(units).substr(0, units.find(u'\0')));
    } else {
        required = data.size();
        text = gfstrFromCodePage(data.substr(0, data.find('\0')));
    }
    bufferSize = static_cast<std::int32_t>(
        std::min<std::size_t>(required, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())));
    if (required > capacity)
        return "ERROR";
    return text;
}

} // namespace platform
