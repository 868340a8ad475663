#include "kestrum/scanchecksum.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <limits>

namespace kestrum {

namespace {

// Ten values of eight bytes each, little-endian whatever the machine.
class ValueBytes {
public:
    void add(std::int64_t value) { add(static_cast<std::uint64_t>(value)); }
    // SQLite stores -0 as 0, so both count as 0 (adding 0 turns -0 into 0 and changes nothing else).
    void add(double value) { add(std::bit_cast<std::uint64_t>(value + 0.0)); }
    std::span<const unsigned char> bytes() const { return {m_bytes.data(), m_size}; }

private:
    void add(std::uint64_t word) {
        for (int shift = 0; shift < 64; shift += 8)
            m_bytes[m_size++] = static_cast<unsigned char>(word >> shift);
    }
    std::array<unsigned char, 80> m_bytes{};
    std::size_t m_size = 0;
};

std::uint32_t extend(std::uint32_t crc, std::span<const unsigned char> bytes) {
    // zlib's length is 32-bit on some platforms; a scan's arrays are far smaller, but stay exact.
    while (!bytes.empty()) {
        const std::size_t chunk = std::min<std::size_t>(bytes.size(), std::numeric_limits<uInt>::max());
        crc = static_cast<std::uint32_t>(crc32(crc, bytes.data(), static_cast<uInt>(chunk)));
        bytes = bytes.subspan(chunk);
    }
    return crc;
}

} // namespace

std::uint32_t scanChecksum(const StoredScanValues& values, std::span<const unsigned char> mzArray,
                           std::span<const unsigned char> intensityArray) {
    ValueBytes header;
    header.add(std::int64_t{values.sample});
    header.add(std::int64_t{values.period});
    header.add(std::int64_t{values.experiment});
    header.add(std::int64_t{values.cycle});
    header.add(values.retentionTime);
    header.add(values.precursorMz.value_or(0.0));
    header.add(std::int64_t{values.precursorCharge});
    header.add(std::int64_t{values.centroided ? 1 : 0});
    header.add(values.pointCount);
    header.add(values.totalIonCurrent);
    std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, Z_NULL, 0));
    crc = extend(crc, header.bytes());
    crc = extend(crc, mzArray);
    return extend(crc, intensityArray);
}

} // namespace kestrum
