#include "errors/numberederror.h"
#include "files/tempfiles.h"
#include "testsupport/environmentoverride.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

QString descriptionOfFailure(const QString& folder, const QString& prefix) {
    try {
        files::createUniqueFile(folder, prefix);
    } catch (const errors::NumberedError& error) {
        EXPECT_EQ(error.number(), errors::SystemError);
        return error.description();
    }
    ADD_FAILURE() << "no error raised for " << folder.toStdString();
    return {};
}

} // namespace

TEST(TemporaryFolder, ComesFromTmpdirAndAlwaysEndsInASeparator) {
    {
        const testsupport::EnvironmentOverride tmpdir("TMPDIR", QByteArray("/data/scratch"));
        EXPECT_EQ(files::temporaryFolder(), QStringLiteral("/data/scratch/"));
    }
    {
        const testsupport::EnvironmentOverride tmpdir("TMPDIR", QByteArray("/data/scratch/"));
        EXPECT_EQ(files::temporaryFolder(), QStringLiteral("/data/scratch/"));
    }
    {
        const testsupport::EnvironmentOverride tmpdir("TMPDIR", std::nullopt);
        EXPECT_EQ(files::temporaryFolder(), QStringLiteral("/tmp/"));
    }
    {
        const testsupport::EnvironmentOverride tmpdir("TMPDIR", QByteArray(""));
        EXPECT_EQ(files::temporaryFolder(), QStringLiteral("/tmp/"));
    }
}

TEST(UniqueFile, TwoCallsGiveTwoDifferentExistingEmptyFilesNamedFromThePrefix) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString first = files::createUniqueFile(folder.path(), QStringLiteral("sorvex"));
    const QString second =
        files::createUniqueFile(folder.path() + QLatin1Char('/'), QStringLiteral("sorvex"));
    EXPECT_NE(first, second);
    const QRegularExpression name(QStringLiteral("^sor[0-9A-F]{4}\\.tmp$"));
    for (const QString& path : {first, second}) {
        const QFileInfo info(path);
        EXPECT_EQ(info.absolutePath(), QDir(folder.path()).absolutePath());
        EXPECT_TRUE(info.exists()) << path.toStdString();
        EXPECT_EQ(info.size(), 0);
        EXPECT_TRUE(name.match(info.fileName()).hasMatch()) << path.toStdString();
    }
    const QString shortPrefix = files::createUniqueFile(folder.path(), QStringLiteral("q"));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/q[0-9A-F]{4}\\.tmp$")).match(shortPrefix).hasMatch());
}

TEST(UniqueFile, TakenNamesAreSkippedAndNeverTakenOver) {
    // In memory when the machine offers it: the test makes 65535 files.
    const QString parent =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    QTemporaryDir folder(parent + QStringLiteral("/uniquefile-XXXXXX"));
    ASSERT_TRUE(folder.isValid());
    // Every name but one is taken, each by a file with content that must survive.
    const QString freeName = QStringLiteral("sor1234.tmp");
    for (int number = 1; number <= 0xFFFF; ++number) {
        const QString name = QStringLiteral("sor%1.tmp")
                                 .arg(QStringLiteral("%1").arg(number, 4, 16, QLatin1Char('0')).toUpper());
        if (name == freeName)
            continue;
        QFile taken(folder.filePath(name));
        ASSERT_TRUE(taken.open(QIODevice::WriteOnly));
        taken.write("x");
    }
    EXPECT_EQ(QFileInfo(files::createUniqueFile(folder.path(), QStringLiteral("sor"))).fileName(), freeName);
    EXPECT_EQ(
        descriptionOfFailure(folder.path(), QStringLiteral("sor")),
        QStringLiteral("Cannot create a temporary file in %1/: every file name is taken").arg(folder.path()));
    QFile sample(folder.filePath(QStringLiteral("sorFFFF.tmp")));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    EXPECT_EQ(sample.readAll(), QByteArray("x"));
}

TEST(UniqueFile, AFolderThatCannotTakeFilesRaisesAClearErrorAtOnce) {
    EXPECT_EQ(
        descriptionOfFailure(QStringLiteral("/no/such/folder"), QStringLiteral("sor")),
        QStringLiteral("Cannot create a temporary file in /no/such/folder/: No such file or directory"));
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString plainFile = folder.filePath(QStringLiteral("plain"));
    QFile(plainFile).open(QIODevice::WriteOnly);
    EXPECT_EQ(descriptionOfFailure(plainFile, QStringLiteral("sor")),
              QStringLiteral("Cannot create a temporary file in %1/: Not a directory").arg(plainFile));
    // A prefix cannot lead the file out of the folder.
    EXPECT_TRUE(
        descriptionOfFailure(folder.path(), QStringLiteral("a/b")).contains(QStringLiteral("separator")));
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).contains(QStringLiteral("plain")));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
}
