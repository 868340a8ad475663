#pragma once
// Text taken from a file (a sample name, a path) that is shown on one line: of a query file, of a
// listing on a terminal, of a message. A control character in it would break the line, end the
// text early (a NUL) or start a terminal sequence (an escape), so each becomes "_", and a CR LF
// pair one "_".

#include "platform_export.h"

#include <QString>

namespace messages {

PLATFORM_EXPORT QString printableOnOneLine(QString text);

} // namespace messages
