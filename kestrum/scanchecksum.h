#pragma once
// The checksum stored with every scan of a Vesk file: zlib's CRC-32 over the scan's values and
// its two point arrays exactly as stored. A flipped bit in a scan's points, time or precursor
// would otherwise decode to other plausible numbers and change a peak list without a word; with
// the checksum the reader reports the scan as damaged. docs/vesk-format.md gives the byte layout.

#include <cstdint>
#include <optional>
#include <span>

namespace kestrum {

// The values of one row of the scan table besides its id, its arrays and the checksum itself.
struct StoredScanValues {
    int sample = 1;
    int period = 0;
    int experiment = 0;
    int cycle = 0;
    double retentionTime = 0;
    std::optional<double> precursorMz;
    int precursorCharge = 0;
    bool centroided = false;
    std::int64_t pointCount = 0;
    double totalIonCurrent = 0;
};

std::uint32_t scanChecksum(const StoredScanValues& values, std::span<const unsigned char> mzArray,
                           std::span<const unsigned char> intensityArray);

} // namespace kestrum
