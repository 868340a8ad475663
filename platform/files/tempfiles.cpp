#include "tempfiles.h"

#include "errors/numberederror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace files {

namespace {

QString withSeparator(const QString& folder) {
    return folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
}

errors::NumberedError cannotCreateIn(const QString& folder, const QString& reason) {
    return errors::NumberedError::system(
        QStringLiteral("Cannot create a temporary file in %1: %2").arg(folder, reason));
}

} // namespace

QString temporaryFolder() {
    const QString fromEnvironment = qEnvironmentVariable("TMPDIR");
    return withSeparator(fromEnvironment.isEmpty() ? QStringLiteral("/tmp") : fromEnvironment);
}

QString createUniqueFile(const QString& folder, const QString& prefix) {
    const QString base = withSeparator(folder.isEmpty() ? QDir::currentPath() : folder);
    const QString namePrefix = prefix.left(3);
    if (namePrefix.contains(QLatin1Char('/')))
        throw cannotCreateIn(base, QStringLiteral("the prefix \"%1\" contains a separator").arg(prefix));
    // Numbers run from a random start through all 65535 non-zero values, so concurrent callers
    // rarely meet and a nearly full folder still finds its free name.
    const auto start = static_cast<int>(QRandomGenerator::global()->bounded(1, 0x10000));
    for (int step = 0; step < 0xFFFF; ++step) {
        const int number = (start - 1 + step) % 0xFFFF + 1;
        QString path = base + namePrefix +
                       QStringLiteral("%1").arg(number, 4, 16, QLatin1Char('0')).toUpper() +
                       QStringLiteral(".tmp");
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        // Only a taken name moves on; a dangling link counts as taken, as the open refused it.
        const QFileInfo existing(path);
        if (!existing.exists() && !existing.isSymLink())
            throw cannotCreateIn(base, file.errorString());
    }
    throw cannotCreateIn(base, QStringLiteral("every file name is taken"));
}

} // namespace files
