#pragma once
// RefPack encoder: writes compressed resources for the package writer, the sample game and tests.

#include <cstdint>
#include <string>
#include <string_view>

// Compresses raw bytes into the stored form Decompress reads: the total stored length
// (4 bytes, little-endian), 10 FB, the raw size (3 bytes, big-endian), then the commands.
// Throws std::invalid_argument when raw is longer than 16 MiB - 1 bytes, the largest size the
// 24-bit field can declare.
std::string gfstrRefPackCompress(std::string_view raw);

// Prepends the 9-byte header to commands written by hand (tests build damaged streams with it).
// Throws std::invalid_argument when declaredSize does not fit in 24 bits.
std::string gfstrRefPackWrap(std::uint32_t declaredSize, std::string_view commands);
