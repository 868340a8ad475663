#pragma once
// The application object that Qt's event loop needs, for tests of code that waits on it (network
// replies, processes) without any window.

#include <QCoreApplication>

namespace testsupport {

// Creates the application object once per test program; one already there is kept.
inline void ensureCoreApplication() {
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "tests";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

} // namespace testsupport
