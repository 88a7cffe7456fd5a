#include "support/RefPackEncoder.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::size_t kMaxDeclared = 0xFFFFFF;  // the size field has 24 bits
constexpr std::size_t kWindow = 131072;         // farthest offset a 4-byte copy reaches
constexpr std::size_t kMinMatch = 3;            // shortest copy (2-byte command)
constexpr std::size_t kMaxMatch = 1028;         // longest copy (4-byte command)
constexpr std::size_t kMaxLiteralRun = 112;     // longest literal run (0xFB)
constexpr unsigned kHashBits = 16;
constexpr int kMaxChain = 48;                   // candidates tried per position
constexpr std::int32_t kNone = -1;

struct Match {
    std::size_t length = 0;
    std::size_t offset = 0;
    std::size_t cost = 0;  // command bytes
};

// Bytes of the shortest command that copies `length` bytes from `offset` back; 0 when no
// command can (too short for that distance). Offset and length are within window and maximum.
std::size_t msCopyCost(std::size_t offset, std::size_t length)
{
    if (offset <= 1024 && length <= 10)
        return 2;
    if (offset <= 16384 && length >= 4 && length <= 67)
        return 3;
    if (length >= 5)
        return 4;
    return 0;
}

void msPut(std::string& out, std::size_t byte) { out.push_back(static_cast<char>(byte & 0xFF)); }

// Hash chains over the last kWindow positions: head holds the newest position per hash of three
// bytes, prev links each position to the previous one with the same hash.
class MatchFinder {
public:
    explicit MatchFinder(std::string_view raw)
        : raw_(raw), head_(std::size_t{1} << kHashBits, kNone), prev_(kWindow, kNone)
    {
    }

    void Insert(std::size_t pos)
    {
        if (pos + kMinMatch > raw_.size())
            return;
        const std::size_t h = Hash(pos);
        prev_[pos % kWindow] = head_[h];
        head_[h] = static_cast<std::int32_t>(pos);
    }

    // The copy that saves the most bytes at pos (length 0 if none saves any); inserts pos.
    Match Find(std::size_t pos)
    {
        Match best;
        if (pos + kMinMatch > raw_.size())
            return best;
        const std::size_t limit = std::min(kMaxMatch, raw_.size() - pos);
        std::size_t bestGain = 0;
        std::int32_t candidate = head_[Hash(pos)];
        for (int steps = 0; candidate != kNone && steps < kMaxChain; ++steps) {
            const auto from = static_cast<std::size_t>(candidate);
            const std::size_t offset = pos - from;
            // Positions are read from prev_ only while inside the window: a slot is reused
            // kWindow positions later, so older links are stale.
            if (offset > kWindow)
                break;
            std::size_t length = 0;
            while (length < limit && raw_[from + length] == raw_[pos + length])
                ++length;
            const std::size_t cost = length >= kMinMatch ? msCopyCost(offset, length) : 0;
            if (cost != 0 && length - cost > bestGain) {
                bestGain = length - cost;
                best = {length, offset, cost};
                if (length == limit)
                    break;
            }
            candidate = prev_[from % kWindow];
        }
        Insert(pos);
        return best;
    }

private:
    std::size_t Hash(std::size_t pos) const
    {
        const auto byte = [&](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(raw_[pos + i]));
        };
        const std::uint32_t key = (byte(0) << 16) | (byte(1) << 8) | byte(2);
        return (key * 2654435761u) >> (32 - kHashBits);
    }

    std::string_view raw_;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> prev_;
};

// Writes raw[from, to) as literal runs until fewer than four bytes are left (those ride on the
// next copy or end command); returns the new start of the pending literals.
std::size_t msPutLiteralRuns(std::string& out, std::string_view raw, std::size_t from, std::size_t to)
{
    while (to - from >= 4) {
        const std::size_t run = std::min(kMaxLiteralRun, (to - from) & ~std::size_t{3});
        msPut(out, 0xE0 + (run - 4) / 4);
        out.append(raw.substr(from, run));
        from += run;
    }
    return from;
}

// A copy command carrying 0-3 leading literals.
void msPutCopy(std::string& out, std::size_t literals, const Match& match)
{
    const std::size_t offset = match.offset - 1;
    if (match.cost == 2) {
        const std::size_t length = match.length - 3;
        msPut(out, ((offset >> 8) << 5) | (length << 2) | literals);
        msPut(out, offset);
    } else if (match.cost == 3) {
        msPut(out, 0x80 | (match.length - 4));
        msPut(out, (literals << 6) | (offset >> 8));
        msPut(out, offset);
    } else {
        const std::size_t length = match.length - 5;
        msPut(out, 0xC0 | ((offset >> 16) << 4) | ((length >> 8) << 2) | literals);
        msPut(out, offset >> 8);
        msPut(out, offset);
        msPut(out, length);
    }
}

} // namespace

std::string gfstrRefPackWrap(std::uint32_t declaredSize, std::string_view commands)
{
    if (declaredSize > kMaxDeclared)
        throw std::invalid_argument("RefPack: declared size does not fit in 24 bits");
    const std::size_t total = 9 + commands.size();
    std::string out;
    out.reserve(total);
    for (int shift = 0; shift < 32; shift += 8)
        msPut(out, total >> shift);
    msPut(out, 0x10);
    msPut(out, 0xFB);
    msPut(out, declaredSize >> 16);
    msPut(out, declaredSize >> 8);
    msPut(out, declaredSize);
    out.append(commands);
    return out;
}

std::string gfstrRefPackCompress(std::string_view raw)
{
    if (raw.size() > kMaxDeclared)
        throw std::invalid_argument("RefPack: input longer than 16 MiB - 1 bytes");
    std::string commands;
    commands.reserve(raw.size() + raw.size() / kMaxLiteralRun + 8);
    MatchFinder finder(raw);

    std::size_t pending = 0;  // start of the literals not written yet
    std::size_t pos = 0;
    while (pos < raw.size()) {
        const Match match = finder.Find(pos);
        if (match.length == 0) {
            ++pos;
            continue;
        }
        pending = msPutLiteralRuns(commands, raw, pending, pos);
        msPutCopy(commands, pos - pending, match);
        commands.append(raw.substr(pending, pos - pending));
        for (std::size_t skipped = pos + 1; skipped < pos + match.length; ++skipped)
            finder.Insert(skipped);
        pos += match.length;
        pending = pos;
    }
    pending = msPutLiteralRuns(commands, raw, pending, raw.size());
    msPut(commands, 0xFC | (raw.size() - pending));
    commands.append(raw.substr(pending));

    return gfstrRefPackWrap(static_cast<std::uint32_t>(raw.size()), commands);
}
