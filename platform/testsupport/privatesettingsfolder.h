#pragma once
// Points the settings of the system (both registry hives and the application settings) at a fresh
// temporary folder while it lives, so that a test starts from empty settings and leaves no trace.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

class PrivateSettingsFolder {
public:
    PrivateSettingsFolder()
        : m_hadPrevious(qEnvironmentVariableIsSet(variable)), m_previous(qgetenv(variable)) {
        qputenv(variable, m_folder.path().toLocal8Bit());
    }
    ~PrivateSettingsFolder() {
        if (m_hadPrevious)
            qputenv(variable, m_previous);
        else
            qunsetenv(variable);
    }
    PrivateSettingsFolder(const PrivateSettingsFolder&) = delete;
    PrivateSettingsFolder& operator=(const PrivateSettingsFolder&) = delete;

    QString path() const { return m_folder.path(); }

private:
    static constexpr char variable[] = "OSTRAND_SETTINGS_DIR";
    QTemporaryDir m_folder;
    bool m_hadPrevious;
    QByteArray m_previous;
};

} // namespace testsupport
