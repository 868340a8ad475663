#include "testsupport/environmentoverride.h"
#include "winapi/keystate.h"

#include "x11test.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class KeyState : public winapitest::X11Test {
protected:
    // Presses or releases a key on the server, as the user would, and waits until it is done.
    void fakeKey(KeySym keySym, bool down) {
        XTestFakeKeyEvent(display, XKeysymToKeycode(display, keySym), down ? True : False, CurrentTime);
        XSync(display, False);
    }

    bool capsLockIsOn() {
        unsigned state = 0;
        XkbGetIndicatorState(display, XkbUseCoreKbd, &state);
        return (state & 1u) != 0;
    }
};

} // namespace

TEST_F(KeyState, AKeyCountsAsDownOnlyWhileHeld) {
    EXPECT_FALSE(winapi::isKeyDown(16));
    fakeKey(XK_Shift_R, true);
    EXPECT_TRUE(winapi::isKeyDown(16));
    EXPECT_TRUE(winapi::isKeyDown(0xA1)) << "right Shift";
    EXPECT_FALSE(winapi::isKeyDown(0xA0)) << "left Shift is not held";
    EXPECT_FALSE(winapi::isKeyDown(17));
    fakeKey(XK_Control_L, true);
    EXPECT_TRUE(winapi::isKeyDown(17));
    fakeKey(XK_q, true);
    EXPECT_TRUE(winapi::isKeyDown('Q'));
    fakeKey(XK_q, false);
    fakeKey(XK_Control_L, false);
    fakeKey(XK_Shift_R, false);
    for (const int virtualKey : {16, 17, 0x51, 0xFF, -1})
        EXPECT_FALSE(winapi::isKeyDown(virtualKey)) << virtualKey;
}

TEST_F(KeyState, AToggledCapsLockIsNotDown) {
    fakeKey(XK_Caps_Lock, true);
    EXPECT_TRUE(winapi::isKeyDown(0x14)) << "held while pressed";
    fakeKey(XK_Caps_Lock, false);
    ASSERT_TRUE(capsLockIsOn());
    EXPECT_FALSE(winapi::isKeyDown(0x14));
    EXPECT_FALSE(winapi::isKeyDown(16)) << "the lock is no Shift";
    fakeKey(XK_Caps_Lock, true);
    fakeKey(XK_Caps_Lock, false);
    EXPECT_FALSE(capsLockIsOn());
}

TEST(KeyStateWithoutDisplay, NoKeyIsHeld) {
    const testsupport::EnvironmentOverride noServer("DISPLAY", QByteArray(":65000"));
    EXPECT_FALSE(winapi::isKeyDown(16));
}
