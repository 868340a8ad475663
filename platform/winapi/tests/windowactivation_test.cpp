#include "testsupport/xvfbdisplay.h"
#include "winapi/windowactivation.h"

#include <gtest/gtest.h>

#include "x11testwindow.h"

#include <vector>

namespace {

class WindowActivation : public ::testing::Test {
protected:
    static void SetUpTestSuite() { xvfb = std::make_unique<testsupport::XvfbDisplay>(); }
    static void TearDownTestSuite() { xvfb.reset(); }

    void SetUp() override {
        if (!xvfb->isRunning())
            GTEST_SKIP() << xvfb->whyNot().toStdString();
        display.reset(XOpenDisplay(nullptr));
        ASSERT_TRUE(display);
    }

    // Top-level windows from the bottom of the stack to the top.
    std::vector<Window> stackingOrder() {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display.get(), DefaultRootWindow(display.get()), &root, &parent, &children, &count);
        std::vector<Window> order(children, children + count);
        if (children)
            XFree(children);
        return order;
    }

    Window focusedWindow() {
        Window focus = 0;
        int revertTo = 0;
        XGetInputFocus(display.get(), &focus, &revertTo);
        return focus;
    }

    static std::unique_ptr<testsupport::XvfbDisplay> xvfb;
    winapitest::DisplayPtr display;
};

std::unique_ptr<testsupport::XvfbDisplay> WindowActivation::xvfb;

} // namespace

TEST_F(WindowActivation, TheWindowComesOnTopAndTakesTheKeyboard) {
    winapitest::X11TestWindow lower(display.get());
    winapitest::X11TestWindow upper(display.get());
    upper.takeFocus();
    ASSERT_EQ(stackingOrder().back(), upper.id());

    winapi::bringWindowToFront(static_cast<std::uint32_t>(lower.id()));
    XSync(display.get(), False);
    EXPECT_EQ(stackingOrder().back(), lower.id());
    EXPECT_EQ(focusedWindow(), lower.id());
}

TEST_F(WindowActivation, AnIdThatNamesNoWindowChangesNothing) {
    winapitest::X11TestWindow window(display.get());
    window.takeFocus();
    winapi::bringWindowToFront(0);
    winapi::bringWindowToFront(0x1FFFFFFF);
    XSync(display.get(), False);
    EXPECT_EQ(stackingOrder().back(), window.id());
    EXPECT_EQ(focusedWindow(), window.id());
}
