#pragma once
// The text format of a hive file, as QSettings reads and writes it: one section per key named by
// its full path, then one "name=text" line per value, e.g.
//
//   [SOFTWARE\Brenlow\Corvana\Scripts\Sorvex]
//   Debug=0
//
// so that a user can find and change a value by hand. Internal to the registry.

#include <QSettings>
#include <QString>

namespace registry::hivefile {

// The QSettings format of hive files, registered on first use.
QSettings::Format format();

// The settings entry that marks a key with no values, so that an empty key still exists; no
// encoded name (encodedSettingsName) can be this.
inline const QString emptyKeyMarker = QStringLiteral("%");

} // namespace registry::hivefile
