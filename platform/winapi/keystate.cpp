#include "keystate.h"

// Qt before X11: the X headers define macros (None, KeyPress, ...) that clash with Qt's names.
#include <QGuiApplication>

#include "virtualkeys.h"
#include "x11connection.h"

#include <optional>

namespace winapi {

namespace {

// The modifier keys the GUI application knows the state of (either key of a pair); other keys,
// including the left and right keys on their own, are asked of the X server.
std::optional<Qt::KeyboardModifier> modifierOfVirtualKey(int virtualKey) {
    switch (virtualKey) {
    case 0x10:
        return Qt::ShiftModifier;
    case 0x11:
        return Qt::ControlModifier;
    case 0x12:
        return Qt::AltModifier;
    default:
        return std::nullopt;
    }
}

// The keys held on the X server's keyboard: XQueryKeymap reports keys physically down, never
// the toggled state of a lock key.
bool isKeyDownOnXServer(int virtualKey) {
    const X11Connection connection;
    if (!connection.display())
        return false;
    char keys[32] = {};
    XQueryKeymap(connection.display(), keys);
    for (const KeySym keySym : keySymsOfVirtualKey(virtualKey)) {
        const KeyCode code = XKeysymToKeycode(connection.display(), keySym);
        if (code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0)
            return true;
    }
    return false;
}

} // namespace

bool isKeyDown(int virtualKey) {
    const auto modifier = modifierOfVirtualKey(virtualKey);
    if (modifier && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::queryKeyboardModifiers().testFlag(*modifier);
    return isKeyDownOnXServer(virtualKey);
}

} // namespace winapi
