// The RefPack decoder on arbitrary input. Its fast paths are compared with a plain decoder that
// runs one byte at a time through bounds-checked containers: both must give the same bytes.
// The input is also compressed by the project's encoder and must decode back to itself, and
// the first 265 stored bytes must decode to the same first 64 bytes as the whole stream.

#include "FuzzSupport.h"

#include "package/Decompress.h"
#include "support/RefPackEncoder.h"

#include <vector>

using namespace fuzzsupport;

namespace {

// The decoder as the format describes it: every command is checked whole before it runs; at
// the first that would read past the input, write past the declared size or copy from before
// the start of the output, decoding stops with what it has produced.
std::string mfstrPlainDecode(std::string_view stored)
{
    if (stored.size() < 9)
        return {};
    const std::vector<unsigned char> in(stored.begin(), stored.end());
    const std::size_t declared = std::size_t{in.at(6)} << 16 | std::size_t{in.at(7)} << 8 | in.at(8);
    std::vector<unsigned char> out;
    std::size_t ip = 9;
    while (ip < in.size() && out.size() < declared) {
        const unsigned b0 = in.at(ip);
        std::size_t bytes = 1, literals = 0, length = 0, offset = 0;
        bool last = false;
        auto at = [&](std::size_t k) -> unsigned { return ip + k < in.size() ? in.at(ip + k) : 0u; };
        if (b0 < 0x80) {
            bytes = 2;
            literals = b0 & 3;
            length = ((b0 >> 2) & 7) + 3;
            offset = ((b0 & 0x60u) << 3) + at(1) + 1;
        } else if (b0 < 0xC0) {
            bytes = 3;
            literals = at(1) >> 6;
            length = (b0 & 0x3F) + 4;
            offset = ((at(1) & 0x3Fu) << 8) + at(2) + 1;
        } else if (b0 < 0xE0) {
            bytes = 4;
            literals = b0 & 3;
            length = ((b0 & 0x0Cu) << 6) + at(3) + 5;
            offset = ((b0 & 0x10u) << 12) + (at(1) << 8) + at(2) + 1;
        } else if (b0 < 0xFC) {
            literals = ((b0 & 0x1Fu) << 2) + 4;
        } else {
            literals = b0 & 3;
            last = true;
        }
        if (ip + bytes + literals > in.size())
            break;
        if (out.size() + literals + length > declared)
            break;
        if (offset > out.size() + literals)
            break;
        for (std::size_t k = 0; k < literals; ++k)
            out.push_back(in.at(ip + bytes + k));
        ip += bytes + literals;
        for (std::size_t k = 0; k < length; ++k)
            out.push_back(out.at(out.size() - offset));
        if (last)
            break;
    }
    return std::string(out.begin(), out.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // libFuzzer's buffer is exactly `size` bytes long, so any read past the input is seen.
    const std::string_view stored = gfBytes(data, size);
    const std::string decoded = Decompress(stored);
    FUZZ_CHECK(decoded == mfstrPlainDecode(stored));
    // The scan reads a name from the first 64 bytes only and decodes just the first 265 stored
    // bytes for it: they must give the same 64 bytes as the whole stream.
    FUZZ_CHECK(Decompress(stored.substr(0, 265)).substr(0, 64) == decoded.substr(0, 64));

    // The encoder costs far more than the decoder (it sets up its match tables on every call),
    // so one input length in eight takes the round trip.
    const std::string packed = stored.size() % 8 == 0 ? gfstrRefPackCompress(stored) : std::string();
    FUZZ_CHECK(packed.empty() || Decompress(packed) == stored);
    return 0;
}
