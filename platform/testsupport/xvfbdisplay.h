#pragma once
// An Xvfb server of the test's own made the display of the whole process while it lives: DISPLAY
// names it and Qt applications created meanwhile use the X11 platform on it. Both variables get
// their previous values back afterwards.

#include "environmentoverride.h"
#include "xvfbserver.h"

#include <QString>

#include <memory>

namespace testsupport {

class XvfbDisplay {
public:
    XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool isRunning() const { return m_running; }
    // Why the server could not be started, for the test's skip message.
    const QString& whyNot() const { return m_whyNot; }

private:
    XvfbServer m_server;
    bool m_running = false;
    QString m_whyNot;
    // Declared after the server, so that the variables are restored before it stops.
    std::unique_ptr<EnvironmentOverride> m_display;
    std::unique_ptr<EnvironmentOverride> m_platform;
};

} // namespace testsupport
