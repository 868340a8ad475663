#pragma once
// The host as scripts reach it: which graph window is active. One per process; the viewer sets it
// before it runs a script, tests set it directly. Scripts create the late-bound HostApplication
// object by its programmatic id and never link this library.

#include "graphwindow.h"
#include "host_export.h"

#include <QString>
#include <memory>

namespace host {

// The programmatic id under which the host registers its application object.
inline const QString hostApplicationProgrammaticId = QStringLiteral("Corvana.HostApplication");

class HOST_EXPORT HostApplication {
public:
    static HostApplication& instance();

    // None when no graph window is active.
    std::shared_ptr<GraphWindow> activeGraphWindow() const { return m_activeGraphWindow; }
    void setActiveGraphWindow(std::shared_ptr<GraphWindow> window) {
        m_activeGraphWindow = std::move(window);
    }

private:
    std::shared_ptr<GraphWindow> m_activeGraphWindow;
};

// Registers the HostApplication object (and Kestrum's creatable classes) by programmatic id, as the
// host does before it loads a script.
HOST_EXPORT void registerHostClasses();

} // namespace host
