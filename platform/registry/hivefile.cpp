#include "hivefile.h"

#include "settingsfolders.h"

#include "errors/numberederror.h"
#include "files/savefile.h"

#include <QFile>
#include <QStringList>

#include <optional>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace registry {

namespace {

// Value texts run to the end of their line: backslash, line feed and carriage return are escaped.
QString escapeValue(const QString& text) {
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == u'\\')
            escaped += QStringLiteral("\\\\");
        else if (c == u'\n')
            escaped += QStringLiteral("\\n");
        else if (c == u'\r')
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

// A backslash before anything other than '\', 'n' or 'r' is kept, so that a hand-typed
// "C:\data" reads as written.
QString unescapeValue(const QString& text) {
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (text.at(i) == u'\\' && (next == u'\\' || next == u'n' || next == u'r')) {
            plain += next == u'n' ? u'\n' : next == u'r' ? u'\r' : u'\\';
            ++i;
        } else {
            plain += text.at(i);
        }
    }
    return plain;
}

// Paths and names are compared without regard to case.
QString folded(const QString& text) {
    return text.toCaseFolded();
}

QString joined(const QString& group, const QString& name) {
    return group.isEmpty() ? name : group + u'/' + name;
}

errors::NumberedError unreadable(const QString& path, const QString& reason) {
    return errors::NumberedError::system(
        QStringLiteral("Cannot read the settings file %1: %2").arg(path, reason));
}

// The whole file, opened without waiting (a named pipe would block until a writer came) and
// read only when it is a regular file.
std::optional<QByteArray> readRegularFile(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return std::nullopt;
        throw unreadable(path, files::systemErrorText(errno));
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        throw unreadable(
            path, QStringLiteral("it is %1, not a regular file").arg(files::fileKindText(status.st_mode)));
    }
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(status.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const int error = errno;
            ::close(fd);
            throw unreadable(path, files::systemErrorText(error));
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    ::close(fd);
    return bytes;
}

// One line of the file: its bytes without the line end, and where the next line begins.
struct Line {
    QByteArrayView text;
    qsizetype begin;
    qsizetype next;
};

template <typename Visit>
void forEachLine(const QByteArray& bytes, qsizetype from, qsizetype to, Visit visit) {
    for (qsizetype position = from; position < to;) {
        const qsizetype lineFeed = bytes.indexOf('\n', position);
        const qsizetype next = lineFeed < 0 || lineFeed >= to ? to : lineFeed + 1;
        qsizetype end = lineFeed < 0 || lineFeed >= to ? to : lineFeed;
        while (end > position && bytes.at(end - 1) == '\r')
            --end;
        visit(Line{QByteArrayView(bytes.constData() + position, end - position), position, next});
        position = next;
    }
}

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The key path of a section header line ("[A\B]" gives "A/B"); nothing for any other line.
std::optional<QString> sectionOf(QByteArrayView line) {
    const QByteArrayView trimmed = line.trimmed();
    if (!trimmed.startsWith('[') || !trimmed.endsWith(']'))
        return std::nullopt;
    return QString::fromUtf8(trimmed.sliced(1, trimmed.size() - 2)).trimmed().replace(u'\\', u'/');
}

} // namespace

HiveFile HiveFile::read(const QString& path) {
    HiveFile hive;
    if (auto bytes = readRegularFile(path)) {
        hive.m_bytes = std::move(*bytes);
        hive.index();
    }
    return hive;
}

void HiveFile::index() {
    // Only the sections are indexed: a value is looked for in its key's lines when asked for, so
    // that a huge file costs its bytes and no more.
    QString section;
    qsizetype bodyBegin = 0;
    const auto closeSection = [&](qsizetype end) { m_sections[folded(section)].append({bodyBegin, end}); };
    forEachLine(m_bytes, 0, m_bytes.size(), [&](const Line& line) {
        const auto header = sectionOf(line.text);
        if (!header)
            return;
        closeSection(line.begin);
        section = *header;
        addGroup(section);
        bodyBegin = line.next;
    });
    closeSection(m_bytes.size());
}

HiveFile::Found HiveFile::find(const QString& group, const QString& encodedName) const {
    Found found;
    const auto sections = m_sections.constFind(folded(group));
    if (sections == m_sections.cend())
        return found;
    // Names are nearly always ASCII, which compare without regard to case byte by byte; a key of
    // hundreds of thousands of values is then searched without converting a line.
    const QString wanted = folded(encodedName);
    const QByteArray wantedBytes = encodedName.toUtf8();
    const bool wantedAscii = isAscii(wantedBytes);
    for (const Body& body : *sections) {
        found.insertAt = body.begin;
        forEachLine(m_bytes, body.begin, body.end, [&](const Line& line) {
            const QByteArrayView trimmed = line.text.trimmed();
            if (trimmed.isEmpty() || trimmed.startsWith(';') || trimmed.startsWith('#'))
                return;
            const qsizetype equals = line.text.indexOf('=');
            if (equals < 0)
                return; // a stray line of a hand edit holds no value; the rest of the hive still counts
            const QByteArrayView name = line.text.first(equals).trimmed();
            if (name.isEmpty())
                return;
            found.insertAt = line.next;
            const bool same = wantedAscii && isAscii(name)
                                  ? name.compare(wantedBytes, Qt::CaseInsensitive) == 0
                                  : folded(QString::fromUtf8(name).trimmed()) == wanted;
            if (same)
                found.line = ValueLine{line.begin + equals + 1, line.begin + line.text.size()};
        });
    }
    return found;
}

void HiveFile::addGroup(const QString& group) {
    qsizetype slash = 0;
    while (slash >= 0) {
        slash = group.indexOf(u'/', slash + 1);
        const QString prefix = slash < 0 ? group : group.left(slash);
        if (!prefix.isEmpty() && !m_groupSpelling.contains(folded(prefix)))
            m_groupSpelling.insert(folded(prefix), prefix); // a key keeps its first spelling
    }
}

HiveFile::KeyPath HiveFile::resolve(const QString& path) const {
    KeyPath resolved;
    const QStringList components = QString(path).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    for (const QString& component : components) {
        const QString given = joined(resolved.group, encodedSettingsName(component));
        const auto stored =
            resolved.exists ? m_groupSpelling.constFind(folded(given)) : m_groupSpelling.cend();
        resolved.exists = stored != m_groupSpelling.cend();
        resolved.group = resolved.exists ? *stored : given;
    }
    return resolved;
}

std::optional<QString> HiveFile::value(const QString& group, const QString& name) const {
    const Found found = find(group, encodedSettingsName(name));
    if (!found.line)
        return std::nullopt;
    const ValueLine& line = *found.line;
    return unescapeValue(QString::fromUtf8(m_bytes.sliced(line.textBegin, line.textEnd - line.textBegin)));
}

QByteArray HiveFile::lineEnd() const {
    // Lines added to a file edited on Windows end as its other lines do.
    return m_bytes.contains("\r\n") ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
}

QByteArray HiveFile::withKey(const QString& group) const {
    const QByteArray end = lineEnd();
    QByteArray bytes = m_bytes;
    if (!bytes.isEmpty())
        bytes += bytes.endsWith('\n') ? end : end + end;
    return bytes + '[' + QString(group).replace(u'/', u'\\').toUtf8() + ']' + end;
}

QByteArray HiveFile::withValue(const QString& group, const QString& name, const QString& text) const {
    const QString encodedName = encodedSettingsName(name);
    const QByteArray escaped = escapeValue(text).toUtf8();
    const Found found = find(group, encodedName);
    if (found.line)
        return m_bytes.first(found.line->textBegin) + escaped + m_bytes.sliced(found.line->textEnd);
    const QByteArray end = lineEnd();
    const QByteArray newLine = encodedName.toUtf8() + '=' + escaped + end;
    if (found.insertAt < 0)
        return withKey(group) + newLine;
    const qsizetype at = found.insertAt;
    const bool needsLineEnd = at > 0 && m_bytes.at(at - 1) != '\n';
    return m_bytes.first(at) + (needsLineEnd ? end : QByteArray()) + newLine + m_bytes.sliced(at);
}

} // namespace registry
