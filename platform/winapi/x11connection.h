#pragma once
// A connection to the X server named by DISPLAY, held for one operation and closed after it, so
// that no connection outlives the server it was made to.

#include <X11/Xlib.h>

namespace winapi {

class X11Connection {
public:
    X11Connection() : m_display(XOpenDisplay(nullptr)) {}
    ~X11Connection() {
        if (m_display)
            XCloseDisplay(m_display);
    }
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // The open display, or null when none could be opened.
    Display* display() const { return m_display; }

private:
    Display* m_display;
};

} // namespace winapi
