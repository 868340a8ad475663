#include "xvfbdisplay.h"

namespace testsupport {

XvfbDisplay::XvfbDisplay() : m_running(m_server.start(&m_whyNot)) {
    if (!m_running)
        return;
    m_display = std::make_unique<EnvironmentOverride>("DISPLAY", m_server.display().toLocal8Bit());
    m_platform = std::make_unique<EnvironmentOverride>("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

} // namespace testsupport
