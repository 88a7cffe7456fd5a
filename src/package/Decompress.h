#pragma once
// Our own decoder of RefPack, the game's resource compression (signature 10 FB at bytes 4-5).

#include <string>
#include <string_view>

// Takes a whole stored resource (compression header included) and returns its uncompressed
// bytes. Never reads past the input, never writes past the declared size, never copies from
// before the start of the output: damaged input gives a short result, never a crash.
// A caller that reads only the first `wanted` bytes of the result can say so: the result is
// then those bytes exactly, and decoding stops as soon as they are made.
std::string Decompress(std::string_view stored, std::size_t wanted = std::string_view::npos);

// The same decoding into `buffer`, which a caller keeps from one resource to the next so that
// it is allocated once: the result is the view returned, at the start of the buffer. The
// buffer's size is at least the result's and what lies past the result is scratch.
std::string_view Decompress(std::string_view stored, std::size_t wanted, std::string& buffer);

