#include "savefile.h"

#include "errors/numberederror.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
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

} // namespace

SaveFile::SaveFile(const QString& destination, Describe describe, QString source)
    : m_destination(QFileInfo(destination).absoluteFilePath()), m_describe(std::move(describe)),
      m_source(std::move(source)) {
    checkDestination();
    const QFileInfo destinationInfo(m_destination);
    QTemporaryFile temporary(destinationInfo.absolutePath() + u'/' +
                             destinationInfo.fileName().left(temporaryNameStemLength) +
                             QStringLiteral(".XXXXXX.part"));
    temporary.setAutoRemove(false);
    if (!temporary.open())
        raise(Step::Create, temporary.errorString());
    m_temporaryPath = temporary.fileName();
    // A temporary file is private to its owner; the finished file gets the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(temporary.handle(), 0666 & ~mask);
}

SaveFile::~SaveFile() {
    if (!m_committed)
        QFile::remove(m_temporaryPath);
}

void SaveFile::commit(const std::function<void()>& beforeReplacing) {
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
