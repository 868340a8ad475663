#pragma once
// A connection to the X server named by DISPLAY, held for one operation and closed after it, so
// that no connection outlives the server it was made to. While it is open, protocol errors (a
// window that no longer exists, say) are ignored instead of ending the program.

#include <X11/Xlib.h>

namespace winapi {

class X11Connection {
public:
    X11Connection();
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // The open display, or null when none could be opened.
    Display* display() const { return m_display; }

private:
    Display* m_display;
    XErrorHandler m_previousHandler;
};

} // namespace winapi
