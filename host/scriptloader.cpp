#include "scriptloader.h"

#include "automation/classregistry.h"
#include "errors/numberederror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <dlfcn.h>

namespace host {

namespace {

const QString scriptFileSuffix = QStringLiteral("aasf");
const QString libraryKey = QStringLiteral("library");

} // namespace

QString ScriptLoader::libraryOfScriptFile(const QString& scriptFilePath, QString* whyNot) {
    QFile file(scriptFilePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *whyNot = QStringLiteral("cannot read script file %1: %2").arg(scriptFilePath, file.errorString());
        return {};
    }
    // A script file holds "Library=<file name>" lines; blank lines and lines starting with '#'
    // are comments.
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed().compare(libraryKey, Qt::CaseInsensitive) != 0)
            continue;
        const QString library = line.mid(equals + 1).trimmed();
        if (library.isEmpty())
            break;
        return QFileInfo(scriptFilePath).absoluteDir().absoluteFilePath(library);
    }
    *whyNot = QStringLiteral("script file %1 names no library (expected a line Library=<file>)")
                  .arg(scriptFilePath);
    return {};
}

std::shared_ptr<automation::Dispatch> ScriptLoader::CreateScriptObject(const QString& path,
                                                                       const QString& className) {
    m_lastError.clear();
    QString libraryPath = path;
    if (QFileInfo(path).suffix().compare(scriptFileSuffix, Qt::CaseInsensitive) == 0) {
        QString whyNot;
        libraryPath = libraryOfScriptFile(path, &whyNot);
        if (libraryPath.isEmpty())
            return fail(whyNot);
    }
    if (!QFileInfo(libraryPath).isFile())
        return fail(QStringLiteral("script library %1 does not exist").arg(libraryPath));

    // Libraries stay loaded for the life of the process: objects they created may be held anywhere.
    void* handle = dlopen(QFile::encodeName(libraryPath).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        return fail(QStringLiteral("cannot load script library %1: %2")
                        .arg(libraryPath, QString::fromLocal8Bit(dlerror())));
    auto entryPoint =
        reinterpret_cast<automation::ScriptEntryPoint>(dlsym(handle, automation::scriptEntryPointName));
    if (!entryPoint)
        return fail(QStringLiteral("%1 is not a script library: it has no entry point %2")
                        .arg(libraryPath, QLatin1String(automation::scriptEntryPointName)));

    std::shared_ptr<automation::Dispatch> object;
    try {
        if (entryPoint(className.toUtf8().constData(), &object) != 0 || !object)
            return fail(QStringLiteral("script library %1 has no class %2").arg(libraryPath, className));
    } catch (const errors::NumberedError& error) {
        return fail(QStringLiteral("creating %1 from %2 failed: %3")
                        .arg(className, libraryPath, error.description()));
    }
    return object;
}

std::shared_ptr<automation::Dispatch> ScriptLoader::fail(const QString& reason) {
    m_lastError = reason;
    return nullptr;
}

} // namespace host
