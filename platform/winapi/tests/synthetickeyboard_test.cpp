#include "errors/numberederror.h"
#include "winapi/synthetickeyboard.h"

#include "x11test.h"
#include <QDeadlineTimer>
#include <QThread>

#include <string>
#include <vector>

using winapi::SyntheticKeyboard;

namespace {

struct ReceivedKey {
    bool pressed;
    KeySym keySym; // the key's plain symbol
    std::string text;
};

class SyntheticKeyboardTest : public winapitest::X11Test {
protected:
    void SetUp() override {
        X11Test::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        window = std::make_unique<winapitest::X11TestWindow>(display);
        window->takeFocus();
    }
    void TearDown() override { window.reset(); }

    // The key events the test's window receives, until `count` have come or a few seconds pass.
    std::vector<ReceivedKey> receiveKeys(std::size_t count) {
        std::vector<ReceivedKey> keys;
        const QDeadlineTimer deadline(5000);
        while (keys.size() < count && !deadline.hasExpired()) {
            if (XPending(display) == 0) {
                QThread::msleep(5);
                continue;
            }
            XEvent event{};
            XNextEvent(display, &event);
            if ((event.type != KeyPress && event.type != KeyRelease) || event.xkey.window != window->id())
                continue;
            char text[8] = {};
            const int length = XLookupString(&event.xkey, text, sizeof text, nullptr, nullptr);
            keys.push_back(
                {event.type == KeyPress, XLookupKeysym(&event.xkey, 0), std::string(text, length)});
        }
        return keys;
    }

    // Types one character the way a key scan says (Shift, the key, Shift released); returns the
    // number of key events sent.
    static std::size_t typeWithShift(SyntheticKeyboard& keyboard, std::int16_t scan) {
        const int virtualKey = scan & 0xFF;
        const bool shift = (scan & SyntheticKeyboard::ShiftNeeded) != 0;
        if (shift)
            keyboard.sendKeyEvent(16, 0);
        keyboard.sendKeyEvent(virtualKey, 0);
        keyboard.sendKeyEvent(virtualKey, 3);
        if (shift)
            keyboard.sendKeyEvent(16, SyntheticKeyboard::KeyUp);
        return shift ? 4 : 2;
    }

    std::unique_ptr<winapitest::X11TestWindow> window;
};

} // namespace

TEST_F(SyntheticKeyboardTest, KeyScanNumbersKeysAsOnAUsKeyboard) {
    const SyntheticKeyboard keyboard;
    const std::vector<std::pair<char32_t, int>> expected{
        {U'a', 0x41},    {U'A', 0x141},   {U'z', 0x5A},   {U'0', 0x30},  {U'9', 0x39},  {U'!', 0x131},
        {U' ', 0x20},    {U'\\', 0xDC},   {U'|', 0x1DC},  {U':', 0x1BA}, {U';', 0xBA},  {U'.', 0xBE},
        {U'<', 0x1BC},   {U'_', 0x1BD},   {U'~', 0x1C0},  {U'"', 0x1DE}, {U'/', 0xBF},  {U'=', 0xBB},
        {U'\t', 0x09},   {U'\r', 0x0D},   {U'\n', 0x20D}, {U'\b', 0x08}, {U'\x7F', -1}, {U'\x01', -1},
        {U'\u00E9', -1}, {U'\u4E2D', -1},
    };
    for (const auto& [character, scan] : expected)
        EXPECT_EQ(keyboard.keyScan(character), scan) << "character " << static_cast<unsigned>(character);
}

TEST_F(SyntheticKeyboardTest, EveryPrintableCharacterTypesItself) {
    SyntheticKeyboard keyboard;
    std::string typed;
    std::string wanted;
    std::size_t events = 0;
    for (char character = ' '; character <= '~'; ++character) {
        const std::int16_t scan = keyboard.keyScan(static_cast<char32_t>(character));
        ASSERT_NE(scan, -1) << character;
        events += typeWithShift(keyboard, scan);
        wanted += character;
    }
    for (const ReceivedKey& key : receiveKeys(events))
        if (key.pressed)
            typed += key.text;
    EXPECT_EQ(typed, wanted);
}

TEST_F(SyntheticKeyboardTest, KeyUpFlagReleasesAndAKeylessNumberSendsNothing) {
    SyntheticKeyboard keyboard;
    keyboard.sendKeyEvent(0xFF, 0);
    keyboard.sendKeyEvent(0xFF, SyntheticKeyboard::KeyUp);
    keyboard.sendKeyEvent('B', 0);
    keyboard.sendKeyEvent('B', 3);
    keyboard.sendKeyEvent(0x0D, 0);
    keyboard.sendKeyEvent(0x0D, SyntheticKeyboard::KeyUp);
    const std::vector<ReceivedKey> keys = receiveKeys(4);
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_TRUE(keys[0].pressed);
    EXPECT_EQ(keys[0].keySym, static_cast<KeySym>(XK_b));
    EXPECT_FALSE(keys[1].pressed);
    EXPECT_EQ(keys[1].keySym, static_cast<KeySym>(XK_b));
    EXPECT_EQ(keys[2].keySym, static_cast<KeySym>(XK_Return));
    EXPECT_FALSE(keys[3].pressed);
}

TEST(SyntheticKeyboardWithoutDisplay, RaisesAClearError) {
    const testsupport::EnvironmentOverride noServer("DISPLAY", QByteArray(":65000"));
    try {
        SyntheticKeyboard keyboard;
        ADD_FAILURE() << "no error raised";
    } catch (const errors::NumberedError& error) {
        EXPECT_EQ(error.number(), errors::SystemError);
        EXPECT_EQ(error.description(),
                  QStringLiteral("Cannot type keys: no X display could be opened (DISPLAY is \":65000\")."));
    }
}
