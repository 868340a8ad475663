#pragma once
// The host's late-bound faces: the HostApplication object that scripts create by programmatic id,
// and the graph window, panes, traces and selections they walk from it by dispatch id.

#include "host_export.h"

#include <QString>

namespace host {

// The programmatic id under which the host registers its application object.
inline const QString hostApplicationProgrammaticId = QStringLiteral("Corvana.HostApplication");

// Registers the HostApplication object (and Kestrum's creatable classes) by programmatic id, as the
// host does before it loads a script.
HOST_EXPORT void registerHostClasses();

} // namespace host
