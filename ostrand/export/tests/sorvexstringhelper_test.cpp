#include "export/sorvexstringhelper.h"
#include "testsupport/environmentoverride.h"

#include "errors/numberederror.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using errors::NumberedError;
using ostrand::SorvexStringHelper;

namespace {

// Each test gets a folder of its own and a temporary folder (TMPDIR) of its own inside it.
class SorvexStringHelperTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        ASSERT_TRUE(QDir(work.path()).mkdir(QStringLiteral("temp")));
    }

    QString path(const QString& name) const { return work.filePath(name); }
    QStringList temporaryFiles() const { return QDir(path(QStringLiteral("temp"))).entryList(QDir::Files); }

    static QByteArray contentOf(const QString& file) {
        QFile input(file);
        return input.open(QIODevice::ReadOnly) ? input.readAll() : QByteArray("<missing>");
    }
    static void writeFile(const QString& file, const QByteArray& content) {
        QFile output(file);
        ASSERT_TRUE(output.open(QIODevice::WriteOnly));
        output.write(content);
    }

    QTemporaryDir work;
    const testsupport::EnvironmentOverride tmpdir{"TMPDIR",
                                                  (work.path() + QStringLiteral("/temp")).toLocal8Bit()};
};

// The description of the error an operation raises; fails the test when it raises none.
template <class Operation> QString errorOf(Operation operation) {
    try {
        operation();
    } catch (const NumberedError& error) {
        EXPECT_EQ(error.number(), errors::SystemError);
        return error.description();
    }
    ADD_FAILURE() << "no error raised";
    return {};
}

} // namespace

TEST_F(SorvexStringHelperTest, AnUnnamedBufferCreatesNothingUntilItIsWritten) {
    SorvexStringHelper buffer;
    buffer.CloseFile();
    EXPECT_EQ(buffer.GetString(), QString());
    EXPECT_TRUE(temporaryFiles().isEmpty());

    buffer.Append(QStringLiteral("abc"));
    const QStringList made = temporaryFiles();
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^sor[0-9A-F]{4}\\.tmp$")).match(made.first()).hasMatch());
    EXPECT_EQ(buffer.GetFilename(), path(QStringLiteral("temp/")) + made.first());
    EXPECT_EQ(buffer.GetString(), QStringLiteral("abc"));

    // Asked for its name first, a buffer makes an empty temporary file that outlives it.
    auto named = std::make_unique<SorvexStringHelper>();
    const QString name = named->GetFilename();
    named.reset();
    EXPECT_EQ(temporaryFiles().size(), 2);
    EXPECT_EQ(contentOf(name), QByteArray());
}

TEST_F(SorvexStringHelperTest, LinesEndInCrLfAndTextFollowsWithoutOne) {
    SorvexStringHelper buffer;
    buffer.SetFilename(path(QStringLiteral("query.txt")));
    buffer.AppendLine(QStringLiteral("x"));
    buffer.Append(QStringLiteral("y"));
    EXPECT_EQ(buffer.GetString(), QStringLiteral("x\r\ny"));
    EXPECT_EQ(contentOf(path(QStringLiteral("query.txt"))), QByteArray("x\r\ny"));
    EXPECT_TRUE(temporaryFiles().isEmpty());
}

TEST_F(SorvexStringHelperTest, EveryFirstWriteAfterANameOrACloseStartsTheFileAfresh) {
    const QString file = path(QStringLiteral("existing.txt"));
    writeFile(file, QByteArray("old content that must go\r\n"));
    SorvexStringHelper buffer;
    buffer.SetFilename(file);
    EXPECT_EQ(contentOf(file), QByteArray("old content that must go\r\n")) << "naming creates nothing";
    buffer.AppendLine(QStringLiteral("A"));
    EXPECT_EQ(buffer.GetString(), QStringLiteral("A\r\n"));

    buffer.AppendLine(QStringLiteral("A"));
    buffer.CloseFile();
    buffer.AppendLine(QStringLiteral("B"));
    buffer.CloseFile();
    EXPECT_EQ(contentOf(file), QByteArray("B\r\n"));
}

TEST_F(SorvexStringHelperTest, ANewNameClosesTheOldFileWhichKeepsItsText) {
    SorvexStringHelper buffer;
    buffer.SetFilename(path(QStringLiteral("first.txt")));
    buffer.AppendLine(QStringLiteral("header"));
    buffer.SetFilename(path(QStringLiteral("second.txt")));
    buffer.Append(QStringLiteral("block"));
    EXPECT_EQ(contentOf(path(QStringLiteral("first.txt"))), QByteArray("header\r\n"));
    EXPECT_EQ(buffer.GetString(), QStringLiteral("block"));
}

TEST_F(SorvexStringHelperTest, ReleasingTheBufferClosesTheFileWithEverythingWritten) {
    const QString file = path(QStringLiteral("released.txt"));
    {
        SorvexStringHelper buffer;
        buffer.SetFilename(file);
        for (int line = 0; line < 10000; ++line)
            buffer.AppendLine(QStringLiteral("%1 1000.5").arg(line));
    }
    const QByteArray content = contentOf(file);
    EXPECT_TRUE(content.startsWith("0 1000.5\r\n1 1000.5\r\n"));
    EXPECT_TRUE(content.endsWith("9999 1000.5\r\n"));
    EXPECT_EQ(content.count('\n'), 10000);
}

TEST_F(SorvexStringHelperTest, AFileThatCannotBeWrittenRaisesItsPathAndReasonToTheWriter) {
    SorvexStringHelper buffer;
    const QString unreachable = path(QStringLiteral("no-such-folder/query.txt"));
    buffer.SetFilename(unreachable);
    EXPECT_EQ(errorOf([&] { buffer.Append(QStringLiteral("abc")); }),
              QStringLiteral("Cannot create the file %1: No such file or directory").arg(unreachable));
    EXPECT_EQ(errorOf([&] { buffer.AppendLine(QStringLiteral("abc")); }),
              QStringLiteral("Cannot create the file %1: No such file or directory").arg(unreachable));
    EXPECT_EQ(buffer.GetString(), QString()) << "nothing was written";
    EXPECT_FALSE(QDir(path(QStringLiteral("no-such-folder"))).exists());
}

TEST_F(SorvexStringHelperTest, AFullDiskIsReportedWhenTheTextReachesIt) {
    if (!QFileInfo(QStringLiteral("/dev/full")).isWritable())
        GTEST_SKIP() << "/dev/full, which stands for a full disk, is not writable here";
    {
        SorvexStringHelper buffer;
        buffer.SetFilename(QStringLiteral("/dev/full"));
        buffer.Append(QStringLiteral("abc"));
        EXPECT_EQ(errorOf([&] { buffer.CloseFile(); }),
                  QStringLiteral("Cannot write the file /dev/full: the disk is full"));
        buffer.Append(QStringLiteral("pending"));
    } // The release swallows the error of the text still pending.
    SorvexStringHelper large;
    large.SetFilename(QStringLiteral("/dev/full"));
    EXPECT_TRUE(errorOf([&] {
                    large.Append(QString(1 << 20, QLatin1Char('x')));
                }).endsWith(QStringLiteral("the disk is full")));
}
