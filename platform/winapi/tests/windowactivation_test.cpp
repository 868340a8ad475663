#include "winapi/windowactivation.h"

#include "x11test.h"

#include <vector>

namespace {

class WindowActivation : public winapitest::X11Test {
protected:
    // Top-level windows from the bottom of the stack to the top.
    std::vector<Window> stackingOrder() {
        Window root = 0, parent = 0;
        Window* children = nullptr;
        unsigned count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        std::vector<Window> order(children, children + count);
        if (children)
            XFree(children);
        return order;
    }

    Window focusedWindow() {
        Window focus = 0;
        int revertTo = 0;
        XGetInputFocus(display, &focus, &revertTo);
        return focus;
    }
};

} // namespace

TEST_F(WindowActivation, TheWindowComesOnTopAndTakesTheKeyboard) {
    winapitest::X11TestWindow lower(display);
    winapitest::X11TestWindow upper(display);
    upper.takeFocus();
    ASSERT_EQ(stackingOrder().back(), upper.id());

    winapi::bringWindowToFront(static_cast<std::uint32_t>(lower.id()));
    XSync(display, False);
    EXPECT_EQ(stackingOrder().back(), lower.id());
    EXPECT_EQ(focusedWindow(), lower.id());
}

TEST_F(WindowActivation, AnIdThatNamesNoWindowChangesNothing) {
    winapitest::X11TestWindow window(display);
    window.takeFocus();
    winapi::bringWindowToFront(0);
    winapi::bringWindowToFront(0x1FFFFFFF);
    XSync(display, False);
    EXPECT_EQ(stackingOrder().back(), window.id());
    EXPECT_EQ(focusedWindow(), window.id());
}
