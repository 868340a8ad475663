#pragma once
// The settings store of the system, in place of the registry: one store per hive (the current
// user's and the machine's), each a tree of keys holding text values. Key paths ("SOFTWARE\Brenlow")
// are stored as first spelled and compared, like value names, without regard to case; "\" and "/"
// both separate components. Every write is saved at once, atomically, and merged with what other
// programs wrote to the same hive in the meantime; a write that would change nothing writes
// nothing. Reading a hive whose file cannot be read, or is not a regular file, raises a
// NumberedError that names the file.

#include "platform_export.h"

#include <QString>
#include <optional>
#include <utility>

namespace registry {

enum class Hive { CurrentUser, LocalMachine };

// The numbers a failed operation reports, as support staff know them from the registry.
enum ErrorNumber : int {
    NoError = 0,
    AccessDenied = 5, // the hive file or its folder cannot be written
};

// The file that holds a hive.
PLATFORM_EXPORT QString hiveFilePath(Hive hive);

// Why the last write of this thread that reported AccessDenied failed, naming the file or folder.
PLATFORM_EXPORT QString lastFailure();

class PLATFORM_EXPORT Key {
public:
    // The existing key at the path; nothing when it (or the whole hive) does not exist.
    static std::optional<Key> open(Hive hive, const QString& path);
    // The key at the path, created with any missing parents when needed; nothing when it cannot
    // be created, with the reason in `error`.
    static std::optional<Key> create(Hive hive, const QString& path, ErrorNumber* error = nullptr);

    // The text of the named value; nothing when the key has no such value.
    std::optional<QString> value(const QString& name) const;
    // Stores the text under the name, replacing any earlier text; NoError or why it failed.
    ErrorNumber setValue(const QString& name, const QString& text);

private:
    Key(Hive hive, QString settingsGroup) : m_hive(hive), m_settingsGroup(std::move(settingsGroup)) {}

    Hive m_hive;
    QString m_settingsGroup; // the key's path in the hive file, components as stored, '/'-separated
};

} // namespace registry
