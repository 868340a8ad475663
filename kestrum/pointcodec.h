#pragma once
// How a scan's m/z and intensity arrays are stored in a Vesk file. Each array is a sequence of
// float64 values whose bytes are regrouped by significance into eight planes (all lowest bytes,
// then all second bytes, ...). The m/z array is first replaced by the differences of consecutive
// values' bit patterns, which are small for ascending m/z. Each plane is then stored as one byte
// repeated, zlib-compressed, or as it is when compression would not pay; random low-order bytes
// gain nothing from compression and would only slow reading down. Every step is exact, so
// decoding gives back the very doubles that were written.

#include <QByteArray>
#include <span>
#include <vector>

namespace kestrum {

QByteArray encodeMzArray(std::span<const double> mz);
QByteArray encodeIntensityArray(std::span<const double> intensity);

// Decode into exactly `count` values; false when the data is not a valid array of that many
// values (a damaged file), so the caller can say where.
bool decodeMzArray(std::span<const unsigned char> data, std::size_t count, std::vector<double>& mz);
bool decodeIntensityArray(std::span<const unsigned char> data, std::size_t count,
                          std::vector<double>& intensity);

} // namespace kestrum
