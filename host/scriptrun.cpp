#include "scriptrun.h"

#include "hostapplication.h"
#include "hostapplicationface.h"
#include "scriptloader.h"

#include "automation/dispatch.h"
#include "errors/numberederror.h"

#include <QFileInfo>

namespace host {

QString runScriptOnWindow(const QString& scriptPath, std::shared_ptr<GraphWindow> window) {
    // The host's objects must be creatable by the time the script asks for them.
    registerHostClasses();
    HostApplication::instance().setActiveGraphWindow(std::move(window));

    ScriptLoader loader;
    const auto script = loader.CreateScriptObject(scriptPath, QStringLiteral("ProcessClass"));
    if (!script)
        return QStringLiteral("The script could not be started: %1.").arg(loader.lastError());
    try {
        script->call(QStringLiteral("ProcessActive"));
    } catch (const errors::NumberedError& error) {
        return QStringLiteral("The script %1 stopped with an error: %2")
            .arg(QFileInfo(scriptPath).fileName(), error.description());
    }
    return {};
}

} // namespace host
