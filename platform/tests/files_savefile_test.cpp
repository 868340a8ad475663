#include "errors/numberederror.h"
#include "files/savefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>

namespace {

using files::SaveFile;

QString describe(SaveFile::Step step, const QString& reason) {
    static const char* const names[] = {"create", "sync", "rename"};
    return QStringLiteral("cannot %1 (%2)").arg(QLatin1String(names[static_cast<int>(step)]), reason);
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

} // namespace

TEST(SaveFile, CommitReplacesTheDestinationWithTheUsualPermissionsAndLeavesNothingElse) {
    QTemporaryDir folder;
    const QString destination = folder.filePath(QStringLiteral("run.sxq"));
    writeFile(destination, "old");
    {
        SaveFile save(destination, describe);
        EXPECT_EQ(contentOf(destination), "old") << "the destination is untouched until commit";
        writeFile(save.temporaryPath(), "new");
        save.commit();
    }
    EXPECT_EQ(contentOf(destination), "new");
    EXPECT_EQ(entriesOf(folder.path()), QStringList{QStringLiteral("run.sxq")});
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(destination).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
}

// Whatever goes wrong, the destination keeps what it held and no temporary file stays behind.
TEST(SaveFile, AFailedOrAbandonedSaveLeavesTheDestinationUntouchedAndNoTemporaryFile) {
    struct Case {
        const char* name;
        std::function<void(const QString& folder, const QString& destination)> prepare;
        bool commits;
        const char* error; // start of the description, or nothing when no error is raised
    };
    const Case cases[] = {
        {"abandoned before commit",
         [](const QString&, const QString& destination) { writeFile(destination, "old"); }, false, nullptr},
        {"destination is a folder",
         [](const QString&, const QString& destination) {
             QDir().mkpath(destination);
             writeFile(destination + QStringLiteral("/inside"), "old");
         },
         true, "cannot rename ("},
        {"folder is missing", [](const QString& folder, const QString&) { QDir(folder).removeRecursively(); },
         true, "cannot create ("},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("out"));
        QDir().mkpath(folder);
        const QString destination = folder + QStringLiteral("/result.vesk");
        c.prepare(folder, destination);
        const QStringList before = entriesOf(folder);
        const QByteArray kept = contentOf(destination);
        try {
            SaveFile save(destination, describe, QStringLiteral("Test"));
            writeFile(save.temporaryPath(), "new");
            if (c.commits)
                save.commit();
            EXPECT_EQ(c.error, nullptr) << "no error was raised";
        } catch (const errors::NumberedError& error) {
            ASSERT_NE(c.error, nullptr) << error.what();
            EXPECT_EQ(error.number(), errors::SystemError);
            EXPECT_TRUE(error.description().startsWith(QLatin1String(c.error))) << error.what();
            EXPECT_EQ(error.source(), QStringLiteral("Test"));
        }
        EXPECT_EQ(entriesOf(folder), before);
        EXPECT_EQ(contentOf(destination), kept);
    }
}
