#pragma once
// Where the settings files of the system live: the user's and the system's configuration
// folders, shared by every program of the system, or one folder for both when the environment
// variable OSTRAND_SETTINGS_DIR names it (tests and portable installations use that).

#include "platform_export.h"

#include <QString>

namespace registry {

// The folder of the current user's settings, e.g. ~/.config/ostrand.
PLATFORM_EXPORT QString userSettingsFolder();
// The folder of the machine-wide settings, e.g. /etc/xdg/ostrand.
PLATFORM_EXPORT QString systemSettingsFolder();

// A name as it can stand in a settings file or as a settings file's own name: characters that
// would end, split or escape it ('%', '=', '[', ']', '/', '\', ';', '#', control characters, and
// spaces at either end) are written as %XX.
PLATFORM_EXPORT QString encodedSettingsName(const QString& name);

} // namespace registry
