#pragma once
// Bringing a top-level window of any program to the front of the screen by its window id.

#include "platform_winapi_export.h"

#include <cstdint>

namespace winapi {

// Asks the window manager to activate the window and raises it; with no window manager the
// window also takes the keyboard focus. Nothing happens without a display, and an id that
// names no window is ignored.
PLATFORM_WINAPI_EXPORT void bringWindowToFront(std::uint32_t windowId);

} // namespace winapi
