#include "savefile.h"

#include "errors/numberederror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace files {

namespace {

QString systemReason() {
    return systemErrorText(errno);
}

// Few file systems take names over 255 bytes; the temporary name keeps well below that, so any
// destination name that is legal has a temporary name that is legal too.
constexpr qsizetype temporaryNameStemLength = 40;

// Forces a file or folder to disk; false when that is not possible.
bool syncToDisk(const QString& path) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    const bool synced = ::fsync(descriptor) == 0;
    ::close(descriptor);
    return synced;
}

// The lock a writer holds on its temporary file. It goes with the writer's process, however that
// ends, and does not meet the locks that SQLite takes on the same file.
bool takeLock(int descriptor) {
    return ::flock(descriptor, LOCK_EX | LOCK_NB) == 0;
}

bool isFileAt(int descriptor, const QString& path) {
    struct stat open {};
    struct stat named {};
    return ::fstat(descriptor, &open) == 0 && ::stat(QFile::encodeName(path).constData(), &named) == 0 &&
           open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

// The number of times a save makes its temporary file anew when another save's cleanup takes it
// away between its creation and its lock.
constexpr int creationAttempts = 5;

} // namespace

SaveFile::SaveFile(const QString& destination, Describe describe, QString source)
    : m_destination(QFileInfo(destination).absoluteFilePath()), m_describe(std::move(describe)),
      m_source(std::move(source)) {
    checkDestination();
    for (int attempt = 0; attempt < creationAttempts; ++attempt)
        if (createLockedTemporaryFile())
            return;
    raise(Step::Create, QStringLiteral("its temporary file was removed as it was made"));
}

QString SaveFile::temporaryFileTemplate() const {
    const QFileInfo destination(m_destination);
    return destination.absolutePath() + u'/' + destination.fileName().left(temporaryNameStemLength) +
           QStringLiteral(".XXXXXX.part");
}

bool SaveFile::createLockedTemporaryFile() {
    QTemporaryFile temporary(temporaryFileTemplate());
    temporary.setAutoRemove(false);
    if (!temporary.open())
        raise(Step::Create, temporary.errorString());
    m_temporaryPath = temporary.fileName();
    // A temporary file is private to its owner; the finished file gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(temporary.handle(), 0666 & ~mask);
    m_lock = ::open(QFile::encodeName(m_temporaryPath).constData(), O_RDONLY | O_CLOEXEC);
    if (m_lock < 0) {
        const QString reason = systemReason();
        QFile::remove(m_temporaryPath);
        raise(Step::Create, reason);
    }
    if (takeLock(m_lock) && isFileAt(m_lock, m_temporaryPath))
        return true;
    // Another save's cleanup found the file before its lock was taken, and removes it.
    ::close(m_lock);
    m_lock = -1;
    return false;
}

SaveFile::~SaveFile() {
    if (!m_committed)
        QFile::remove(m_temporaryPath);
    if (m_lock >= 0)
        ::close(m_lock);
}

void SaveFile::commit(const std::function<void()>& beforeReplacing) {
    keepDestinationPermissions();
    // The finished file must be durable before it replaces anything under its final name.
    if (!syncToDisk(m_temporaryPath))
        raise(Step::Sync, systemReason());
    if (beforeReplacing)
        beforeReplacing();
    checkDestination();
    // rename() replaces an existing file atomically, so readers see either the old or the new file.
    if (std::rename(QFile::encodeName(m_temporaryPath).constData(),
                    QFile::encodeName(m_destination).constData()) != 0)
        raise(Step::Rename, systemReason());
    m_committed = true;
    // Best effort: the rename itself is already visible to every reader.
    syncToDisk(QFileInfo(m_destination).absolutePath());
    removeAbandonedTemporaryFiles();
}

void SaveFile::keepDestinationPermissions() const {
    struct stat replaced {};
    if (::stat(QFile::encodeName(m_destination).constData(), &replaced) != 0)
        return;
    // Best effort, as a user who may not give the file that group keeps the usual one.
    [[maybe_unused]] const int grouped = ::fchown(m_lock, static_cast<uid_t>(-1), replaced.st_gid);
    ::fchmod(m_lock, replaced.st_mode & 0777);
}

// What a writer killed before its commit left behind: a temporary file of this destination that
// nobody holds the lock of. A file locked meanwhile, by a writer that has just made it, stays.
void SaveFile::removeAbandonedTemporaryFiles() const {
    const QFileInfo destination(m_destination);
    const QRegularExpression temporaryName(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(destination.fileName().left(temporaryNameStemLength)) +
        QStringLiteral("\\.[^/]{6}\\.part")));
    const QDir folder = destination.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden)) {
        if (!temporaryName.match(name).hasMatch())
            continue;
        const QString path = folder.filePath(name);
        const int descriptor =
            ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (descriptor < 0)
            continue;
        if (takeLock(descriptor) && isFileAt(descriptor, path))
            ::unlink(QFile::encodeName(path).constData());
        ::close(descriptor);
    }
}

void SaveFile::raise(Step step, const QString& reason) const {
    throw errors::NumberedError::system(m_describe(step, reason), m_source);
}

// rename() would put a regular file in place of whatever is there, a pipe or /dev/null included,
// and replace a symbolic link rather than the file it points to.
void SaveFile::checkDestination() const {
    struct stat status {};
    if (::lstat(QFile::encodeName(m_destination).constData(), &status) != 0 || S_ISREG(status.st_mode))
        return;
    throw errors::NumberedError::system(
        QStringLiteral("Cannot write '%1': it is %2, not a regular file, and is left as it is.")
            .arg(m_destination, fileKindText(status.st_mode)),
        m_source);
}

bool isSameFile(const QString& first, const QString& second) {
    struct stat one {};
    struct stat other {};
    return ::stat(QFile::encodeName(first).constData(), &one) == 0 &&
           ::stat(QFile::encodeName(second).constData(), &other) == 0 && one.st_dev == other.st_dev &&
           one.st_ino == other.st_ino;
}

QString fileKindText(mode_t mode) {
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link");
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return QStringLiteral("a device");
}

QString systemErrorText(int errorNumber) {
    if (errorNumber == ENOSPC)
        return QStringLiteral("the disk is full");
    if (errorNumber == EDQUOT)
        return QStringLiteral("the disk quota is used up");
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

} // namespace files
