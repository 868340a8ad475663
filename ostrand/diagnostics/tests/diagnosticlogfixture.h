#pragma once
// The diagnostic log loaded afresh for each test, as if from a script library in a folder of its
// own, with empty settings and a fixed clock.

#include "diagnostics/mlogger.h"
#include "settings/registryfuncs.h"

#include "registry/registrykey.h"
#include "testsupport/privatesettingsfolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace diagnosticstest {

// 3 April, 09:05:07 local time.
QDateTime fixedTime() {
    return QDateTime(QDate(2026, 4, 3), QTime(9, 5, 7));
}

// Each test loads the library afresh from a folder of its own, with empty settings.
class DiagnosticLog : public ::testing::Test {
protected:
    void SetUp() override {
        MLogger::Testing::SetClock(fixedTime);
        MLogger::Testing::Reload(libraryPath);
    }
    void TearDown() override {
        RegistryFuncs::SetUseParamStore(false);
        RegistryFuncs::ParamStore().clear();
        MLogger::Testing::SetClock({});
        MLogger::SetDebugKeysCheck({});
        MLogger::Testing::Reload();
    }

    static void setDebug(const QString& text) {
        RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QStringLiteral("Debug"), text);
    }
    static std::optional<QString> storedDebug() {
        const auto key = registry::Key::open(registry::Hive::CurrentUser, RegistryFuncs::SettingsKey);
        return key ? key->value(QStringLiteral("Debug")) : std::nullopt;
    }
    QByteArray logText() const {
        QFile file(logPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    testsupport::PrivateSettingsFolder settingsFolder;
    QTemporaryDir libraryFolder;
    const QString libraryPath = libraryFolder.filePath(QStringLiteral("libscript.so"));
    const QString logPath = libraryFolder.filePath(QStringLiteral("libscript.debug"));
};

} // namespace diagnosticstest
