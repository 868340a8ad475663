#include "registrykey.h"

#include "hivefileformat.h"
#include "settingsfolders.h"

#include <QSettings>
#include <QStringList>

namespace registry {

namespace {

// Settings objects are made per operation, so that each one sees what other programs saved.
QSettings openHive(Hive hive) {
    return QSettings(hiveFilePath(hive), hivefile::format());
}

ErrorNumber errorOf(const QSettings& settings) {
    return settings.status() == QSettings::NoError ? NoError : AccessDenied;
}

// Saves the change just made to `entry`. When that fails the change is taken back, or this
// program's later reads, and its next save, would still show what was reported as not stored.
ErrorNumber commit(QSettings& settings, const QString& entry, const QVariant& previous) {
    settings.sync();
    const ErrorNumber error = errorOf(settings);
    if (error != NoError) {
        if (previous.isValid())
            settings.setValue(entry, previous);
        else
            settings.remove(entry);
    }
    return error;
}

QString entryKey(const QString& group, const QString& name) {
    return group.isEmpty() ? name : group + u'/' + name;
}

// The child groups or child keys of a group; the root's for the empty group.
QStringList childrenOf(QSettings& settings, const QString& group, QStringList (QSettings::*list)() const) {
    if (group.isEmpty())
        return (settings.*list)();
    settings.beginGroup(group);
    QStringList children = (settings.*list)();
    settings.endGroup();
    return children;
}

// The stored spelling of `name` among `candidates`, or its encoded form when none matches.
QString storedSpelling(const QStringList& candidates, const QString& name) {
    QString encoded = encodedSettingsName(name);
    for (const QString& candidate : candidates) {
        if (candidate.compare(encoded, Qt::CaseInsensitive) == 0)
            return candidate;
    }
    return encoded;
}

// The settings key of a value of the key at `group`, spelled as stored when the value exists.
QString valueEntryKey(QSettings& settings, const QString& group, const QString& name) {
    return entryKey(group, storedSpelling(childrenOf(settings, group, &QSettings::childKeys), name));
}

struct ResolvedPath {
    QString group; // components as stored where they exist, as given where they do not
    bool exists = true;
};

// Walks the path one component at a time, matching each without regard to case.
ResolvedPath resolve(QSettings& settings, const QString& path) {
    ResolvedPath resolved;
    const QStringList components = QString(path).replace(u'\\', u'/').split(u'/', Qt::SkipEmptyParts);
    for (const QString& component : components) {
        const QStringList children = childrenOf(settings, resolved.group, &QSettings::childGroups);
        const QString spelling = storedSpelling(children, component);
        resolved.exists = resolved.exists && children.contains(spelling);
        resolved.group = entryKey(resolved.group, spelling);
    }
    return resolved;
}

} // namespace

QString hiveFilePath(Hive hive) {
    if (hive == Hive::CurrentUser)
        return userSettingsFolder() + QStringLiteral("/current-user.ini");
    return systemSettingsFolder() + QStringLiteral("/local-machine.ini");
}

std::optional<Key> Key::open(Hive hive, const QString& path) {
    QSettings settings = openHive(hive);
    const ResolvedPath resolved = resolve(settings, path);
    if (!resolved.exists)
        return std::nullopt;
    return Key(hive, resolved.group);
}

std::optional<Key> Key::create(Hive hive, const QString& path, ErrorNumber* error) {
    QSettings settings = openHive(hive);
    const ResolvedPath resolved = resolve(settings, path);
    ErrorNumber result = errorOf(settings);
    if (!resolved.exists && result == NoError) {
        const QString marker = entryKey(resolved.group, hivefile::emptyKeyMarker);
        settings.setValue(marker, QString());
        result = commit(settings, marker, QVariant());
    }
    if (error)
        *error = result;
    if (result != NoError)
        return std::nullopt;
    return Key(hive, resolved.group);
}

std::optional<QString> Key::value(const QString& name) const {
    QSettings settings = openHive(m_hive);
    const QString key = valueEntryKey(settings, m_settingsGroup, name);
    if (!settings.contains(key))
        return std::nullopt;
    return settings.value(key).toString();
}

ErrorNumber Key::setValue(const QString& name, const QString& text) {
    QSettings settings = openHive(m_hive);
    const QString entry = valueEntryKey(settings, m_settingsGroup, name);
    const QVariant previous = settings.value(entry);
    settings.setValue(entry, text);
    return commit(settings, entry, previous);
}

} // namespace registry
