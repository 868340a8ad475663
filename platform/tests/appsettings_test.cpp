#include "appsettings/applicationsettings.h"
#include "testsupport/privatesettingsfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

const QString script = QStringLiteral("SorvexScript");
const QString section = QStringLiteral("SearchFileOptions");
const QString key = QStringLiteral("LastSearchFile");

} // namespace

TEST(ApplicationSettings, MissingValuesGiveTheDefaultAndSavedOnesReadBack) {
    testsupport::PrivateSettingsFolder settingsFolder;
    EXPECT_EQ(appsettings::value(script, section, key, QStringLiteral("none")), QStringLiteral("none"));
    EXPECT_EQ(appsettings::value(script, section, key), QString());

    ASSERT_TRUE(appsettings::save(script, section, key, QStringLiteral("/data/run 7/query,1.txt")));
    EXPECT_EQ(appsettings::value(script, section, key, QStringLiteral("none")),
              QStringLiteral("/data/run 7/query,1.txt"));
    EXPECT_EQ(appsettings::value(QStringLiteral("Quorvel"), section, key, QStringLiteral("none")),
              QStringLiteral("none"));
    EXPECT_EQ(appsettings::value(script, QStringLiteral("Other"), key, QStringLiteral("none")),
              QStringLiteral("none"));
    EXPECT_TRUE(QFile::exists(appsettings::settingsFilePath(script)));
}

TEST(ApplicationSettings, AnApplicationNameCannotLeadOutOfTheSettingsFolder) {
    testsupport::PrivateSettingsFolder settingsFolder;
    const QString sneaky = QStringLiteral("../../escaped");
    ASSERT_TRUE(appsettings::save(sneaky, section, key, QStringLiteral("x")));
    const QString path = appsettings::settingsFilePath(sneaky);
    EXPECT_EQ(QFileInfo(path).absolutePath(),
              QDir(settingsFolder.path()).filePath(QStringLiteral("applications")));
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(appsettings::value(sneaky, section, key), QStringLiteral("x"));
}

TEST(ApplicationSettings, SaveReportsAFolderThatCannotBeMade) {
    testsupport::PrivateSettingsFolder settingsFolder;
    QFile plain(settingsFolder.path() + QStringLiteral("/plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    qputenv("OSTRAND_SETTINGS_DIR", (plain.fileName() + QStringLiteral("/settings")).toLocal8Bit());
    EXPECT_FALSE(appsettings::save(script, section, key, QStringLiteral("x")));
    EXPECT_EQ(appsettings::value(script, section, key, QStringLiteral("none")), QStringLiteral("none"));
}
