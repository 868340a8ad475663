#include "compressedarraycheck.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>

#include <array>
#include <cctype>
#include <cstdint>
#include <optional>
#include <zlib.h>

namespace kestrum {

namespace {

constexpr qint64 chunkSize = 1 << 20;
// A start tag longer than this is not looked into further.
constexpr qsizetype tagLimit = 1 << 16;
// The most bytes a point can take in one array: an mzXML peaks array holds m/z and intensity as
// 64-bit values; the slack covers the headers of numerically compressed arrays.
constexpr std::uint64_t bytesPerPoint = 16;
constexpr std::uint64_t slack = 64;

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

// One array's text: base64 decoded as it comes, and inflated into a buffer that is thrown away
// when it starts as a zlib stream, counting the bytes it inflates to.
class ArrayInflation {
public:
    explicit ArrayInflation(std::uint64_t limit) : m_limit(limit) {}
    ~ArrayInflation() {
        if (m_inflating)
            inflateEnd(&m_stream);
    }
    ArrayInflation(const ArrayInflation&) = delete;
    ArrayInflation& operator=(const ArrayInflation&) = delete;

    // Takes the next character of the text; false once the array has inflated past the limit.
    bool add(char c) {
        const int value = base64Value(c);
        if (value < 0 || m_finished)
            return true;
        m_group = (m_group << 6) | static_cast<std::uint32_t>(value);
        if (++m_sextets < 4)
            return true;
        for (int shift = 16; shift >= 0; shift -= 8)
            m_pending.push_back(static_cast<unsigned char>(m_group >> shift));
        m_group = 0;
        m_sextets = 0;
        return m_pending.size() < pendingLimit || inflatePending();
    }

    // The rest of the text; false when the array has inflated past the limit.
    bool finish() { return inflatePending(); }

private:
    static constexpr std::size_t pendingLimit = 1 << 16;

    bool inflatePending() {
        if (m_pending.empty() || m_finished)
            return true;
        if (!m_inflating) {
            // A zlib stream starts with a method of 8 (deflate) and a header that is a multiple of 31.
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
        for (const char c : chunk) {
            if (c == '<') {
                if (array && !array->finish())
                    return overlong();
                array.reset();
                inTag = true;
                tag = "<";
                continue;
            }
            if (!inTag) {
                if (array && !array->add(c))
                    return overlong();
                continue;
            }
            if (tag.size() < tagLimit)
                tag += c;
            if (c != '>')
                continue;
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
