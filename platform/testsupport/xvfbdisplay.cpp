#include "xvfbdisplay.h"

namespace testsupport {

XvfbDisplay::XvfbDisplay() : m_running(m_server.start(&m_whyNot)) {
    if (!m_running)
        return;
    m_display = replace("DISPLAY", m_server.display().toLocal8Bit());
    m_platform = replace("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

XvfbDisplay::~XvfbDisplay() {
    if (!m_running)
        return;
    restore(m_platform);
    restore(m_display);
}

XvfbDisplay::SavedVariable XvfbDisplay::replace(const char* name, const QByteArray& value) {
    SavedVariable saved{name, qEnvironmentVariableIsSet(name), qgetenv(name)};
    qputenv(name, value);
    return saved;
}

void XvfbDisplay::restore(const SavedVariable& saved) {
    if (saved.wasSet)
        qputenv(saved.name, saved.value);
    else
        qunsetenv(saved.name);
}

} // namespace testsupport
