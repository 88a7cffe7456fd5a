#include "package/Decompress.h"

#include "errors/Assert.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

// Stored size (4), signature (2), declared uncompressed size (3).
constexpr std::size_t kHeaderSize = 9;

// No command yields more than 257 output bytes per input byte it consumes (a 4-byte copy of
// 1028 bytes), so the output never exceeds 257 times the command bytes. Sizing the buffer by
// this as well as by the declared size keeps a tiny damaged resource from costing 16 MiB.
constexpr std::size_t kMaxExpansion = 257;

// The most output one command makes: 3 literals and a copy of 1028 bytes (a literal run makes
// at most 112); the fixed-size moves below write at most 16 bytes past a command's own share.
constexpr std::size_t kMaxCommandOutput = 3 + 1028 + 16;

// Copies `length` bytes that start `offset` bytes before `dst`. The caller has proven that
// dst - offset is inside the output and that dst + length does not pass its end.
inline void msCopyBack(char* dst, std::size_t offset, std::size_t length)
{
    CLASHWICK_ASSERT(offset > 0);
    const char* const src = dst - offset;
    if (offset >= length) {
        std::memcpy(dst, src, length);
        return;
    }
    if (offset == 1) {
        std::memset(dst, *src, length);
        return;
    }
    // Overlapping copy: from src on, the output repeats with period `offset`. Everything written
    // so far since src is therefore a valid source for what follows, and it never overlaps the
    // destination of the next chunk, so each chunk can double in size.
    std::size_t done = 0;
    while (done < length) {
        const std::size_t chunk = std::min(length - done, offset + done);
        std::memcpy(dst + done, src, chunk);
        done += chunk;
    }
}

} // namespace

std::string Decompress(std::string_view stored, std::size_t wanted)
{
    std::string result;
    result.resize(Decompress(stored, wanted, result).size());
    return result;
}

std::string_view Decompress(std::string_view stored, std::size_t wanted, std::string& buffer)
{
    if (stored.size() < kHeaderSize)
        return {};
    const auto* const in = reinterpret_cast<const unsigned char*>(stored.data());
    const std::size_t inSize = stored.size();
    // The stored size (bytes 0-3) is not trusted: the input length is what bounds the reads.
    const std::size_t declared =
        (std::size_t{in[6]} << 16) | (std::size_t{in[7]} << 8) | std::size_t{in[8]};
    const std::size_t capacity = std::min(declared, (inSize - kHeaderSize) * kMaxExpansion);

    // Every check below is made against `capacity`, so the commands run exactly as in a whole
    // decoding; decoding only stops earlier, at the first command that ends at or past
    // `wanted`. The buffer holds what that command can add beyond the mark.
    const std::size_t room = wanted >= capacity ? capacity : std::min(capacity, wanted + kMaxCommandOutput);
    // Only bytes already written are ever copied from, so the buffer need not be cleared; it
    // only grows, and a kept buffer is filled once.
    if (buffer.size() < room)
        buffer.resize(room);
    char* const out = buffer.data();
    std::size_t ip = kHeaderSize; // next input byte
    std::size_t op = 0;           // bytes produced

    while (ip < inSize && op < capacity && op < wanted) {
        // At the start of every command the output is below its capacity and below the mark,
        // and the buffer holds all that the command may write: it is the whole capacity, or
        // a whole command's worth past op.
        CLASHWICK_ASSERT(op < capacity && op < wanted);
        CLASHWICK_ASSERT(room == capacity || room - op >= kMaxCommandOutput);
        const std::size_t avail = inSize - ip; // >= 1 here
        const unsigned b0 = in[ip];
        std::size_t commandBytes = 1;
        std::size_t literals = 0;
        std::size_t length = 0;
        std::size_t offset = 0;
        bool last = false;

        if (b0 < 0x80) {
            if (avail < 2)
                break;
            const unsigned b1 = in[ip + 1];
            commandBytes = 2;
            literals = b0 & 3u;
            length = ((b0 >> 2) & 7u) + 3;
            offset = (std::size_t{b0 & 0x60u} << 3) + b1 + 1;
        } else if (b0 < 0xC0) {
            if (avail < 3)
                break;
            const unsigned b1 = in[ip + 1];
            const unsigned b2 = in[ip + 2];
            commandBytes = 3;
            literals = b1 >> 6;
            length = (b0 & 0x3Fu) + 4;
            offset = (std::size_t{b1 & 0x3Fu} << 8) + b2 + 1;
        } else if (b0 < 0xE0) {
            if (avail < 4)
                break;
            const unsigned b1 = in[ip + 1];
            const unsigned b2 = in[ip + 2];
            const unsigned b3 = in[ip + 3];
            commandBytes = 4;
            literals = b0 & 3u;
            length = (std::size_t{b0 & 0x0Cu} << 6) + b3 + 5;
            offset = (std::size_t{b0 & 0x10u} << 12) + (std::size_t{b1} << 8) + b2 + 1;
        } else if (b0 < 0xFC) {
            literals = ((b0 & 0x1Fu) << 2) + 4;
        } else {
            literals = b0 & 3u;
            last = true;
        }

        // The whole command is checked before any of it runs. avail >= commandBytes is proven
        // above, so this subtraction cannot wrap: the literals must lie inside the input.
        if (avail - commandBytes < literals)
            break;
        // Literals plus copy must fit what is left of the output (op <= capacity, no wrap).
        if (capacity - op < literals + length)
            break;
        // The copy starts `offset` bytes before the end of the output as it stands after the
        // literals; it must not start before the first output byte. Literal-only commands have
        // offset 0 and always pass.
        if (offset > op + literals)
            break;

        // Most commands move a few bytes. Fixed-size moves of 4 literals or a 16-byte copy are
        // plain loads and stores instead of library calls; they are used only where the input
        // and output have room for the whole fixed size, and the bytes they write beyond this
        // command's share are overwritten by the next commands or cut off at the end.
        const unsigned char* const literalBytes = in + ip + commandBytes;
        if (literals <= 4 && avail - commandBytes >= 4 && capacity - op >= 4)
            std::memcpy(out + op, literalBytes, 4);
        else
            std::memcpy(out + op, literalBytes, literals);
        ip += commandBytes + literals;
        op += literals;
        CLASHWICK_ASSERT(ip <= inSize && op <= capacity);
        if (length != 0) {
            // offset >= 16: the 16 source bytes end at or before out + op, so they are all
            // output already and do not overlap the destination.
            if (length <= 16 && offset >= 16 && capacity - op >= 16)
                std::memcpy(out + op, out + op - offset, 16);
            else
                msCopyBack(out + op, offset, length);
            op += length;
            CLASHWICK_ASSERT(op <= capacity);
        }
        if (last)
            break;
    }

    CLASHWICK_ASSERT(ip <= inSize && op <= capacity && op <= room);
    return {out, std::min(op, wanted)};
}

