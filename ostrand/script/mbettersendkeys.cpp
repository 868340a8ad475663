#include "mbettersendkeys.h"

#include "errors/numberederror.h"
#include "winapi/synthetickeyboard.h"

#include <QCoreApplication>

namespace MBetterSendKeys {

namespace {

using winapi::SyntheticKeyboard;

constexpr std::uint8_t VirtualKeyShift = 16;
constexpr std::uint8_t VirtualKeyControl = 17;
constexpr std::uint8_t VirtualKeyAlt = 18;
constexpr std::int32_t KeyUpFlags = SyntheticKeyboard::KeyUp;
// An extended-key release, the flags the key itself is released with.
constexpr std::int32_t ExtendedKeyUpFlags = 0x1 | SyntheticKeyboard::KeyUp;
// The character position is counted in 16 bits.
constexpr qsizetype LongestText = 32767;

void typeKeyOn(SyntheticKeyboard& keyboard, std::int16_t keyScanResult) {
    const bool shift = (keyScanResult & SyntheticKeyboard::ShiftNeeded) != 0;
    const bool control = (keyScanResult & SyntheticKeyboard::ControlNeeded) != 0;
    const bool alt = (keyScanResult & SyntheticKeyboard::AltNeeded) != 0;
    const auto virtualKey = static_cast<std::uint8_t>(keyScanResult & 0xFF);
    if (shift)
        keyboard.sendKeyEvent(VirtualKeyShift, 0);
    if (control)
        keyboard.sendKeyEvent(VirtualKeyControl, 0);
    if (alt)
        keyboard.sendKeyEvent(VirtualKeyAlt, 0);
    keyboard.sendKeyEvent(virtualKey, 0);
    keyboard.sendKeyEvent(virtualKey, ExtendedKeyUpFlags);
    if (alt)
        keyboard.sendKeyEvent(VirtualKeyAlt, KeyUpFlags);
    if (control)
        keyboard.sendKeyEvent(VirtualKeyControl, KeyUpFlags);
    if (shift)
        keyboard.sendKeyEvent(VirtualKeyShift, KeyUpFlags);
}

} // namespace

void TypeText(const QString& text) {
    if (text.size() > LongestText)
        throw errors::NumberedError::standard(errors::Overflow);
    // One connection for the whole text; a character that no key types is sent as key scan -1,
    // which presses virtual key 255 with every modifier around it.
    SyntheticKeyboard keyboard;
    for (const QChar character : text) {
        QCoreApplication::processEvents();
        typeKeyOn(keyboard, keyboard.keyScan(character.unicode()));
    }
}

void TypeKey(std::int16_t keyScanResult) {
    SyntheticKeyboard keyboard;
    typeKeyOn(keyboard, keyScanResult);
}

void SendKeyEvent(std::uint8_t virtualKey, std::int32_t flags) {
    SyntheticKeyboard keyboard;
    keyboard.sendKeyEvent(virtualKey, flags);
}

} // namespace MBetterSendKeys
