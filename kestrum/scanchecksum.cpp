#include "kestrum/scanchecksum.h"

#include "kestrum/checksumbuilder.h"

namespace kestrum {

std::uint32_t scanChecksum(const StoredScanValues& values, std::span<const unsigned char> mzArray,
                           std::span<const unsigned char> intensityArray) {
    ChecksumBuilder checksum;
    checksum.add(std::int64_t{values.sample});
    checksum.add(std::int64_t{values.period});
    checksum.add(std::int64_t{values.experiment});
    checksum.add(std::int64_t{values.cycle});
    checksum.add(values.retentionTime);
    checksum.add(values.precursorMz.value_or(0.0));
    checksum.add(std::int64_t{values.precursorCharge});
    checksum.add(std::int64_t{values.centroided ? 1 : 0});
    checksum.add(values.pointCount);
    checksum.add(values.totalIonCurrent);
    checksum.add(mzArray);
    checksum.add(intensityArray);
    return checksum.value();
}

} // namespace kestrum
