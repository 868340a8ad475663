#pragma once
// Loads a script library and creates one of its classes, the way the host application runs a
// processing script. A script is either the library itself (.so) or a script file (.aasf) that
// names the library beside it.

#include "host_export.h"

#include <QString>
#include <memory>

namespace automation {
class Dispatch;
}

namespace host {

class HOST_EXPORT ScriptLoader {
public:
    // A new object of `className` from the script at `path`, or nothing when the file, the
    // library's entry point or the class is missing; lastError() then says which.
    std::shared_ptr<automation::Dispatch> CreateScriptObject(const QString& path, const QString& className);

    const QString& lastError() const { return m_lastError; }

    // The library that a script file names, resolved against the script file's folder; empty with
    // a reason in `whyNot` when the file cannot be read or names no library.
    static QString libraryOfScriptFile(const QString& scriptFilePath, QString* whyNot);

private:
    std::shared_ptr<automation::Dispatch> fail(const QString& reason);

    QString m_lastError;
};

} // namespace host
