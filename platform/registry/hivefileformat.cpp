#include "hivefileformat.h"

#include <QIODevice>
#include <QMap>

namespace registry::hivefile {

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

// A settings key splits into the key path (components joined by '/') and the value name.
struct Entry {
    QString keyPath;
    QString name;
};

Entry splitSettingsKey(const QString& settingsKey) {
    const qsizetype slash = settingsKey.lastIndexOf(u'/');
    if (slash < 0)
        return {QString(), settingsKey};
    return {settingsKey.left(slash), settingsKey.mid(slash + 1)};
}

bool readHive(QIODevice& device, QSettings::SettingsMap& map) {
    QString section;
    bool sectionHasValues = true;
    const auto closeSection = [&] {
        if (!sectionHasValues)
            map.insert(section + u'/' + emptyKeyMarker, QString());
    };
    while (!device.atEnd()) {
        const QString line = QString::fromUtf8(device.readLine());
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(u';') || trimmed.startsWith(u'#'))
            continue;
        if (trimmed.startsWith(u'[') && trimmed.endsWith(u']')) {
            closeSection();
            section = trimmed.mid(1, trimmed.size() - 2).trimmed().replace(u'\\', u'/');
            sectionHasValues = section.isEmpty();
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        const QString name = line.left(equals).trimmed();
        if (equals < 0 || name.isEmpty())
            continue; // a stray line of a hand edit holds no value; the rest of the hive still counts
        QString text = line.mid(equals + 1);
        while (text.endsWith(u'\n') || text.endsWith(u'\r'))
            text.chop(1);
        map.insert(section.isEmpty() ? name : section + u'/' + name, unescapeValue(text));
        sectionHasValues = true;
    }
    closeSection();
    return true;
}

bool writeHive(QIODevice& device, const QSettings::SettingsMap& map) {
    QMap<QString, QStringList> linesOfKey;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const Entry entry = splitSettingsKey(it.key());
        QStringList& lines = linesOfKey[entry.keyPath];
        if (entry.name != emptyKeyMarker)
            lines.append(entry.name + u'=' + escapeValue(it.value().toString()));
    }
    QString text;
    for (auto it = linesOfKey.cbegin(); it != linesOfKey.cend(); ++it) {
        if (!it.key().isEmpty())
            text += u'[' + QString(it.key()).replace(u'/', u'\\') + QStringLiteral("]\n");
        for (const QString& line : it.value())
            text += line + u'\n';
        text += u'\n';
    }
    const QByteArray bytes = text.toUtf8();
    return device.write(bytes) == bytes.size();
}

} // namespace

QSettings::Format format() {
    static const QSettings::Format registered =
        QSettings::registerFormat(QStringLiteral("ini"), readHive, writeHive);
    return registered;
}

} // namespace registry::hivefile
