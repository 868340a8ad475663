#pragma once
// Base of test suites that need the real desktop: an Xvfb server of their own and a Qt
// application on it through the X11 platform, both gone when the suite ends.

#include "testsupport/xvfbtest.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <QWidget>
#include <QWindow>

#include <memory>

class XcbApplicationTest : public testsupport::XvfbTest {
protected:
    static void SetUpTestSuite() {
        XvfbTest::SetUpTestSuite();
        if (displayIsRunning() && !QCoreApplication::instance())
            application = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() {
        application.reset();
        XvfbTest::TearDownTestSuite();
    }

    void SetUp() override {
        XvfbTest::SetUp();
        if (!IsSkipped() && !application)
            GTEST_SKIP() << "another Qt application already runs in this process";
    }

    // Lets events run until the condition holds or five seconds have passed.
    template <class Condition> static bool waitUntil(Condition condition) {
        const QDeadlineTimer deadline(5000);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QApplication::processEvents();
            QThread::msleep(5);
        }
        return true;
    }

    // Shows a top-level widget and waits until it has the keyboard; the way it gets there is
    // the test's own (the window manager is absent under Xvfb).
    template <class Activate> static bool showWithKeyboard(QWidget& widget, Activate activate) {
        widget.show();
        if (!waitUntil([&] {
                return widget.isVisible() && widget.windowHandle() && widget.windowHandle()->isExposed();
            }))
            return false;
        activate(widget);
        return waitUntil([&] { return widget.isActiveWindow(); });
    }

    static inline std::unique_ptr<QApplication> application;
    static inline int argc = 1;
    static inline char name[] = "xcb_tests";
    static inline char* argv[] = {name, nullptr};
};
