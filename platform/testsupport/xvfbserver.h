#pragma once
// An Xvfb server that a test starts for itself on a free display number and stops when done.

#include <QProcess>
#include <QString>

namespace testsupport {

class XvfbServer {
public:
    XvfbServer() = default;
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Starts Xvfb and waits until it accepts connections; false (with a reason) when it cannot.
    bool start(QString* whyNot = nullptr);
    // The DISPLAY value of the running server, e.g. ":57".
    QString display() const { return m_display; }

private:
    QProcess m_process;
    QString m_display;
};

} // namespace testsupport
