#pragma once
// Base of test suites that run on an X server of their own: the suite starts an Xvfb display
// before its first test and stops it after its last; each test is skipped, saying why, when no
// server could be started.

#include "xvfbdisplay.h"

#include <gtest/gtest.h>

#include <memory>

namespace testsupport {

class XvfbTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { xvfb = std::make_unique<XvfbDisplay>(); }
    static void TearDownTestSuite() { xvfb.reset(); }

    void SetUp() override {
        if (!displayIsRunning())
            GTEST_SKIP() << xvfb->whyNot().toStdString();
    }

    static bool displayIsRunning() { return xvfb && xvfb->isRunning(); }

private:
    static inline std::unique_ptr<XvfbDisplay> xvfb;
};

} // namespace testsupport
