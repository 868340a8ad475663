#pragma once
// The text of one hive file: a section per key named by its full path, then one "name=text" line
// per value, e.g.
//
//   [SOFTWARE\Brenlow\Corvana\Scripts\Sorvex]
//   Debug=0
//
// so that a user can find and change a value by hand. The file is read once into its bytes and
// an index of its keys; a change gives new bytes in which only the line it concerns is replaced
// or added, so comments, lines this program does not know and bytes that are not UTF-8 stay as
// they were. Internal to the registry.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <optional>

namespace registry {

class HiveFile {
public:
    // The hive held in the file at `path`, or an empty hive when there is no such file. Raises a
    // NumberedError naming the file when it cannot be read, or is anything but a regular file:
    // opening a named pipe would wait for a writer that never comes.
    static HiveFile read(const QString& path);

    // A key's path in the hive, its components '/'-separated.
    struct KeyPath {
        QString group;      // components as stored where they exist, as given (encoded) beyond
        bool exists = true; // whether the whole path is a key of the hive
    };
    // Walks the path ("A\B" or "A/B") one component at a time, matching each without regard to case.
    KeyPath resolve(const QString& path) const;

    // The text of the named value of the key at `group`; nothing when there is none.
    std::optional<QString> value(const QString& group, const QString& name) const;

    // The file's bytes with the key at `group` added (the key must not exist yet).
    QByteArray withKey(const QString& group) const;
    // The file's bytes with the value set: the text after '=' of its line replaced when it
    // exists, a line added to its key (or a new key at the end) when it does not.
    QByteArray withValue(const QString& group, const QString& name, const QString& text) const;

private:
    struct ValueLine {
        qsizetype textBegin; // the first byte after '='
        qsizetype textEnd;   // the line's end, before any "\r\n" or "\n"
    };
    // The lines of one section after its header, up to the next header.
    struct Body {
        qsizetype begin;
        qsizetype end;
    };
    struct Found {
        std::optional<ValueLine> line; // the value's line; the last one when there are several
        qsizetype insertAt = -1;       // just after the key's last value, or its header; -1 without key
    };

    void index();
    void addGroup(const QString& group);
    Found find(const QString& group, const QString& encodedName) const;
    QByteArray lineEnd() const;

    QByteArray m_bytes;
    QHash<QString, QString> m_groupSpelling; // case-folded key path -> the path as first stored
    QHash<QString, QList<Body>> m_sections;  // case-folded key path ("" before any header) -> its bodies
};

} // namespace registry
