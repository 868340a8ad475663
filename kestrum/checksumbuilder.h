#pragma once
// zlib's CRC-32 (initial value 0) built up value by value, as the checksums of a Vesk file are:
// numbers as 8 bytes little-endian whatever the machine (integers as 64-bit two's complement,
// reals as their float64 bit pattern with -0 as 0, since SQLite stores them alike), byte arrays as
// they are. Internal to Kestrum.

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <span>

namespace kestrum {

class ChecksumBuilder {
public:
    void add(std::int64_t value) { addWord(static_cast<std::uint64_t>(value)); }
    // Adding 0 turns -0 into 0 and changes nothing else.
    void add(double value) { addWord(std::bit_cast<std::uint64_t>(value + 0.0)); }
    void add(std::span<const unsigned char> bytes) {
        // zlib's length is 32-bit on some platforms; a scan's arrays are far smaller, but stay exact.
        while (!bytes.empty()) {
            const std::size_t chunk = std::min<std::size_t>(bytes.size(), std::numeric_limits<uInt>::max());
            m_crc = crc32(m_crc, bytes.data(), static_cast<uInt>(chunk));
            bytes = bytes.subspan(chunk);
        }
    }
    std::uint32_t value() const { return static_cast<std::uint32_t>(m_crc); }

private:
    void addWord(std::uint64_t word) {
        std::array<unsigned char, 8> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<unsigned char>(word >> (8 * i));
        add(bytes);
    }

    uLong m_crc = crc32(0, Z_NULL, 0);
};

} // namespace kestrum
