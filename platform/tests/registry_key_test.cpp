#include "registry/registrykey.h"
#include "testsupport/privatesettingsfolder.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using registry::ErrorNumber;
using registry::Hive;
using registry::Key;

namespace {

const QString sorvexKey = QStringLiteral("SOFTWARE\\Brenlow\\Corvana\\Scripts\\Sorvex");

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

class RegistryKey : public ::testing::Test {
protected:
    testsupport::PrivateSettingsFolder settingsFolder;
};

} // namespace

TEST_F(RegistryKey, MissingKeysAndValuesAreNotFound) {
    EXPECT_FALSE(Key::open(Hive::CurrentUser, sorvexKey));
    ASSERT_TRUE(Key::create(Hive::CurrentUser, sorvexKey));
    const auto key = Key::open(Hive::CurrentUser, sorvexKey);
    ASSERT_TRUE(key);
    EXPECT_FALSE(key->value(QStringLiteral("Debug")));
    EXPECT_FALSE(Key::open(Hive::CurrentUser, sorvexKey + QStringLiteral("\\Deeper")));
    // Creating a key creates its parents, and an empty key still exists when read again.
    EXPECT_TRUE(Key::open(Hive::CurrentUser, QStringLiteral("SOFTWARE\\Brenlow")));
    EXPECT_FALSE(Key::open(Hive::LocalMachine, sorvexKey));
}

TEST_F(RegistryKey, PathsAndNamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    auto key = Key::create(Hive::CurrentUser, sorvexKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->setValue(QStringLiteral("Debug"), QStringLiteral("0")), registry::NoError);

    auto other = Key::create(Hive::CurrentUser, QStringLiteral("software/brenlow/CORVANA/scripts/sorvex"));
    ASSERT_TRUE(other);
    EXPECT_EQ(other->value(QStringLiteral("DEBUG")), QStringLiteral("0"));
    EXPECT_EQ(other->setValue(QStringLiteral("debug"), QStringLiteral("1")), registry::NoError);

    EXPECT_EQ(key->value(QStringLiteral("Debug")), QStringLiteral("1"));
    const QByteArray text = fileText(registry::hiveFilePath(Hive::CurrentUser));
    EXPECT_TRUE(text.contains("[SOFTWARE\\Brenlow\\Corvana\\Scripts\\Sorvex]\nDebug=1\n"))
        << text.constData();
    EXPECT_FALSE(text.contains("debug=")) << text.constData();
}

TEST_F(RegistryKey, HivesAreSeparateFilesInTheSettingsFolder) {
    ASSERT_TRUE(Key::create(Hive::LocalMachine, QStringLiteral("SOFTWARE\\Tervane\\Sorvex\\1.00"))
                    ->setValue(QStringLiteral("SorvexURL"), QStringLiteral("http://localhost/sorvex/")) ==
                registry::NoError);
    EXPECT_FALSE(Key::open(Hive::CurrentUser, QStringLiteral("SOFTWARE\\Tervane")));
    EXPECT_NE(registry::hiveFilePath(Hive::CurrentUser), registry::hiveFilePath(Hive::LocalMachine));
    EXPECT_TRUE(registry::hiveFilePath(Hive::LocalMachine).startsWith(settingsFolder.path() + u'/'));
    EXPECT_EQ(Key::open(Hive::LocalMachine, QStringLiteral("software\\tervane\\sorvex\\1.00"))
                  ->value(QStringLiteral("sorvexurl")),
              QStringLiteral("http://localhost/sorvex/"));
}

TEST_F(RegistryKey, AnyNameAndTextSurviveTheFile) {
    const QString oddPath = QStringLiteral(" Odd [key]=%41;#1 \\Sub key");
    const QList<std::pair<QString, QString>> values = {
        {QStringLiteral("name=with[brackets]/and\\slashes"), QStringLiteral("two\nlines\r\nand \\n literal")},
        {QStringLiteral(" spaced "), QStringLiteral("  kept spaces  ")},
        {QStringLiteral("%41"), QStringLiteral("100%")},
        {QStringLiteral("#not a comment"), QStringLiteral("[not a section]")},
        {QStringLiteral("Empty"), QString()},
        {QStringLiteral("Größe"), QStringLiteral("µ/z ≥ 2")},
    };
    auto key = Key::create(Hive::CurrentUser, oddPath);
    ASSERT_TRUE(key);
    for (const auto& [name, text] : values)
        ASSERT_EQ(key->setValue(name, text), registry::NoError) << name.toStdString();

    const auto reread = Key::open(Hive::CurrentUser, oddPath);
    ASSERT_TRUE(reread);
    for (const auto& [name, text] : values)
        EXPECT_EQ(reread->value(name), text) << name.toStdString();
    EXPECT_FALSE(reread->value(QStringLiteral("A"))) << "%41 must not read as A";
    EXPECT_TRUE(Key::open(Hive::CurrentUser, QStringLiteral(" Odd [key]=%41;#1 ")));
}

TEST_F(RegistryKey, ReadsAHandEditedFile) {
    QDir().mkpath(settingsFolder.path());
    writeFile(registry::hiveFilePath(Hive::CurrentUser), "; changed by hand\r\n"
                                                         "[software\\brenlow\\corvana\\scripts\\sorvex]\r\n"
                                                         "  Debug = 1\r\n"
                                                         "FileLocationFolder=C:\\data\\queries\r\n"
                                                         "\r\n"
                                                         "[Empty\\Key]\r\n");
    const auto key = Key::open(Hive::CurrentUser, sorvexKey);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->value(QStringLiteral("debug")), QStringLiteral(" 1"));
    EXPECT_EQ(key->value(QStringLiteral("FileLocationFolder")), QStringLiteral("C:\\data\\queries"));
    EXPECT_TRUE(Key::open(Hive::CurrentUser, QStringLiteral("Empty\\Key")));
    // A change replaces just the text of its line; a new value ends as the file's lines do.
    auto edited = Key::open(Hive::CurrentUser, sorvexKey);
    ASSERT_EQ(edited->setValue(QStringLiteral("DEBUG"), QStringLiteral("0")), registry::NoError);
    ASSERT_EQ(edited->setValue(QStringLiteral("Added"), QStringLiteral("yes")), registry::NoError);
    EXPECT_EQ(fileText(registry::hiveFilePath(Hive::CurrentUser)),
              QByteArray("; changed by hand\r\n"
                         "[software\\brenlow\\corvana\\scripts\\sorvex]\r\n"
                         "  Debug =0\r\n"
                         "FileLocationFolder=C:\\data\\queries\r\n"
                         "Added=yes\r\n"
                         "\r\n"
                         "[Empty\\Key]\r\n"));
}

TEST_F(RegistryKey, StrayLinesOfAHandEditAreSkippedAndKept) {
    QDir().mkpath(settingsFolder.path());
    writeFile(registry::hiveFilePath(Hive::CurrentUser),
              "[SOFTWARE\\Brenlow]\nBefore=yes\nthis line is not a value\n=no name\nAfter=too\n");

    auto key = Key::open(Hive::CurrentUser, QStringLiteral("SOFTWARE\\Brenlow"));
    ASSERT_TRUE(key);
    EXPECT_EQ(key->value(QStringLiteral("Before")), QStringLiteral("yes"));
    EXPECT_EQ(key->value(QStringLiteral("After")), QStringLiteral("too"));
    EXPECT_EQ(key->setValue(QStringLiteral("New"), QStringLiteral("1")), registry::NoError);
    // The new value joins its key; every line of the hand edit stays as it was.
    EXPECT_EQ(fileText(registry::hiveFilePath(Hive::CurrentUser)),
              QByteArray(
                  "[SOFTWARE\\Brenlow]\nBefore=yes\nthis line is not a value\n=no name\nAfter=too\nNew=1\n"));
}

TEST(RegistryKeyUnwritable, CreatingAKeyWhereNoFolderCanBeMadeReportsAccessDenied) {
    testsupport::PrivateSettingsFolder settingsFolder;
    // A folder below a plain file cannot be made, whoever runs the test.
    const QString plainFile = settingsFolder.path() + QStringLiteral("/plain");
    writeFile(plainFile, "x");
    qputenv("OSTRAND_SETTINGS_DIR", (plainFile + QStringLiteral("/settings")).toLocal8Bit());

    ErrorNumber error = registry::NoError;
    EXPECT_FALSE(Key::create(Hive::CurrentUser, sorvexKey, &error));
    EXPECT_EQ(error, registry::AccessDenied);
    EXPECT_FALSE(Key::open(Hive::CurrentUser, sorvexKey));
}
