#include "testsupport/xvfbdisplay.h"
#include "winapi/keystate.h"

#include <gtest/gtest.h>

#include "x11testwindow.h"

#include <X11/XKBlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace {

class KeyState : public ::testing::Test {
protected:
    static void SetUpTestSuite() { xvfb = std::make_unique<testsupport::XvfbDisplay>(); }
    static void TearDownTestSuite() { xvfb.reset(); }

    void SetUp() override {
        if (!xvfb->isRunning())
            GTEST_SKIP() << xvfb->whyNot().toStdString();
        display.reset(XOpenDisplay(nullptr));
        ASSERT_TRUE(display);
    }

    // Presses or releases a key on the server, as the user would, and waits until it is done.
    void fakeKey(KeySym keySym, bool down) {
        XTestFakeKeyEvent(display.get(), XKeysymToKeycode(display.get(), keySym), down ? True : False,
                          CurrentTime);
        XSync(display.get(), False);
    }

    bool capsLockIsOn() {
        unsigned state = 0;
        XkbGetIndicatorState(display.get(), XkbUseCoreKbd, &state);
        return (state & 1u) != 0;
    }

    static std::unique_ptr<testsupport::XvfbDisplay> xvfb;
    winapitest::DisplayPtr display;
};

std::unique_ptr<testsupport::XvfbDisplay> KeyState::xvfb;

} // namespace

TEST_F(KeyState, ShiftCountsAsDownOnlyWhileHeld) {
    EXPECT_FALSE(winapi::isKeyDown(16));
    fakeKey(XK_Shift_R, true);
    EXPECT_TRUE(winapi::isKeyDown(16));
    EXPECT_TRUE(winapi::isKeyDown(0xA1)) << "right Shift";
    EXPECT_FALSE(winapi::isKeyDown(0xA0)) << "left Shift is not held";
    EXPECT_FALSE(winapi::isKeyDown(17));
    fakeKey(XK_Control_L, true);
    EXPECT_TRUE(winapi::isKeyDown(17));
    fakeKey(XK_Control_L, false);
    fakeKey(XK_Shift_R, false);
    EXPECT_FALSE(winapi::isKeyDown(16));
    EXPECT_FALSE(winapi::isKeyDown(17));
}

TEST_F(KeyState, LettersAndUnknownNumbersAreAnsweredToo) {
    fakeKey(XK_q, true);
    EXPECT_TRUE(winapi::isKeyDown('Q'));
    EXPECT_FALSE(winapi::isKeyDown('W'));
    fakeKey(XK_q, false);
    EXPECT_FALSE(winapi::isKeyDown('Q'));
    EXPECT_FALSE(winapi::isKeyDown(0xFF));
    EXPECT_FALSE(winapi::isKeyDown(-1));
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
    const bool wasSet = qEnvironmentVariableIsSet("DISPLAY");
    const QByteArray previous = qgetenv("DISPLAY");
    qputenv("DISPLAY", ":65000");
    EXPECT_FALSE(winapi::isKeyDown(16));
    if (wasSet)
        qputenv("DISPLAY", previous);
    else
        qunsetenv("DISPLAY");
}
