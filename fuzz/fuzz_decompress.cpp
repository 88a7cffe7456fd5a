// The RefPack decoder on arbitrary input. Its fast paths are compared with a plain decoder that
// runs one byte at a time through bounds-checked containers: both must give the same bytes.
// A decoding asked for only its first bytes must give exactly those bytes of the whole decoding:
// the scan's (64 bytes from the first 265 stored bytes) and one whose length the input sets.
// The input is also compressed by the project's encoder and must decode back to itself.

#include "FuzzSupport.h"

#include "package/Decompress.h"
#include "support/RefPackEncoder.h"

#include <algorithm>
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

// The byte at `at`, 0 past the end.
std::size_t mflngByteAt(std::string_view bytes, std::size_t at)
{
    return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : 0u;
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
    FUZZ_CHECK(Decompress(stored.substr(0, 265), 64) == decoded.substr(0, 64));
    // It decodes names into one buffer kept for the whole scan: what earlier inputs left in it
    // never shows.
    static std::string kept;
    FUZZ_CHECK(Decompress(stored.substr(0, 265), 64, kept) == decoded.substr(0, 64));
    // The decoder ignores the stored size in bytes 0-3, so the fuzzer can vary the first two of
    // them freely to pick how many bytes are wanted, without changing the stream itself. The
    // third picks a mark just short of the end, where the last commands decide.
    const std::size_t wanted = mflngByteAt(stored, 0) | mflngByteAt(stored, 1) << 8;
    FUZZ_CHECK(Decompress(stored, wanted) == decoded.substr(0, wanted));
    const std::size_t shortOfEnd = decoded.size() - std::min(decoded.size(), mflngByteAt(stored, 2));
    FUZZ_CHECK(Decompress(stored, shortOfEnd) == decoded.substr(0, shortOfEnd));

    // The encoder costs far more than the decoder (it sets up its match tables on every call),
    // so about one input in 64 takes the round trip (every input of a corpus replay).
    const std::string packed = gfblnSlowChecks(stored, 64) ? gfstrRefPackCompress(stored) : std::string();
    FUZZ_CHECK(packed.empty() || Decompress(packed) == stored);
    return 0;
}
