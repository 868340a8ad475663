#pragma once
// Small operating-system helpers the script library calls directly: bringing a window to the
// front, unique empty files for query text, and whether a key is held.

#include <QString>

#include <cstdint>

namespace CommonWin32API {

// The three-letter prefix of the temporary query files the library makes.
inline const QString TempFilePrefix = QStringLiteral("sor");

// True while the key with this virtual-key number (16 Shift, 17 Control, 18 Alt) is held down;
// a toggled lock key does not count.
bool IsKeyDown(int virtualKey);

} // namespace CommonWin32API
