#include "windowactivation.h"

#include "x11connection.h"

#include <X11/Xatom.h>

namespace winapi {

namespace {

// A window manager announces itself by the property _NET_SUPPORTING_WM_CHECK on the root window.
bool hasWindowManager(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, XA_WINDOW,
                                          &type, &format, &count, &remaining, &data);
    if (data)
        XFree(data);
    return status == Success && count > 0;
}

bool isViewable(Display* display, Window window) {
    XWindowAttributes attributes{};
    return XGetWindowAttributes(display, window, &attributes) != 0 && attributes.map_state == IsViewable;
}

} // namespace

void bringWindowToFront(std::uint32_t windowId) {
    const X11Connection connection;
    Display* display = connection.display();
    if (!display || windowId == 0)
        return;
    const Window window = windowId;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_ACTIVE_WINDOW", False);
    event.xclient.format = 32;
    // Source 2 (a user's request): window managers that prevent focus stealing honour it.
    event.xclient.data.l[0] = 2;
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XRaiseWindow(display, window);
    if (!hasWindowManager(display) && isViewable(display, window))
        XSetInputFocus(display, window, RevertToParent, CurrentTime);
}

} // namespace winapi
