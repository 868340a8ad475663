#pragma once
// Small operating-system helpers the script library calls directly: bringing a window to the
// front, unique empty files for query text, and whether a key is held.

#include "export/sorvexstringhelper.h"

#include <QString>

#include <cstdint>

namespace CommonWin32API {

// The three-letter prefix of the temporary query files the library makes.
inline const QString TempFilePrefix = ostrand::QueryTempFilePrefix;

// Brings the top-level window with this id to the front; nothing is reported back.
void BringWindowToFront(std::int32_t windowHandle);

// A new empty file in the user's temporary folder, named from the first three characters of the
// prefix, four hexadecimal digits and ".tmp"; raises a system error when none can be created.
QString GetUniqueTempFile(const QString& prefix);

// The same in the given folder.
QString GetUniqueFileIn(const QString& prefix, const QString& folder);

// True while the key with this virtual-key number (16 Shift, 17 Control, 18 Alt) is held down;
// a toggled lock key does not count.
bool IsKeyDown(int virtualKey);

// Hands the diagnostic log its check of Shift and Control, which switches logging on for the load
// when both are held at the first log call.
void InstallDebugKeysCheck();

} // namespace CommonWin32API
