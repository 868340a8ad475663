#include "applicationsettings.h"

#include "registry/settingsfolders.h"

#include <QSettings>

namespace appsettings {

namespace {

QString settingsKey(const QString& section, const QString& key) {
    return section + u'/' + key;
}

} // namespace

QString settingsFilePath(const QString& application) {
    return registry::userSettingsFolder() + QStringLiteral("/applications/") +
           registry::encodedSettingsName(application) + QStringLiteral(".ini");
}

QString value(const QString& application, const QString& section, const QString& key,
              const QString& defaultText) {
    const QSettings settings(settingsFilePath(application), QSettings::IniFormat);
    return settings.value(settingsKey(section, key), defaultText).toString();
}

bool save(const QString& application, const QString& section, const QString& key, const QString& text) {
    QSettings settings(settingsFilePath(application), QSettings::IniFormat);
    settings.setValue(settingsKey(section, key), text);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

} // namespace appsettings
