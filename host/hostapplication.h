#pragma once
// The host as scripts reach it: which graph window is active, and where a script's word for the
// user goes (the viewer's status line). One per process; the viewer sets both before it runs a
// script, tests set them directly. Scripts create the late-bound HostApplication object by its
// programmatic id and never link this library.

#include "graphwindow.h"
#include "host_export.h"

#include <QString>
#include <functional>
#include <memory>

namespace host {

class HOST_EXPORT HostApplication {
public:
    static HostApplication& instance();

    // None when no graph window is active.
    std::shared_ptr<GraphWindow> activeGraphWindow() const { return m_activeGraphWindow; }
    void setActiveGraphWindow(std::shared_ptr<GraphWindow> window) {
        m_activeGraphWindow = std::move(window);
    }

    // What a script tells the user when it has finished, such as what a search wrote where; none
    // goes anywhere while no one listens.
    using StatusListener = std::function<void(const QString&)>;
    void setStatusListener(StatusListener listener) { m_statusListener = std::move(listener); }
    void showStatusMessage(const QString& text) const {
        if (m_statusListener)
            m_statusListener(text);
    }

private:
    std::shared_ptr<GraphWindow> m_activeGraphWindow;
    StatusListener m_statusListener;
};

} // namespace host
