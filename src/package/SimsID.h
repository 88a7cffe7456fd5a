#pragma once
// A resource identifier (type, group, instance or resource ID) held as its 4 bytes in file order,
// least significant first, and compared by exact byte equality; never turned into a number.
// An identifier may also be the empty text, which equals no identifier read from a file.

#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

class SimsID {
public:
    SimsID() = default;

    // The identifier of exactly 4 bytes; any other length gives the empty identifier.
    static SimsID FromBytes(std::string_view bytes)
    {
        SimsID id;
        if (bytes.size() == 4) {
            std::memcpy(id.bytes_.data(), bytes.data(), 4);
            id.size_ = 4;
        }
        return id;
    }

    // Four zero bytes: what an index entry holds where the file has no resource ID.
    static SimsID Zero() { return FromBytes(std::string_view("\0\0\0\0", 4)); }

    std::string_view Bytes() const { return {bytes_.data(), size_}; }
    bool Empty() const { return size_ == 0; }

    // The 32-bit value the bytes stand for, for hashing and ordering only.
    std::uint32_t Key() const
    {
        std::uint32_t value = 0;
        for (std::size_t i = size_; i-- > 0;)
            value = (value << 8) | static_cast<unsigned char>(bytes_[i]);
        return value;
    }

    friend bool operator==(const SimsID& a, const SimsID& b)
    {
        // A fixed-size compare the compiler turns into one 32-bit comparison; comparing the
        // arrays called the library's memcmp for every index entry the hack-code test reads.
        return a.size_ == b.size_ && std::memcmp(a.bytes_.data(), b.bytes_.data(), 4) == 0;
    }

private:
    std::array<char, 4> bytes_{};
    std::uint8_t size_ = 0;
};
