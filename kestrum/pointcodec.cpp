#include "kestrum/pointcodec.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

namespace kestrum {

namespace {

constexpr std::size_t valueBytes = sizeof(double);

// How one byte plane is stored: a mode byte, then the plane's data.
enum PlaneMode : unsigned char {
    RawPlane = 0,        // `count` bytes as they are
    ConstantPlane = 1,   // one byte, repeated `count` times
    CompressedPlane = 2, // a 32-bit little-endian length, then a zlib stream of `count` bytes
};

// Deflate cannot expand data more than about 1032 times.
constexpr std::size_t maxExpansion = 1032;

// One deflate state per thread, reset for each plane: setting zlib's state up for every plane of
// every scan cost as much as compressing. The fastest level compresses byte planes about four
// times faster than zlib's default for files a few per cent larger, which keeps imports and
// generation ahead of writing mzML; a 16 KiB window and a small hash table suit planes of a few
// thousand bytes and keep each reset cheap. Reading does not depend on these settings.
class Deflater {
public:
    Deflater() {
        m_ready = deflateInit2(&m_stream, Z_BEST_SPEED, Z_DEFLATED, 14, 6, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater() {
        if (m_ready)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool deflatePlane(const unsigned char* plane, std::size_t count, QByteArray& out) {
        if (!m_ready || count > std::numeric_limits<uInt>::max() || deflateReset(&m_stream) != Z_OK)
            return false;
        out.resize(static_cast<qsizetype>(deflateBound(&m_stream, static_cast<uLong>(count))));
        m_stream.next_in = const_cast<Bytef*>(plane);
        m_stream.avail_in = static_cast<uInt>(count);
        m_stream.next_out = reinterpret_cast<Bytef*>(out.data());
        m_stream.avail_out = static_cast<uInt>(out.size());
        if (deflate(&m_stream, Z_FINISH) != Z_STREAM_END)
            return false;
        out.resize(static_cast<qsizetype>(m_stream.total_out));
        return true;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

// Which planes are worth deflating, learnt from the scans encoded before on this thread. Within
// one acquisition the same plane of the same array behaves alike from scan to scan: the lowest
// bytes of m/z differences and of measured intensities never compress by a quarter, and trying
// them anyway took about a third of an import's time. After a run of failures a plane is stored
// raw without trying, and tried again now and then, so that data that becomes compressible
// (another file, another range) is soon compressed again. Only the choice of mode depends on it;
// every mode decodes to the same values.
class CompressionHistory {
public:
    enum ArrayKind { MzArray, IntensityArray };

    bool worthTrying(ArrayKind kind, std::size_t plane, std::size_t count) {
        Record& record = m_records[kind][sizeClass(count)][plane];
        if (record.failuresInARow < failuresBeforeSkipping)
            return true;
        if (++record.skipped < skipsBeforeRetrying)
            return false;
        record.skipped = 0;
        return true;
    }

    void remember(ArrayKind kind, std::size_t plane, std::size_t count, bool compressed) {
        Record& record = m_records[kind][sizeClass(count)][plane];
        record.failuresInARow = compressed ? 0 : std::min(record.failuresInARow + 1, failuresBeforeSkipping);
    }

private:
    static constexpr int failuresBeforeSkipping = 4;
    static constexpr int skipsBeforeRetrying = 16;
    struct Record {
        int failuresInARow = 0;
        int skipped = 0;
    };
    // Survey and product scans of one run differ in length and in how their planes compress.
    static constexpr std::size_t sizeClasses = 24;
    static std::size_t sizeClass(std::size_t count) {
        return std::min<std::size_t>(std::bit_width(count), sizeClasses - 1);
    }
    std::array<std::array<std::array<Record, valueBytes>, sizeClasses>, 2> m_records{};
};

using ArrayKind = CompressionHistory::ArrayKind;

void appendRawPlane(QByteArray& out, const unsigned char* plane, std::size_t count) {
    out.append(static_cast<char>(RawPlane));
    out.append(reinterpret_cast<const char*>(plane), static_cast<qsizetype>(count));
}

void appendPlane(QByteArray& out, const unsigned char* plane, std::size_t count, ArrayKind kind,
                 std::size_t planeIndex) {
    if (count > 0 &&
        std::all_of(plane, plane + count, [&](unsigned char byte) { return byte == plane[0]; })) {
        out.append(static_cast<char>(ConstantPlane));
        out.append(static_cast<char>(plane[0]));
        return;
    }
    thread_local CompressionHistory history;
    if (!history.worthTrying(kind, planeIndex, count)) {
        appendRawPlane(out, plane, count);
        return;
    }
    thread_local Deflater deflater;
    QByteArray compressed;
    const bool ok = deflater.deflatePlane(plane, count, compressed);
    const std::size_t size = static_cast<std::size_t>(compressed.size());
    // Compression must save at least a quarter to be worth its decoding time.
    const bool pays = ok && size <= count - count / 4 && size <= std::numeric_limits<std::uint32_t>::max();
    history.remember(kind, planeIndex, count, pays);
    if (!pays) {
        appendRawPlane(out, plane, count);
        return;
    }
    out.append(static_cast<char>(CompressedPlane));
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((size >> shift) & 0xff));
    out.append(compressed.constData(), static_cast<qsizetype>(size));
}

QByteArray encodeWords(const std::vector<std::uint64_t>& words, ArrayKind kind) {
    const std::size_t count = words.size();
    std::vector<unsigned char> plane(count);
    QByteArray out;
    for (std::size_t b = 0; b < valueBytes; ++b) {
        for (std::size_t i = 0; i < count; ++i)
            plane[i] = static_cast<unsigned char>(words[i] >> (8 * b));
        appendPlane(out, plane.data(), count, kind, b);
    }
    return out;
}

// One inflate state per thread, reset for each plane: a scan has up to sixteen compressed planes,
// and setting up and tearing down zlib's state and window for each would cost as much as the
// inflating itself.
class Inflater {
public:
    Inflater() { m_ready = inflateInit(&m_stream) == Z_OK; }
    ~Inflater() {
        if (m_ready)
            inflateEnd(&m_stream);
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    // Inflates to exactly `count` bytes; a stream that is longer, shorter or broken is refused.
    bool inflateExactly(std::span<const unsigned char> data, std::size_t count, unsigned char* out) {
        if (!m_ready || inflateReset(&m_stream) != Z_OK)
            return false;
        unsigned char spare = 0;
        m_stream.next_in = const_cast<Bytef*>(data.data());
        m_stream.avail_in = static_cast<uInt>(data.size());
        m_stream.next_out = count > 0 ? out : &spare;
        m_stream.avail_out = static_cast<uInt>(count);
        int result = inflate(&m_stream, Z_FINISH);
        if (result == Z_BUF_ERROR && m_stream.avail_out == 0) {
            // The plane is full; the stream must end here without producing more.
            m_stream.next_out = &spare;
            m_stream.avail_out = 1;
            result = inflate(&m_stream, Z_FINISH);
            if (m_stream.avail_out == 0)
                result = Z_DATA_ERROR;
        }
        return result == Z_STREAM_END && m_stream.total_out == count && m_stream.avail_in == 0;
    }

private:
    z_stream m_stream{};
    bool m_ready = false;
};

bool inflateExactly(std::span<const unsigned char> data, std::size_t count, unsigned char* out) {
    if (data.size() > std::numeric_limits<uInt>::max() || count >= std::numeric_limits<uInt>::max())
        return false;
    thread_local Inflater inflater;
    return inflater.inflateExactly(data, count, out);
}

struct Plane {
    PlaneMode mode;
    std::span<const unsigned char> data;
};

// Splits the blob into its eight planes, checking every length before anything is allocated, so
// a damaged point count or length cannot make the reader allocate what the blob could never fill.
bool splitPlanes(std::span<const unsigned char> data, std::size_t count,
                 std::array<Plane, valueBytes>& planes) {
    std::size_t at = 0;
    for (Plane& plane : planes) {
        if (at >= data.size())
            return false;
        plane.mode = static_cast<PlaneMode>(data[at++]);
        std::size_t length = 0;
        switch (plane.mode) {
        case RawPlane:
            length = count;
            break;
        case ConstantPlane:
            length = 1;
            break;
        case CompressedPlane:
            if (data.size() - at < 4)
                return false;
            for (int shift = 0; shift < 32; shift += 8)
                length |= std::size_t{data[at++]} << shift;
            if (count > length * maxExpansion + 64)
                return false;
            break;
        default:
            return false;
        }
        if (data.size() - at < length)
            return false;
        plane.data = data.subspan(at, length);
        at += length;
    }
    return at == data.size();
}

// Bit patterns live in the caller's doubles, read and written through memcpy, which compilers
// turn into plain moves; this spares a second array and a copy per scan.
std::uint64_t wordAt(const std::vector<double>& values, std::size_t i) {
    std::uint64_t word;
    std::memcpy(&word, &values[i], sizeof word);
    return word;
}

void setWordAt(std::vector<double>& values, std::size_t i, std::uint64_t word) {
    std::memcpy(&values[i], &word, sizeof word);
}

bool decodeWords(std::span<const unsigned char> data, std::size_t count, std::vector<double>& values) {
    std::array<Plane, valueBytes> planes{};
    if (!splitPlanes(data, count, planes))
        return false;
    // Constant planes fold into one bit mask; the others are gathered, inflating where needed, so
    // that every value is then assembled in a single pass.
    std::uint64_t constantBits = 0;
    std::array<const unsigned char*, valueBytes> varying{};
    std::array<unsigned, valueBytes> shifts{};
    std::size_t varyingCount = 0;
    // Reused from call to call: growing and zero-filling a fresh buffer for every scan showed.
    thread_local std::vector<unsigned char> inflated;
    bool inflatedSized = false;
    for (std::size_t b = 0; b < valueBytes; ++b) {
        const unsigned shift = static_cast<unsigned>(8 * b);
        if (planes[b].mode == ConstantPlane) {
            constantBits |= std::uint64_t{planes[b].data[0]} << shift;
            continue;
        }
        const unsigned char* bytes = planes[b].data.data();
        if (planes[b].mode == CompressedPlane) {
            if (!inflatedSized) {
                inflated.resize(count * valueBytes);
                inflatedSized = true;
            }
            bytes = inflated.data() + b * count;
            if (!inflateExactly(planes[b].data, count, inflated.data() + b * count))
                return false;
        }
        varying[varyingCount] = bytes;
        shifts[varyingCount++] = shift;
    }
    // Plane by plane into whole words: each pass is a plain loop the compiler vectorises, where
    // assembling value by value from up to eight planes is not.
    thread_local std::vector<std::uint64_t> words;
    words.assign(count, constantBits);
    for (std::size_t p = 0; p < varyingCount; ++p) {
        const unsigned char* bytes = varying[p];
        const unsigned shift = shifts[p];
        for (std::size_t i = 0; i < count; ++i)
            words[i] |= std::uint64_t{bytes[i]} << shift;
    }
    values.resize(count);
    if (count > 0) // the data of empty vectors may be null, which memcpy must not be given
        std::memcpy(values.data(), words.data(), count * sizeof(std::uint64_t));
    return true;
}

std::vector<std::uint64_t> bitPatterns(std::span<const double> values) {
    std::vector<std::uint64_t> words(values.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        words[i] = std::bit_cast<std::uint64_t>(values[i]);
    return words;
}

} // namespace

QByteArray encodeMzArray(std::span<const double> mz) {
    std::vector<std::uint64_t> words = bitPatterns(mz);
    // Differences wrap around modulo 2^64, so any sequence decodes exactly.
    for (std::size_t i = words.size(); i-- > 1;)
        words[i] -= words[i - 1];
    return encodeWords(words, CompressionHistory::MzArray);
}

QByteArray encodeIntensityArray(std::span<const double> intensity) {
    return encodeWords(bitPatterns(intensity), CompressionHistory::IntensityArray);
}

bool decodeMzArray(std::span<const unsigned char> data, std::size_t count, std::vector<double>& mz) {
    if (!decodeWords(data, count, mz))
        return false;
    // The running sum stays in a register rather than being read back from the value just stored.
    std::uint64_t running = 0;
    for (std::size_t i = 0; i < count; ++i) {
        running += wordAt(mz, i);
        setWordAt(mz, i, running);
    }
    return true;
}

bool decodeIntensityArray(std::span<const unsigned char> data, std::size_t count,
                          std::vector<double>& intensity) {
    return decodeWords(data, count, intensity);
}

} // namespace kestrum
