#pragma once
// Per-user settings of one application, by section and key: small remembered choices such as the
// last file a user picked. Each application has its own file in the user's settings folder.

#include "platform_export.h"

#include <QString>

namespace appsettings {

// The text stored under (application, section, key), or `defaultText` when there is none.
PLATFORM_EXPORT QString value(const QString& application, const QString& section, const QString& key,
                              const QString& defaultText = {});
// Stores the text under (application, section, key); false when it could not be saved.
PLATFORM_EXPORT bool save(const QString& application, const QString& section, const QString& key,
                          const QString& text);

// The file that holds an application's settings.
PLATFORM_EXPORT QString settingsFilePath(const QString& application);

} // namespace appsettings
