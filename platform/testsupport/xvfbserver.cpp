#include "xvfbserver.h"

#include <QFile>
#include <QStandardPaths>
#include <QThread>

namespace testsupport {

XvfbServer::~XvfbServer() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }
}

bool XvfbServer::start(QString* whyNot) {
    const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    if (program.isEmpty()) {
        if (whyNot)
            *whyNot = QStringLiteral("Xvfb is not installed (scripts/install-deps.sh installs it)");
        return false;
    }
    // Display numbers from 90 up; a lock file in /tmp marks one that is taken.
    for (int number = 90; number < 190; ++number) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(number)))
            continue;
        m_display = QStringLiteral(":%1").arg(number);
        m_process.setProgram(program);
        m_process.setArguments({m_display, QStringLiteral("-screen"), QStringLiteral("0"),
                                QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                QStringLiteral("tcp")});
        m_process.start();
        if (!m_process.waitForStarted(5000))
            continue;
        for (int waited = 0; waited < 100; ++waited) {
            if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(number)))
                return true;
            if (m_process.state() == QProcess::NotRunning)
                break;
            QThread::msleep(50);
        }
        m_process.kill();
        m_process.waitForFinished(3000);
    }
    if (whyNot)
        *whyNot = QStringLiteral("no Xvfb display could be started");
    return false;
}

} // namespace testsupport
