#pragma once
// Whether a key is held down at this moment, by its virtual-key number (16 Shift, 17 Control,
// 18 Alt, ...). A lock key that is merely toggled on, such as Caps Lock, is not held.

#include "platform_winapi_export.h"

namespace winapi {

// Asks the GUI application when there is one (modifier keys), else the X server named by
// DISPLAY; with neither, no key is held.
PLATFORM_WINAPI_EXPORT bool isKeyDown(int virtualKey);

} // namespace winapi
