#include "package/modBinarySupport.h"

#include "errors/Failure.h"

namespace {

// The value of one hexadecimal digit already in upper case, or -1.
int mfintDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

char mfchrUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

} // namespace

std::int32_t gflngHexToLong(std::string_view text)
{
    if (text.empty() || text.size() > 2)
        return -1;
    std::int32_t high = 0;
    if (text.size() == 2) {
        const int digit = mfintDigitValue(mfchrUpper(text[0]));
        high = digit < 0 ? 0 : 16 * digit;
    }
    const int low = mfintDigitValue(mfchrUpper(text.back()));
    return high + (low < 0 ? 0 : low);
}

std::string gfstrHexToBin(std::string_view text)
{
    std::string result;
    std::size_t position = 0;
    do {
        const std::int32_t value = gflngHexToLong(text.substr(position, 2));
        if (value < 0)
            gsRaise(errInvalidCall);
        result.insert(result.begin(), static_cast<char>(value));
        position += 2;
    } while (position < text.size());
    return result;
}

std::string gfstrByteToHex(unsigned char byte)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    return {digits[byte >> 4], digits[byte & 0x0F]};
}

std::string gfstrBinToHex(std::string_view bytes)
{
    std::string result;
    result.reserve(bytes.size() * 2);
    for (auto it = bytes.rbegin(); it != bytes.rend(); ++it)
        result += gfstrByteToHex(static_cast<unsigned char>(*it));
    return result;
}

std::string gfstrTrimAtNull(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}
