#include "x11connection.h"

namespace winapi {

namespace {

int ignoreProtocolError(Display*, XErrorEvent*) {
    return 0;
}

} // namespace

X11Connection::X11Connection()
    : m_display(XOpenDisplay(nullptr)), m_previousHandler(XSetErrorHandler(ignoreProtocolError)) {}

X11Connection::~X11Connection() {
    if (m_display) {
        // Errors of requests still under way arrive during the sync, while they are still ignored.
        XSync(m_display, False);
        XCloseDisplay(m_display);
    }
    XSetErrorHandler(m_previousHandler);
}

} // namespace winapi
