#pragma once
// An Xvfb server of the test's own made the display of the whole process while it lives: DISPLAY
// names it and Qt applications created meanwhile use the X11 platform on it. Both variables get
// their previous values back afterwards.

#include "xvfbserver.h"

#include <QByteArray>
#include <QString>

namespace testsupport {

class XvfbDisplay {
public:
    XvfbDisplay();
    ~XvfbDisplay();
    XvfbDisplay(const XvfbDisplay&) = delete;
    XvfbDisplay& operator=(const XvfbDisplay&) = delete;

    bool isRunning() const { return m_running; }
    // Why the server could not be started, for the test's skip message.
    const QString& whyNot() const { return m_whyNot; }

private:
    struct SavedVariable {
        const char* name;
        bool wasSet;
        QByteArray value;
    };
    static SavedVariable replace(const char* name, const QByteArray& value);
    static void restore(const SavedVariable& saved);

    XvfbServer m_server;
    bool m_running = false;
    QString m_whyNot;
    SavedVariable m_display{};
    SavedVariable m_platform{};
};

} // namespace testsupport
