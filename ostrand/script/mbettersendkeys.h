#pragma once
// Types text into whichever window has the keyboard focus by synthesising key presses, for form
// fields that cannot be filled any other way (a web form's file field).

#include <QString>

#include <cstdint>

namespace MBetterSendKeys {

// Types the text one character at a time, letting pending window events run before each. A text
// longer than 32767 characters raises an overflow error (6) before any key is sent.
void TypeText(const QString& text);

// Presses and releases one key with the modifiers a key scan result asks for: 0x100 Shift,
// 0x200 Control, 0x400 Alt around the virtual key in the low byte.
void TypeKey(std::int16_t keyScanResult);

// Presses a key by virtual-key number, or releases it when flags has 0x2.
void SendKeyEvent(std::uint8_t virtualKey, std::int32_t flags);

} // namespace MBetterSendKeys
