#include "package/Decompress.h"
#include "support/RefPackEncoder.h"

#include <cstdint>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string out;
    for (int v : values)
        out.push_back(static_cast<char>(v));
    return out;
}

// Literal runs holding text, whose length is a multiple of 4.
std::string Literals(const std::string& text)
{
    std::string out;
    for (std::size_t at = 0; at < text.size(); at += 112) {
        const std::size_t run = std::min<std::size_t>(112, text.size() - at);
        out += static_cast<char>(0xE0 + (run - 4) / 4) + text.substr(at, run);
    }
    return out;
}

std::string Random(std::size_t size, std::uint32_t seed, unsigned alphabet = 256)
{
    std::mt19937 rng(seed);
    std::string out(size, '\0');
    for (char& c : out)
        c = static_cast<char>(rng() % alphabet);
    return out;
}

std::string Repeat(const std::string& unit, std::size_t size)
{
    std::string out;
    while (out.size() < size)
        out += unit;
    return out.substr(0, size);
}

std::string Text(std::size_t size)
{
    static const char* const words[] = {"hack ", "package ", "the ", "folder ", "resource ", "conflict\n", "of ", "index "};
    std::mt19937 rng(7);
    std::string out;
    while (out.size() < size)
        out += words[rng() % 8];
    return out.substr(0, size);
}

// Decodes from a buffer exactly as long as the input, so that a sanitizer build sees any read
// past its end (a std::string would hide a one-byte over-read behind its terminator).
std::string Decode(std::string_view stored, std::size_t wanted = std::string_view::npos)
{
    const std::vector<char> exact(stored.begin(), stored.end());
    return Decompress(std::string_view(exact.data(), exact.size()), wanted);
}

TEST(Decompress, HandMadeVectors)
{
    struct Vector {
        const char* name;
        std::string stored;
        std::string expected;
    };
    const std::string abcd = "abcd";
    const std::string k1024 = Random(1024, 1);
    const std::string k16384 = Random(16384, 2);
    const std::string k131072 = Random(131072, 3);
    const Vector vectors[] = {
        // Each command kind, with its largest length and offset.
        {"literal run, shortest", gfstrRefPackWrap(4, Bytes({0xE0}) + abcd), abcd},
        {"literal run, longest", gfstrRefPackWrap(112, Bytes({0xFB}) + k1024.substr(0, 112)), k1024.substr(0, 112)},
        {"end with 3 literals", gfstrRefPackWrap(20, Literals(abcd) + Bytes({0xFF}) + "xyz" + Bytes({0xE0}) + "more"), "abcdxyz"},
        {"2-byte, literals then copy", gfstrRefPackWrap(6, Bytes({0x03, 0x02}) + "abc"), "abcabc"},
        {"2-byte, longest and farthest", gfstrRefPackWrap(1034, Literals(k1024) + Bytes({0x7C, 0xFF})), k1024 + k1024.substr(0, 10)},
        {"3-byte, longest and farthest", gfstrRefPackWrap(16451, Literals(k16384) + Bytes({0xBF, 0x3F, 0xFF})), k16384 + k16384.substr(0, 67)},
        {"3-byte with 3 literals", gfstrRefPackWrap(11, Literals(abcd) + Bytes({0x80, 0xC0, 0x06}) + "xyz"), "abcdxyzabcd"},
        {"4-byte, longest and farthest", gfstrRefPackWrap(132100, Literals(k131072) + Bytes({0xDC, 0xFF, 0xFF, 0xFF})), k131072 + k131072.substr(0, 1028)},
        {"4-byte with 2 literals", gfstrRefPackWrap(11, Literals(abcd) + Bytes({0xC2, 0x00, 0x05, 0x00}) + "xy"), "abcdxyabcdx"},
        // Overlapping copies repeat the bytes just written.
        {"offset 1 runs the last byte", gfstrRefPackWrap(11, Bytes({0x1D, 0x00}) + "a"), std::string(11, 'a')},
        {"offset 2, odd length", gfstrRefPackWrap(11, Bytes({0x1A, 0x01}) + "ab"), "abababababa"},
        {"offset 15, length 16", gfstrRefPackWrap(31, Literals(k1024.substr(0, 12)) + Bytes({0x8C, 0xC0, 0x0E}) + "abc"), k1024.substr(0, 12) + "abc" + k1024.substr(0, 12) + "abc" + k1024.substr(0, 1)},
        {"offset 3, long", gfstrRefPackWrap(103, Bytes({0xC3, 0x00, 0x02, 95}) + "xyz"), Repeat("xyz", 103)},
        // Stopping rules: the offending command runs not at all, not even its literals.
        {"short header", std::string("\x09\0\0\0\x10\xFB\0\0", 8), ""},
        {"declared size 0", gfstrRefPackWrap(0, Bytes({0xFC})), ""},
        {"offset before output start", gfstrRefPackWrap(20, Literals(abcd) + Bytes({0x02, 0x06}) + "xy"), abcd},
        {"offset reaches output start", gfstrRefPackWrap(20, Literals(abcd) + Bytes({0x02, 0x05}) + "xy" + Bytes({0xFC})), "abcdxyabc"},
        {"literals past input", gfstrRefPackWrap(20, Literals(abcd) + Bytes({0xE0}) + "xyz"), abcd},
        {"end literals past input", gfstrRefPackWrap(20, Literals(abcd) + Bytes({0xFE}) + "x"), abcd},
        {"copy past declared size", gfstrRefPackWrap(6, Literals(abcd) + Bytes({0x00, 0x03})), abcd},
        {"literals past declared size", gfstrRefPackWrap(6, Literals(abcd) + Bytes({0xFF}) + "xyz"), abcd},
        {"declared size reached ends", gfstrRefPackWrap(7, Literals(abcd) + Bytes({0x00, 0x03, 0xE0}) + "more"), "abcdabc"},
        {"input ends without end command", gfstrRefPackWrap(20, Literals(abcd)), abcd},
        {"truncated 2-byte command", gfstrRefPackWrap(20, Literals(abcd) + Bytes({0x00})), abcd},
        {"truncated 3-byte command", gfstrRefPackWrap(20, Literals(abcd) + Bytes({0x80, 0x00})), abcd},
        {"truncated 4-byte command", gfstrRefPackWrap(20, Literals(abcd) + Bytes({0xC0, 0x00, 0x00})), abcd},
    };
    for (const Vector& v : vectors)
        EXPECT_EQ(Decode(v.stored), v.expected) << v.name;
}

TEST(RefPack, RoundTripsAndSizeLimit)
{
    const std::string window = Random(131072, 11);
    struct Case {
        const char* name;
        std::string raw;
    } cases[] = {
        {"empty", ""},
        {"one byte", "x"},
        {"three bytes", "abc"},
        {"zeros", std::string(300000, '\0')},
        {"random", Random(100000, 12)},
        {"small alphabet", Random(200000, 13, 4)},
        {"text", Text(2'000'000)},
        {"pattern", Repeat("0123456789abcdefghij-pattern-", 70000)},
        // Repeats at exactly the farthest reachable offset, and one byte beyond it.
        {"repeat at window", window + window.substr(0, 5000)},
        {"repeat past window", window + "!" + window.substr(0, 5000)},
        {"largest size", std::string(0xFFFFFF, 'z')},
    };
    for (const Case& c : cases) {
        const std::string stored = gfstrRefPackCompress(c.raw);
        EXPECT_EQ(Decompress(stored), c.raw) << c.name;
    }
    // Repeats on each side of the farthest offsets of the 2-byte and 3-byte commands.
    for (std::size_t distance : {1024u, 1025u, 16384u, 16385u}) {
        for (std::size_t length : {10u, 60u}) {
            const std::string raw = window.substr(0, distance) + window.substr(0, length);
            EXPECT_EQ(Decompress(gfstrRefPackCompress(raw)), raw) << distance << " " << length;
        }
    }
    // The window's far edge is really used: the repeat at 131072 costs a few bytes, not 5000.
    EXPECT_LT(gfstrRefPackCompress(cases[8].raw).size(), gfstrRefPackCompress(cases[9].raw).size() - 4000);
    // The header: stored length little-endian, signature, declared size big-endian (24 bits, so
    // larger sizes are refused).
    EXPECT_EQ(gfstrRefPackWrap(0x123456, "ab"), std::string("\x0B\0\0\0\x10\xFB\x12\x34\x56" "ab", 11));
    EXPECT_THROW(gfstrRefPackCompress(std::string(0x1000000, 'z')), std::invalid_argument);
    EXPECT_THROW(gfstrRefPackWrap(0x1000000, ""), std::invalid_argument);
}

TEST(RefPack, EncoderUsesEveryCommandKind)
{
    // Near short repeats, middle-distance repeats, far repeats and stretches of noise.
    const std::string noise = Random(40000, 21);
    std::string raw = Text(3000) + noise + noise.substr(36000, 60) + noise.substr(1000, 900) + "end";
    const std::string stored = gfstrRefPackCompress(raw);
    std::set<int> kinds;
    for (std::size_t at = 9; at < stored.size();) {
        const auto b0 = static_cast<unsigned char>(stored[at]);
        const auto b1 = at + 1 < stored.size() ? static_cast<unsigned char>(stored[at + 1]) : 0;
        const int kind = b0 < 0x80 ? 2 : b0 < 0xC0 ? 3 : b0 < 0xE0 ? 4 : b0 < 0xFC ? 1 : 0;
        kinds.insert(kind);
        const std::size_t literals = kind == 3 ? b1 >> 6u : kind == 1 ? ((b0 & 0x1Fu) << 2) + 4 : b0 & 3u;
        at += (kind == 1 || kind == 0 ? 1 : std::size_t(kind)) + literals;
        if (kind == 0) {
            EXPECT_EQ(at, stored.size()) << "the end command comes last";
        }
    }
    EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Decompress(stored), raw);
}

TEST(Decompress, DamagedInputGivesShortResults)
{
    const std::string samples[] = {Text(3000), Random(500, 31) + std::string(2000, 'q'), Random(2000, 32, 3)};
    std::mt19937 rng(33);
    for (const std::string& raw : samples) {
        const std::string stored = gfstrRefPackCompress(raw);
        // Cutting the stream anywhere keeps the whole commands before the cut.
        for (std::size_t cut = 0; cut < stored.size(); ++cut) {
            const std::string got = Decode(std::string_view(stored).substr(0, cut));
            ASSERT_EQ(got, raw.substr(0, got.size())) << "cut at " << cut;
        }
        for (int round = 0; round < 1500; ++round) {
            std::string damaged = stored;
            for (unsigned flips = rng() % 4 + 1; flips > 0; --flips)
                damaged[rng() % damaged.size()] = static_cast<char>(rng());
            const auto byte = [&](int i) { return std::size_t(static_cast<unsigned char>(damaged[i])); };
            ASSERT_LE(Decode(damaged).size(), byte(6) << 16 | byte(7) << 8 | byte(8));
        }
    }
}

// Asked for its first bytes only, the decoder gives exactly the start of the whole result: for
// marks that fall inside literal runs, inside long copies and past the end, on sound streams
// and damaged ones (whose commands stop early or are cut short by the declared size). Decoded
// into one buffer kept from stream to stream, as the scan decodes names, the bytes an earlier
// and longer result left in it never show.
TEST(Decompress, TheFirstBytesAreThoseOfTheWholeResult)
{
    std::vector<std::string> streams;
    for (const std::string& raw : {Text(3000), Random(500, 41) + std::string(3000, 'q') + Text(200), Random(2000, 42, 3)})
        streams.push_back(gfstrRefPackCompress(raw));
    streams.push_back(Bytes({0x10, 0, 0, 0, 0x10, 0xFB, 0, 0, 40}) + Literals(std::string(112, 'L')));  // declares less
    std::mt19937 rng(43);
    for (std::size_t i = 0, sound = streams.size(); i < sound; ++i) {
        for (int round = 0; round < 300; ++round) {
            std::string damaged = streams[i];
            for (unsigned flips = rng() % 4 + 1; flips > 0; --flips)
                damaged[rng() % damaged.size()] = static_cast<char>(rng());
            streams.push_back(damaged);
        }
    }
    std::string kept;
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const std::string whole = Decode(streams[i]);
        for (const std::size_t wanted : {std::size_t{0}, std::size_t{1}, std::size_t{5}, std::size_t{63},
                                         std::size_t{64}, std::size_t{65}, std::size_t{1100}, std::size_t{2999}}) {
            ASSERT_EQ(Decode(streams[i], wanted), whole.substr(0, wanted)) << "stream " << i << ", " << wanted;
            ASSERT_EQ(Decompress(streams[i], wanted, kept), whole.substr(0, wanted)) << "stream " << i << " kept, " << wanted;
            ASSERT_EQ(Decode(streams[i].substr(0, 265), wanted), Decode(streams[i].substr(0, 265)).substr(0, wanted))
                << "stream " << i << " cut, " << wanted;
        }
    }
}

} // namespace
