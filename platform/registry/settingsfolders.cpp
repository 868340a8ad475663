#include "settingsfolders.h"

#include <QStandardPaths>

namespace registry {

namespace {

const char overrideVariable[] = "OSTRAND_SETTINGS_DIR";
const QString systemFolderName = QStringLiteral("ostrand");

// Read on every call, so that a test can point the settings at a folder of its own.
QString overrideFolder() {
    return qEnvironmentVariable(overrideVariable);
}

} // namespace

QString userSettingsFolder() {
    QString folder = overrideFolder();
    if (!folder.isEmpty())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + systemFolderName;
}

QString systemSettingsFolder() {
    QString folder = overrideFolder();
    if (!folder.isEmpty())
        return folder;
    // The first folder of XDG_CONFIG_DIRS is the machine's own configuration.
    const QString configDirs = qEnvironmentVariable("XDG_CONFIG_DIRS");
    const QString first = configDirs.section(u':', 0, 0);
    return (first.isEmpty() ? QStringLiteral("/etc/xdg") : first) + u'/' + systemFolderName;
}

QString encodedSettingsName(const QString& name) {
    static const QString special = QStringLiteral("%=[]/\\;#");
    QString encoded;
    encoded.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name.at(i);
        const bool atEdge = i == 0 || i == name.size() - 1;
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || special.contains(c) || (atEdge && c == u' '))
            encoded += QStringLiteral("%%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            encoded += c;
    }
    return encoded;
}

} // namespace registry
