#pragma once
// The user's temporary folder and new, uniquely named empty files in a folder, for query files
// that must not overwrite anything already there.

#include "platform_export.h"

#include <QString>

namespace files {

// The temporary folder from $TMPDIR, /tmp/ when it is not set; always ends in a separator.
PLATFORM_EXPORT QString temporaryFolder();

// Creates a new empty file in the folder, named from the first three characters of the prefix,
// four hexadecimal digits and ".tmp", and returns its path. The file is created exclusively, so
// an existing file is never taken over; a taken name moves on to the next number. Raises a
// system error naming the folder and the reason when no file can be created there.
PLATFORM_EXPORT QString createUniqueFile(const QString& folder, const QString& prefix);

} // namespace files
