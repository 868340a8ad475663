#pragma once
// What the key and window tests need: an X server of their own with a connection to it for the
// whole suite (a server whose last client leaves resets itself), and plain top-level windows that
// report their key events.

#include "testsupport/xvfbtest.h"

// After Qt and GoogleTest: the X headers define macros (None, Bool, ...) that clash with their names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <memory>

namespace winapitest {

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayPtr = std::unique_ptr<Display, DisplayCloser>;

// A mapped top-level window that selects key and focus events; gone with the object.
class X11TestWindow {
public:
    explicit X11TestWindow(Display* display) : m_display(display) {
        const int screen = DefaultScreen(display);
        m_window = XCreateSimpleWindow(display, RootWindow(display, screen), 10, 10, 200, 100, 0,
                                       BlackPixel(display, screen), WhitePixel(display, screen));
        XSelectInput(display, m_window,
                     KeyPressMask | KeyReleaseMask | StructureNotifyMask | FocusChangeMask);
        XMapWindow(display, m_window);
        XEvent event{};
        do
            XNextEvent(display, &event);
        while (event.type != MapNotify || event.xmap.window != m_window);
    }
    ~X11TestWindow() {
        XDestroyWindow(m_display, m_window);
        XSync(m_display, False);
    }
    X11TestWindow(const X11TestWindow&) = delete;
    X11TestWindow& operator=(const X11TestWindow&) = delete;

    Window id() const { return m_window; }

    void takeFocus() {
        XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
        XSync(m_display, False);
    }

private:
    Display* m_display;
    Window m_window;
};

// A suite on its own Xvfb server; each test finds the suite's connection in `display`.
class X11Test : public testsupport::XvfbTest {
protected:
    static void SetUpTestSuite() {
        XvfbTest::SetUpTestSuite();
        if (displayIsRunning())
            connection.reset(XOpenDisplay(nullptr));
    }
    static void TearDownTestSuite() {
        connection.reset();
        XvfbTest::TearDownTestSuite();
    }

    void SetUp() override {
        XvfbTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(connection) << "no connection to the test's X server";
        display = connection.get();
    }

    Display* display = nullptr;

private:
    static inline DisplayPtr connection;
};

} // namespace winapitest
