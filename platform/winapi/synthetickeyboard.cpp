#include "synthetickeyboard.h"

// Qt before X11: the X headers define macros (None, KeyPress, ...) that clash with Qt's names.
#include "errors/numberederror.h"

#include <QString>

#include "virtualkeys.h"
#include "x11connection.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#define XK_MISCELLANY
#include <X11/keysymdef.h>

namespace winapi {

namespace {

constexpr unsigned controlCharacterReturn = 0x0D;
constexpr unsigned controlCharacterLineFeed = 0x0A;

QString displayDescription() {
    const QByteArray name = qgetenv("DISPLAY");
    return name.isEmpty() ? QStringLiteral("DISPLAY is not set")
                          : QStringLiteral("DISPLAY is \"%1\"").arg(QString::fromLocal8Bit(name));
}

// The key symbol a character is typed as: Latin-1 characters are their own symbols, other
// characters the Unicode symbols; the control characters that have keys of their own map to
// those. 0 when nothing types the character.
KeySym keySymOfCharacter(char32_t character) {
    switch (character) {
    case 0x08:
        return XK_BackSpace;
    case 0x09:
        return XK_Tab;
    case controlCharacterLineFeed:
    case controlCharacterReturn:
        return XK_Return;
    case 0x1B:
        return XK_Escape;
    default:
        break;
    }
    if ((character >= 0x20 && character <= 0x7E) || (character >= 0xA0 && character <= 0xFF))
        return character;
    if (character > 0xFF && character <= 0x10FFFF)
        return 0x01000000 | character;
    return 0;
}

} // namespace

SyntheticKeyboard::SyntheticKeyboard() : m_connection(std::make_unique<X11Connection>()) {
    Display* display = m_connection->display();
    if (!display)
        throw errors::NumberedError::system(
            QStringLiteral("Cannot type keys: no X display could be opened (%1).").arg(displayDescription()));
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        throw errors::NumberedError::system(
            QStringLiteral("Cannot type keys: the X server (%1) does not take synthesised input (XTEST).")
                .arg(displayDescription()));
}

SyntheticKeyboard::~SyntheticKeyboard() = default;

std::int16_t SyntheticKeyboard::keyScan(char32_t character) const {
    const KeySym wanted = keySymOfCharacter(character);
    if (wanted == 0)
        return -1;
    // Ctrl+Return is what types a line feed, as on the keyboards the numbering comes from.
    const int extraModifiers = character == controlCharacterLineFeed ? ControlNeeded : 0;
    Display* display = m_connection->display();
    int firstCode = 0, lastCode = 0;
    XDisplayKeycodes(display, &firstCode, &lastCode);
    // Only the plain and the shifted level count: those are what a press of the key with or
    // without Shift produces. The unshifted symbol of the key names its virtual key.
    for (unsigned level = 0; level < 2; ++level) {
        for (int code = firstCode; code <= lastCode; ++code) {
            const auto keyCode = static_cast<KeyCode>(code);
            if (XkbKeycodeToKeysym(display, keyCode, 0, static_cast<int>(level)) != wanted)
                continue;
            const int virtualKey = virtualKeyOfKeySym(XkbKeycodeToKeysym(display, keyCode, 0, 0));
            if (virtualKey != 0)
                return static_cast<std::int16_t>(virtualKey | (level == 1 ? ShiftNeeded : 0) |
                                                 extraModifiers);
        }
    }
    return -1;
}

void SyntheticKeyboard::sendKeyEvent(int virtualKey, int flags) {
    Display* display = m_connection->display();
    for (const KeySym keySym : keySymsOfVirtualKey(virtualKey)) {
        const KeyCode code = XKeysymToKeycode(display, keySym);
        if (code == 0)
            continue;
        XTestFakeKeyEvent(display, code, (flags & KeyUp) ? False : True, CurrentTime);
        XFlush(display);
        return;
    }
}

} // namespace winapi
