#include "errors/numberederror.h"
#include "script/commonwin32api.h"
#include "script/mbettersendkeys.h"
#include "testsupport/environmentoverride.h"

#include "testsupport/xcbapplicationtest.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <vector>

namespace {

// A key press or release as the focused widget receives it.
struct KeyStroke {
    bool pressed;
    int key;
    bool operator==(const KeyStroke&) const = default;
};

std::ostream& operator<<(std::ostream& out, const KeyStroke& stroke) {
    return out << (stroke.pressed ? "press " : "release ") << std::hex << stroke.key;
}

class KeyRecorder : public QObject {
public:
    std::vector<KeyStroke> strokes;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            // With Shift held, the X keyboard's Alt key reports its shifted symbol, Meta.
            strokes.push_back(
                {event->type() == QEvent::KeyPress, key == Qt::Key_Meta ? int{Qt::Key_Alt} : key});
        }
        return QObject::eventFilter(watched, event);
    }
};

// A line edit with the keyboard, brought to the front the way a form window is before typing.
class TypingTest : public XcbApplicationTest {
protected:
    void SetUp() override {
        XcbApplicationTest::SetUp();
        if (IsSkipped())
            return;
        field.installEventFilter(&recorder);
        ASSERT_TRUE(showWithKeyboard(field, [](QWidget& widget) {
            CommonWin32API::BringWindowToFront(static_cast<std::int32_t>(widget.winId()));
        }));
        ASSERT_TRUE(field.hasFocus());
    }

    // Waits until the field has received this many key strokes.
    bool receivedStrokes(std::size_t count) {
        return waitUntil([&] { return recorder.strokes.size() >= count; });
    }

    QLineEdit field;
    KeyRecorder recorder;
};

constexpr KeyStroke press(int key) {
    return {true, key};
}
constexpr KeyStroke release(int key) {
    return {false, key};
}

} // namespace

TEST_F(TypingTest, APathIsTypedExactlyWithCapitalsAndBackslashes) {
    const QString path = QStringLiteral("C:\\Temp\\Run1 X.sxq");
    MBetterSendKeys::TypeText(path);
    EXPECT_TRUE(waitUntil([&] { return field.text() == path; })) << field.text().toStdString();
    QApplication::processEvents();
    EXPECT_EQ(field.text(), path);
}

TEST_F(TypingTest, AnUpperCaseLetterIsTypedInsideShift) {
    MBetterSendKeys::TypeText(QStringLiteral("A"));
    ASSERT_TRUE(receivedStrokes(4));
    const std::vector<KeyStroke> expected{press(Qt::Key_Shift), press(Qt::Key_A), release(Qt::Key_A),
                                          release(Qt::Key_Shift)};
    EXPECT_EQ(recorder.strokes, expected);
    EXPECT_EQ(field.text(), QStringLiteral("A"));
}

TEST_F(TypingTest, ACharacterWithoutAKeyPressesOnlyTheModifiersAroundIt) {
    const std::vector<KeyStroke> expected{press(Qt::Key_Shift),     press(Qt::Key_Control),
                                          press(Qt::Key_Alt),       release(Qt::Key_Alt),
                                          release(Qt::Key_Control), release(Qt::Key_Shift)};
    MBetterSendKeys::TypeText(QStringLiteral("\u4E2D"));
    ASSERT_TRUE(receivedStrokes(6));
    EXPECT_EQ(recorder.strokes, expected);
    recorder.strokes.clear();
    MBetterSendKeys::TypeKey(-1);
    ASSERT_TRUE(receivedStrokes(6));
    EXPECT_EQ(recorder.strokes, expected);
    EXPECT_EQ(field.text(), QString());
}

TEST_F(TypingTest, ATextTooLongForThePositionCounterOverflowsBeforeAnyKey) {
    try {
        MBetterSendKeys::TypeText(QString(32768, QLatin1Char('a')));
        ADD_FAILURE() << "no error raised";
    } catch (const errors::NumberedError& error) {
        EXPECT_EQ(error.number(), errors::Overflow);
    }
    MBetterSendKeys::TypeText(QStringLiteral("b"));
    ASSERT_TRUE(waitUntil([&] { return !field.text().isEmpty(); }));
    EXPECT_EQ(field.text(), QStringLiteral("b"));
}

TEST(TypingWithoutDisplay, RaisesAClearErrorAndTypesNothing) {
    const testsupport::EnvironmentOverride noServer("DISPLAY", QByteArray(":65000"));
    try {
        MBetterSendKeys::TypeText(QStringLiteral("C:\\Temp\\x.sxq"));
        ADD_FAILURE() << "no error raised";
    } catch (const errors::NumberedError& error) {
        EXPECT_EQ(error.number(), errors::SystemError);
        EXPECT_TRUE(error.description().startsWith(QStringLiteral("Cannot type keys: no X display")));
    }
}
