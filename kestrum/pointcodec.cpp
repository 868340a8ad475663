#include "kestrum/pointcodec.h"

#include <zlib.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

namespace kestrum {

namespace {

constexpr std::size_t valueBytes = sizeof(double);

QByteArray compress(const std::vector<unsigned char>& bytes) {
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
    // Level 6 is zlib's default trade-off; decoding speed does not depend on the level.
    ::compress2(reinterpret_cast<Bytef*>(out.data()), &size, bytes.data(), static_cast<uLong>(bytes.size()),
                6);
    out.truncate(static_cast<qsizetype>(size));
    return out;
}

// Inflates to exactly `size` bytes; a stream that is longer, shorter or broken is refused, so a
// hostile blob cannot make the reader allocate more than the scan's point count allows.
bool inflateExactly(std::span<const unsigned char> data, std::size_t size, std::vector<unsigned char>& out) {
    if (data.size() > std::numeric_limits<uInt>::max() || size >= std::numeric_limits<uInt>::max())
        return false;
    // Deflate cannot expand data more than about 1032 times; refusing beyond that keeps a damaged
    // point count from making the reader allocate memory the blob could never fill.
    if (size > data.size() * 1032 + 64)
        return false;
    // One spare byte tells a stream that is too long from one that fits exactly.
    out.resize(size + 1);
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(size + 1);
    const bool complete =
        inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.total_out == size && stream.avail_in == 0;
    inflateEnd(&stream);
    out.resize(size);
    return complete;
}

std::vector<unsigned char> shuffle(const std::vector<std::uint64_t>& words) {
    const std::size_t count = words.size();
    std::vector<unsigned char> bytes(count * valueBytes);
    for (std::size_t i = 0; i < count; ++i)
        for (std::size_t b = 0; b < valueBytes; ++b)
            bytes[b * count + i] = static_cast<unsigned char>(words[i] >> (8 * b));
    return bytes;
}

std::vector<std::uint64_t> unshuffle(const std::vector<unsigned char>& bytes, std::size_t count) {
    std::vector<std::uint64_t> words(count, 0);
    for (std::size_t b = 0; b < valueBytes; ++b) {
        const unsigned char* plane = bytes.data() + b * count;
        for (std::size_t i = 0; i < count; ++i)
            words[i] |= static_cast<std::uint64_t>(plane[i]) << (8 * b);
    }
    return words;
}

std::vector<std::uint64_t> bitPatterns(std::span<const double> values) {
    std::vector<std::uint64_t> words(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        words[i] = std::bit_cast<std::uint64_t>(values[i]);
    return words;
}

void toDoubles(const std::vector<std::uint64_t>& words, std::vector<double>& values) {
    values.resize(words.size());
    for (std::size_t i = 0; i < words.size(); ++i)
        values[i] = std::bit_cast<double>(words[i]);
}

} // namespace

QByteArray encodeMzArray(std::span<const double> mz) {
    std::vector<std::uint64_t> words = bitPatterns(mz);
    // Differences wrap around modulo 2^64, so any sequence decodes exactly.
    for (std::size_t i = words.size(); i-- > 1;)
        words[i] -= words[i - 1];
    return compress(shuffle(words));
}

QByteArray encodeIntensityArray(std::span<const double> intensity) {
    return compress(shuffle(bitPatterns(intensity)));
}

bool decodeMzArray(std::span<const unsigned char> data, std::size_t count, std::vector<double>& mz) {
    std::vector<unsigned char> bytes;
    if (!inflateExactly(data, count * valueBytes, bytes))
        return false;
    std::vector<std::uint64_t> words = unshuffle(bytes, count);
    for (std::size_t i = 1; i < words.size(); ++i)
        words[i] += words[i - 1];
    toDoubles(words, mz);
    return true;
}

bool decodeIntensityArray(std::span<const unsigned char> data, std::size_t count,
                          std::vector<double>& intensity) {
    std::vector<unsigned char> bytes;
    if (!inflateExactly(data, count * valueBytes, bytes))
        return false;
    toDoubles(unshuffle(bytes, count), intensity);
    return true;
}

} // namespace kestrum
