#include "errors/numberederror.h"
#include "files/savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/stat.h>
#include <unistd.h>

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

// A replaced file keeps its permissions and group, and a successful save clears the temporary files
// of its destination that killed writers left (nobody holds their lock); a writer at work keeps
// its own, and other destinations' files stay.
TEST(SaveFile, ReplacingKeepsPermissionsAndGroupAndClearsWhatKilledWritersLeft) {
    const struct {
        const char* what;
        mode_t mode; // of the file replaced; 0 for none
        gid_t group; // of the file replaced
    } cases[] = {
        {"private file", 0600, 0},
        {"group-readable file of another group", 0640, 1},
        {"no file to replace", 0, 0},
    };
    const mode_t mask = ::umask(0);
    ::umask(mask);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QTemporaryDir folder;
        const QString destination = folder.filePath(QStringLiteral("run.sxq"));
        const QByteArray path = QFile::encodeName(destination);
        if (c.mode != 0) {
            writeFile(destination, "old");
            ASSERT_EQ(::chmod(path.constData(), c.mode), 0);
            if (::chown(path.constData(), static_cast<uid_t>(-1), c.group) != 0)
                GTEST_SKIP() << "this user cannot give a file group " << c.group;
        }
        // What a killed writer of this destination left, and another destination's.
        writeFile(folder.filePath(QStringLiteral("run.sxq.aB3dE9.part")), "killed");
        writeFile(folder.filePath(QStringLiteral("other.sxq.aB3dE9.part")), "other");
        SaveFile atWork(destination, describe);
        {
            SaveFile save(destination, describe);
            writeFile(save.temporaryPath(), "new");
            save.commit();
        }
        EXPECT_EQ(contentOf(destination), "new");
        struct stat status {};
        ASSERT_EQ(::stat(path.constData(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, c.mode != 0 ? c.mode : 0666 & ~mask);
        if (c.mode != 0) {
            EXPECT_EQ(status.st_gid, c.group);
        }
        EXPECT_EQ(entriesOf(folder.path()),
                  (QStringList{QStringLiteral("other.sxq.aB3dE9.part"), QStringLiteral("run.sxq"),
                               QFileInfo(atWork.temporaryPath()).fileName()}));
    }
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

// rename() would replace whatever is at the destination with a regular file; anything but a
// regular file there is refused by name and left as it was, and a long but legal name still saves.
TEST(SaveFile, ReplacesOnlyARegularFileAndTakesAnyLegalName) {
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("target"));
    writeFile(target, "old");
    struct Case {
        const char* name;
        std::function<void(const QString& destination)> make;
        const char* kind;
    };
    const Case cases[] = {
        {"named pipe",
         [](const QString& at) { ASSERT_EQ(::mkfifo(QFile::encodeName(at).constData(), 0600), 0); },
         "a named pipe"},
        {"symbolic link", [&](const QString& at) { ASSERT_TRUE(QFile::link(target, at)); },
         "a symbolic link"},
        {"folder", [](const QString& at) { ASSERT_TRUE(QDir().mkpath(at)); }, "a folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString destination = folder.filePath(QLatin1String(c.name));
        c.make(destination);
        struct stat before {};
        ASSERT_EQ(::lstat(QFile::encodeName(destination).constData(), &before), 0);
        const QStringList entries = entriesOf(folder.path());
        try {
            SaveFile save(destination, describe);
            writeFile(save.temporaryPath(), "new");
            save.commit();
            ADD_FAILURE() << "no error was raised";
        } catch (const errors::NumberedError& error) {
            EXPECT_EQ(error.description(),
                      QStringLiteral("Cannot write '%1': it is %2, not a regular file, and is "
                                     "left as it is.")
                          .arg(destination, QLatin1String(c.kind)));
        }
        struct stat after {};
        ASSERT_EQ(::lstat(QFile::encodeName(destination).constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(entriesOf(folder.path()), entries);
    }
    EXPECT_EQ(contentOf(target), "old");

    const QString longName = folder.filePath(QString(250, u'q') + QStringLiteral(".sxq"));
    SaveFile save(longName, describe);
    writeFile(save.temporaryPath(), "new");
    save.commit();
    EXPECT_EQ(contentOf(longName), "new");
}
