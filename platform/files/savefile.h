#pragma once
// The one way the system replaces a file it writes (acquisitions, converted spectra, query files):
// everything goes into a temporary file in the destination's folder, which commit() forces to disk
// and renames over the destination in one step, so readers see the old file or the whole new one.
// A SaveFile destroyed without commit(), by a failure or an interrupt, removes its temporary file
// and leaves the destination untouched. It replaces only a regular file: a pipe, a device, a
// folder or a symbolic link at the destination is an error that names it, and is left alone. A
// replaced file keeps its permissions and group.
//
// A writer holds a lock on its temporary file for as long as it lives, so that the temporary files
// of a writer that was killed can be told apart: a successful save removes those of its
// destination.

#include "platform_export.h"

#include <QString>
#include <functional>
#include <sys/types.h>

namespace files {

class PLATFORM_EXPORT SaveFile {
public:
    // The step of a save that failed, for the caller's own wording of the error.
    enum class Step { Create, Sync, Rename };
    // The description of a failed step, given the operating system's reason.
    using Describe = std::function<QString(Step step, const QString& reason)>;

    // Creates the empty temporary file, with the permissions a new file in that folder usually
    // gets. Raises a system error worded by `describe` (and carrying `source`) when the folder is
    // not writable; later failures of commit() are worded the same way. Raises a system error of
    // its own when the destination exists and is not a regular file.
    SaveFile(const QString& destination, Describe describe, QString source = {});
    ~SaveFile();
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    // The destination as an absolute path.
    const QString& destination() const { return m_destination; }
    // Where the content is written until commit().
    const QString& temporaryPath() const { return m_temporaryPath; }

    // Flushes the finished temporary file to disk and renames it over the destination, then removes
    // the temporary files of the destination whose writers have gone. The caller has closed every
    // handle it wrote through. `beforeReplacing` runs between the two, the last moment at which the
    // caller may still abandon the save by throwing.
    void commit(const std::function<void()>& beforeReplacing = {});

private:
    [[noreturn]] void raise(Step step, const QString& reason) const;
    void checkDestination() const;
    // Creates the temporary file and takes its lock; false when a cleanup removed it meanwhile.
    bool createLockedTemporaryFile();
    // Gives the temporary file the permissions and group of the file it replaces, if there is one.
    void keepDestinationPermissions() const;
    void removeAbandonedTemporaryFiles() const;
    QString temporaryFileTemplate() const;

    QString m_destination;
    QString m_temporaryPath;
    // An open descriptor of the temporary file holding its lock; -1 when none is held.
    int m_lock = -1;
    Describe m_describe;
    QString m_source;
    bool m_committed = false;
};

// Whether both paths name one existing file, through symbolic links and hard links alike: the
// test every writer makes before it replaces a file it also reads.
PLATFORM_EXPORT bool isSameFile(const QString& first, const QString& second);

// What a file that is not a regular one is, for a message: "a named pipe", "a folder", ...
PLATFORM_EXPORT QString fileKindText(mode_t mode);

// The operating system's reason for the error number, in words a user acts on: a full disk says
// that the disk is full.
PLATFORM_EXPORT QString systemErrorText(int errorNumber);

} // namespace files
