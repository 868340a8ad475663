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
    return QString::fromLocal8Bit(std::strerror(errno));
}

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
    QTemporaryFile temporary(m_destination + QStringLiteral(".XXXXXX.part"));
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

void SaveFile::commit() {
    // The finished file must be durable before it replaces anything under its final name.
    if (!syncToDisk(m_temporaryPath))
        raise(Step::Sync, systemReason());
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

} // namespace files
