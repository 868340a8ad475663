#pragma once
// The checksum of a Vesk file's layout: its samples, periods, experiments and cycles. One row too
// many or a changed scan type or start time would otherwise give a believable but wrong export
// (an extra period turns a data-dependent run into a fixed-precursor one); with the checksum the
// reader reports the layout as damaged. docs/vesk-format.md gives the byte layout.

#include <cstdint>

namespace kestrum {

class SqliteDatabase;

// Over the rows of the tables sample, period, experiment and cycle in key order. The values must
// have their stored types (the reader checks them before).
std::uint32_t layoutChecksum(SqliteDatabase& db);

} // namespace kestrum
