#include "compressedarraycheck.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>

#include <array>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>
#include <zlib.h>

namespace kestrum {

namespace {

constexpr qint64 chunkSize = 1 << 16;
// A start tag longer than this is not looked into further.
constexpr qsizetype tagLimit = 1 << 16;
// The most bytes a point can take in one array: an mzXML peaks array holds m/z and intensity as
// 64-bit values; the slack covers the headers of numerically compressed arrays.
constexpr std::uint64_t bytesPerPoint = 16;
constexpr std::uint64_t slack = 64;

// The value of each base64 digit; -1 for anything else (line breaks, padding).
constexpr std::array<signed char, 256> base64Values = [] {
    std::array<signed char, 256> values{};
    values.fill(-1);
    const char digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(digits[i])] = static_cast<signed char>(i);
    return values;
}();

// One array's text: base64 decoded as it comes, and inflated into a buffer that is thrown away
// when it starts as a zlib stream, counting the bytes it inflates to.
class ArrayInflation {
public:
    explicit ArrayInflation(std::uint64_t limit) : m_limit(limit) { m_pending.reserve(pendingLimit + 3); }
    ~ArrayInflation() {
        if (m_inflating)
            inflateEnd(&m_stream);
    }
    ArrayInflation(const ArrayInflation&) = delete;
    ArrayInflation& operator=(const ArrayInflation&) = delete;

    // Takes the next piece of the text; false once the array has inflated past the limit.
    bool add(QByteArrayView text) {
        for (const char c : text) {
            if (m_finished)
                return true;
            const int value = base64Values[static_cast<unsigned char>(c)];
            if (value < 0)
                continue;
            m_group = (m_group << 6) | static_cast<std::uint32_t>(value);
            if (++m_sextets < 4)
                continue;
            for (int shift = 16; shift >= 0; shift -= 8)
                m_pending.push_back(static_cast<unsigned char>(m_group >> shift));
            m_group = 0;
            m_sextets = 0;
            if ((m_pending.size() >= pendingLimit || !m_inflating) && !inflatePending())
                return false;
        }
        return true;
    }

    // The rest of the text; false when the array has inflated past the limit.
    bool finish() { return inflatePending(); }

private:
    static constexpr std::size_t pendingLimit = 1 << 16;

    bool inflatePending() {
        if (m_pending.empty() || m_finished)
            return true;
        if (!m_inflating) {
            // A zlib stream starts with a method of 8 (deflate) and a header that is a multiple of
            // 31; anything else is not inflated, and is done with at its first bytes.
            const bool zlib = m_pending.size() >= 2 && (m_pending[0] & 0x0f) == 8 &&
                              ((m_pending[0] << 8) | m_pending[1]) % 31 == 0;
            if (!zlib || inflateInit(&m_stream) != Z_OK) {
                m_finished = true;
                return true;
            }
            m_inflating = true;
        }
        m_stream.next_in = m_pending.data();
        m_stream.avail_in = static_cast<uInt>(m_pending.size());
        while (m_stream.avail_in > 0) {
            m_stream.next_out = m_scratch.data();
            m_stream.avail_out = static_cast<uInt>(m_scratch.size());
            const int result = inflate(&m_stream, Z_NO_FLUSH);
            if (m_stream.total_out > m_limit)
                return false;
            if (result != Z_OK) {
                m_finished = true; // the end of the stream, or damage that the reader library reports
                break;
            }
        }
        m_pending.clear();
        return true;
    }

    std::uint64_t m_limit;
    std::uint32_t m_group = 0;
    int m_sextets = 0;
    std::vector<unsigned char> m_pending;
    std::array<unsigned char, 1 << 16> m_scratch{};
    z_stream m_stream{};
    bool m_inflating = false;
    bool m_finished = false;
};

// The points a spectrum's start tag declares.
std::optional<std::uint64_t> declaredPoints(const QByteArray& startTag) {
    static const QRegularExpression declared(
        QStringLiteral("\\b(?:defaultArrayLength|peaksCount)\\s*=\\s*[\"'](\\d{1,15})[\"']"));
    const auto match = declared.match(QString::fromLatin1(startTag));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toULongLong();
}

// The element name of a tag: "spectrum" for <spectrum index="0" ...>, "/peaks" for </peaks>.
QByteArray nameOf(const QByteArray& tag) {
    const bool endTag = tag.startsWith("</");
    const qsizetype begin = endTag ? 2 : 1;
    qsizetype end = begin;
    while (end < tag.size() && tag[end] != '>' && tag[end] != '/' &&
           !std::isspace(static_cast<unsigned char>(tag[end])))
        ++end;
    return (endTag ? QByteArray("/") : QByteArray()) + tag.mid(begin, end - begin);
}

bool isArrayStart(const QByteArray& name) {
    return name == "binary" || name == "peaks";
}

// Where the spectrum that began with `first` ends: an mzML spectrum at its end tag, an mzXML scan
// after its own peaks, which come before any scan nested in it.
bool endsSpectrum(const QByteArray& first, const QByteArray& name) {
    if (first == "spectrum")
        return name == "/spectrum";
    return name == "/peaks" || name == "/scan" || name == "scan";
}

} // namespace

QString compressedArrayProblem(const QString& path, qint64 position) {
    QFile file(path);
    if (position < 0 || !file.open(QIODevice::ReadOnly) || !file.seek(position))
        return {};
    std::optional<std::uint64_t> declared;
    QByteArray first; // the name of the spectrum's element
    std::optional<ArrayInflation> array;
    QByteArray tag;
    bool inTag = false;
    const auto overlong = [&declared] {
        return QStringLiteral("a compressed array inflates past the %1 %2 the spectrum declares")
            .arg(*declared)
            .arg(*declared == 1 ? QStringLiteral("point") : QStringLiteral("points"));
    };
    for (QByteArray chunk = file.read(chunkSize); !chunk.isEmpty(); chunk = file.read(chunkSize)) {
        const char* at = chunk.constData();
        const char* const end = at + chunk.size();
        while (at < end) {
            if (!inTag) {
                const auto* open =
                    static_cast<const char*>(std::memchr(at, '<', static_cast<std::size_t>(end - at)));
                if (array && !array->add(QByteArrayView(at, open ? open : end)))
                    return overlong();
                if (!open)
                    break;
                if (array && !array->finish())
                    return overlong();
                array.reset();
                inTag = true;
                tag = "<";
                at = open + 1;
                continue;
            }
            const auto* close =
                static_cast<const char*>(std::memchr(at, '>', static_cast<std::size_t>(end - at)));
            const char* tagEnd = close ? close + 1 : end;
            tag.append(at, std::min<qsizetype>(tagEnd - at, std::max<qsizetype>(0, tagLimit - tag.size())));
            at = tagEnd;
            if (!close)
                break;
            inTag = false;
            const QByteArray name = nameOf(tag);
            if (!declared) {
                first = name;
                declared = first == "spectrum" || first == "scan" ? declaredPoints(tag) : std::nullopt;
                if (!declared)
                    return {};
            } else if (endsSpectrum(first, name)) {
                return {};
            } else if (isArrayStart(name)) {
                array.emplace(*declared * bytesPerPoint + slack);
            }
        }
    }
    return {};
}

} // namespace kestrum
