#pragma once
// Points the settings of the system (both registry hives and the application settings) at a fresh
// temporary folder while it lives, so that a test starts from empty settings and leaves no trace.

#include "environmentoverride.h"

#include <QString>
#include <QTemporaryDir>

namespace testsupport {

class PrivateSettingsFolder {
public:
    PrivateSettingsFolder() = default;
    PrivateSettingsFolder(const PrivateSettingsFolder&) = delete;
    PrivateSettingsFolder& operator=(const PrivateSettingsFolder&) = delete;

    QString path() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
    EnvironmentOverride m_variable{"OSTRAND_SETTINGS_DIR", m_folder.path().toLocal8Bit()};
};

} // namespace testsupport
