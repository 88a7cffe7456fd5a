#pragma once
// What a resource holds, told apart without keeping its bytes: the length and a 128-bit hash of
// its uncompressed bytes. A resource stored compressed and one stored plain that decode to the
// same bytes have the same print. Two different contents share a print only by a chance of
// about one in 2^128 per pair, far beyond any folder of downloads.

#include <cstdint>
#include <string_view>

struct ContentPrint {
    std::uint64_t Size = 0;
    std::uint64_t Low = 0;
    std::uint64_t High = 0;
    bool operator==(const ContentPrint&) const = default;
};

// The print of a resource's bytes as stored: compressed ones are decoded first, as
// gfstrDecompressFile decodes them (a damaged stream gives the bytes it yields up to the damage).
ContentPrint gudtContentPrint(std::string_view stored);
