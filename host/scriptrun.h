#pragma once
// Runs a processing script on a graph window, as the host's "run script" command does: the window
// becomes the active graph window, the script's ProcessClass object is created through the script
// loader and its ProcessActive is called; the call returns when the script has finished.

#include "graphwindow.h"
#include "host_export.h"

#include <QString>
#include <memory>

namespace host {

// Empty when the script ran, else what went wrong in words for the user.
HOST_EXPORT QString runScriptOnWindow(const QString& scriptPath, std::shared_ptr<GraphWindow> window);

} // namespace host
