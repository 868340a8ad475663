#include "installedscripts.h"

#include <QDir>
#include <QFileInfo>

namespace host {

QString ostrandScriptLibrary() {
    // There may be no application object yet to ask for the program's folder.
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QDir programFolder = QFileInfo(program).absoluteDir();
    for (const QString& relative :
         {QStringLiteral("../lib/ostrand/libostrand.so"), QStringLiteral("../lib/libostrand.so")}) {
        const QString candidate = QDir::cleanPath(programFolder.absoluteFilePath(relative));
        if (QFileInfo::exists(candidate))
            return candidate;
    }
    return {};
}

} // namespace host
