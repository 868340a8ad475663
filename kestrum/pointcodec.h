#pragma once
// How a scan's m/z and intensity arrays are stored in a Vesk file: each array as float64 whose
// bytes are regrouped by significance (all first bytes, then all second bytes, ...) and
// zlib-compressed. The m/z array is first replaced by the differences of consecutive values' bit
// patterns, which are small for ascending m/z; both steps are exact, so decoding gives back the
// very doubles that were written.

#include <QByteArray>
#include <span>
#include <vector>

namespace kestrum {

QByteArray encodeMzArray(std::span<const double> mz);
QByteArray encodeIntensityArray(std::span<const double> intensity);

// Decode into exactly `count` values; nothing when the data is not a valid array of that many
// values (a damaged file), so the caller can say where.
bool decodeMzArray(std::span<const unsigned char> data, std::size_t count, std::vector<double>& mz);
bool decodeIntensityArray(std::span<const unsigned char> data, std::size_t count,
                          std::vector<double>& intensity);

} // namespace kestrum
