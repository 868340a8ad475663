#pragma once
// An Xvfb server of the test's own made the display of the whole process while it lives: DISPLAY
// names it and Qt applications created meanwhile use the X11 platform on it. Both variables get
// their previous values back afterwards.
//
// The server chooses a free display number itself and reports it, so that tests running in
// parallel never share a server, and it does not reset when its last client disconnects.

#include "environmentoverride.h"

#include <QProcess>
#include <QString>

#include <memory>

namespace testsupport {

class XvfbDisplay {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool isRunning() const { return m_server.state() == QProcess::Running && m_display; }
    // Why the server could not be started, for the test's skip message.
    const QString& whyNot() const { return m_whyNot; }

private:
    // The display number the server reports once it accepts connections, or -1.
    int startServer();

    QProcess m_server;
    QString m_whyNot;
    std::unique_ptr<EnvironmentOverride> m_display;
    std::unique_ptr<EnvironmentOverride> m_platform;
};

} // namespace testsupport
