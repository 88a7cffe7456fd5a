#pragma once
// The one reader of untrusted package bytes: it knows the end of its buffer and checks every
// read against it. A read past the end raises 62 "Input past end of file" and a seek to a
// negative position 63 "Bad record number", both as damaged content.

#include "errors/Assert.h"
#include "errors/Failure.h"
#include "package/SimsID.h"

#include <cstdint>
#include <string_view>

class ByteReader {
public:
    explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

    std::uint64_t Position() const { return position_; }
    std::uint64_t Remaining() const { return position_ < bytes_.size() ? bytes_.size() - position_ : 0; }

    // Moves to an absolute offset; beyond the end is allowed, the next read then fails.
    void Seek(std::int64_t offset)
    {
        if (offset < 0)
            gsRaiseDamaged(errBadRecord);
        position_ = static_cast<std::uint64_t>(offset);
    }

    // The next count bytes, or 62 when fewer remain (nothing is consumed then).
    std::string_view Bytes(std::uint64_t count)
    {
        if (count > Remaining())
            gsRaiseDamaged(errPastEnd);
        if (count == 0)
            return {};
        CLASHWICK_ASSERT(position_ < bytes_.size() && count <= bytes_.size() - position_);
        const std::string_view piece = bytes_.substr(static_cast<std::size_t>(position_), static_cast<std::size_t>(count));
        position_ += count;
        return piece;
    }

    // A signed 32-bit little-endian number.
    std::int32_t Int32()
    {
        const std::string_view b = Bytes(4);
        const std::uint32_t value = static_cast<std::uint32_t>(static_cast<unsigned char>(b[0])) |
                                    static_cast<std::uint32_t>(static_cast<unsigned char>(b[1])) << 8 |
                                    static_cast<std::uint32_t>(static_cast<unsigned char>(b[2])) << 16 |
                                    static_cast<std::uint32_t>(static_cast<unsigned char>(b[3])) << 24;
        return static_cast<std::int32_t>(value);
    }

    SimsID Id() { return SimsID::FromBytes(Bytes(4)); }

private:
    std::string_view bytes_;
    std::uint64_t position_ = 0;
};
