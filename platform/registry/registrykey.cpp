#include "registrykey.h"

#include "hivefile.h"
#include "settingsfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSaveFile>

#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace registry {

namespace {

// How long a write waits for another program that is writing the same hive.
constexpr int lockWaitMilliseconds = 10000;

thread_local QString lastFailureText;

// What tells one version of a hive file from another: every save replaces the file.
struct FileIdentity {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return {};
    return {true, status.st_dev, status.st_ino, status.st_size,
            std::int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec};
}

// Each hive file is read again only when it has changed on disk, so that the many values a
// program reads cost one reading of the file, and each reading sees what other programs saved.
std::shared_ptr<const HiveFile> currentHive(const QString& path) {
    struct Cached {
        FileIdentity identity;
        std::shared_ptr<const HiveFile> hive;
    };
    static std::mutex mutex;
    static QHash<QString, Cached> cache;
    // Taken before reading, so that a file replaced meanwhile is read again next time.
    const FileIdentity identity = identityOf(path);
    {
        const std::lock_guard lock(mutex);
        const auto cached = cache.constFind(path);
        if (cached != cache.cend() && cached->identity == identity)
            return cached->hive;
    }
    auto hive = std::make_shared<const HiveFile>(HiveFile::read(path));
    const std::lock_guard lock(mutex);
    cache.insert(path, {identity, hive});
    return hive;
}

std::shared_ptr<const HiveFile> currentHive(Hive hive) {
    return currentHive(hiveFilePath(hive));
}

ErrorNumber failed(const QString& text) {
    lastFailureText = text;
    return AccessDenied;
}

// Saves the change that `change` makes to the hive as it is on disk now, under the hive's lock
// so that changes of other programs are neither lost nor overwritten. `change` gives nothing when
// the hive already holds what it would write, and then nothing is written.
template <typename Change> ErrorNumber save(Hive hive, Change change) {
    const QString path = hiveFilePath(hive);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("Cannot create the settings folder %1").arg(folder));
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(lockWaitMilliseconds)) {
        if (lock.error() == QLockFile::LockFailedError)
            return failed(QStringLiteral("The settings file %1 stayed locked by another program").arg(path));
        return failed(QStringLiteral("Cannot create the lock file %1.lock beside the settings file%2")
                          .arg(path, lock.error() == QLockFile::PermissionError
                                         ? QStringLiteral(": permission denied")
                                         : QString()));
    }
    const std::optional<QByteArray> bytes = change(*currentHive(path));
    if (!bytes)
        return NoError;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(*bytes) != bytes->size() || !file.commit())
        return failed(QStringLiteral("Cannot write the settings file %1: %2").arg(path, file.errorString()));
    return NoError;
}

} // namespace

QString hiveFilePath(Hive hive) {
    if (hive == Hive::CurrentUser)
        return userSettingsFolder() + QStringLiteral("/current-user.ini");
    return systemSettingsFolder() + QStringLiteral("/local-machine.ini");
}

QString lastFailure() {
    return lastFailureText;
}

std::optional<Key> Key::open(Hive hive, const QString& path) {
    const HiveFile::KeyPath resolved = currentHive(hive)->resolve(path);
    if (!resolved.exists)
        return std::nullopt;
    return Key(hive, resolved.group);
}

std::optional<Key> Key::create(Hive hive, const QString& path, ErrorNumber* error) {
    HiveFile::KeyPath resolved = currentHive(hive)->resolve(path);
    ErrorNumber result = NoError;
    if (!resolved.exists) {
        result = save(hive, [&](const HiveFile& current) -> std::optional<QByteArray> {
            resolved = current.resolve(path);
            if (resolved.exists)
                return std::nullopt;
            return current.withKey(resolved.group);
        });
    }
    if (error)
        *error = result;
    if (result != NoError)
        return std::nullopt;
    return Key(hive, resolved.group);
}

std::optional<QString> Key::value(const QString& name) const {
    return currentHive(m_hive)->value(m_settingsGroup, name);
}

ErrorNumber Key::setValue(const QString& name, const QString& text) {
    // A value that already holds the text is not written, so that a program that only reads
    // settings works in a folder it cannot write.
    if (value(name) == text)
        return NoError;
    return save(m_hive, [&](const HiveFile& current) -> std::optional<QByteArray> {
        if (current.value(m_settingsGroup, name) == text)
            return std::nullopt;
        return current.withValue(m_settingsGroup, name, text);
    });
}

} // namespace registry
