#pragma once
// Synthesised keyboard input on the X server named by DISPLAY (XTest): finds the key and the
// modifiers that type a character, and presses or releases keys by virtual-key number, as if
// the user did. The keystrokes reach whichever window has the keyboard focus.

#include "platform_winapi_export.h"

#include <cstdint>
#include <memory>

namespace winapi {

class X11Connection;

class PLATFORM_WINAPI_EXPORT SyntheticKeyboard {
public:
    // Bits of a key scan result above the virtual key: the modifiers the character needs.
    static constexpr int ShiftNeeded = 0x100;
    static constexpr int ControlNeeded = 0x200;
    static constexpr int AltNeeded = 0x400;
    // Key event flag: release the key instead of pressing it.
    static constexpr int KeyUp = 0x2;

    // Connects to the X server; raises a system error when no display can be opened or the
    // server does not take synthesised input.
    SyntheticKeyboard();
    ~SyntheticKeyboard();
    SyntheticKeyboard(const SyntheticKeyboard&) = delete;
    SyntheticKeyboard& operator=(const SyntheticKeyboard&) = delete;

    // The key that types a character on the server's current keyboard layout: the low byte is
    // its virtual key, with ShiftNeeded and the like for the modifiers; -1 when no key types it.
    std::int16_t keyScan(char32_t character) const;
    // Presses the key of a virtual key, or releases it when flags has KeyUp; a virtual key that
    // no key of the keyboard answers to is not sent.
    void sendKeyEvent(int virtualKey, int flags);

private:
    std::unique_ptr<X11Connection> m_connection;
};

} // namespace winapi
