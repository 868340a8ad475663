#include "xvfbdisplay.h"

#include <QStandardPaths>

namespace testsupport {

XvfbDisplay::XvfbDisplay() {
    const int number = startServer();
    if (number < 0)
        return;
    m_display =
        std::make_unique<EnvironmentOverride>("DISPLAY", QByteArray(":") + QByteArray::number(number));
    m_platform = std::make_unique<EnvironmentOverride>("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

XvfbDisplay::~XvfbDisplay() {
    m_platform.reset();
    m_display.reset();
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(3000))
            m_server.kill();
        m_server.waitForFinished(3000);
    }
}

int XvfbDisplay::startServer() {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        m_whyNot = QStringLiteral("Xvfb is not installed (scripts/install-deps.sh installs it)");
        return -1;
    }
    // With -displayfd the server takes the first free display number under the lock files and
    // writes it to standard output when it is ready for clients.
    m_server.setProgram(program);
    m_server.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                           QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                           QStringLiteral("tcp"), QStringLiteral("-noreset")});
    m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_server.start();
    QByteArray reported;
    while (!reported.contains('\n') && m_server.waitForReadyRead(10000))
        reported += m_server.readAllStandardOutput();
    bool isNumber = false;
    const int number = reported.trimmed().toInt(&isNumber);
    if (!isNumber) {
        m_whyNot = QStringLiteral("Xvfb did not start: %1").arg(m_server.errorString());
        m_server.kill();
        m_server.waitForFinished(3000);
        return -1;
    }
    return number;
}

} // namespace testsupport
