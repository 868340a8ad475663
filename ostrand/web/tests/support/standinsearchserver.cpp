#include "standinsearchserver.h"

#include "browser/browsersession.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

namespace testsupport {

StandInSearchServer::StandInSearchServer() {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) {
        m_whyNot = QStringLiteral("python3 is not installed (scripts/install-deps.sh installs it)");
        return;
    }
    m_server.start(python, {QStringLiteral(OSTRAND_STANDIN_SERVER_SCRIPT), m_record.path()});
    if (!m_server.waitForReadyRead(10000)) {
        m_whyNot = QStringLiteral("the stand-in search server did not start: ") +
                   QString::fromLocal8Bit(m_server.readAllStandardError());
        return;
    }
    m_port = static_cast<quint16>(m_server.readLine().trimmed().toUInt());
    if (m_port == 0)
        m_whyNot = QStringLiteral("the stand-in search server reported no port");
}

StandInSearchServer::~StandInSearchServer() {
    if (m_server.state() != QProcess::NotRunning) {
        m_server.kill();
        m_server.waitForFinished(3000);
    }
}

QString StandInSearchServer::baseUrl() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(m_port);
}

std::vector<RecordedUpload> StandInSearchServer::uploads() const {
    std::vector<RecordedUpload> found;
    const QDir folder(m_record.path());
    for (int number = 1;; ++number) {
        QFile record(folder.filePath(QStringLiteral("upload-%1.json").arg(number)));
        QFile data(folder.filePath(QStringLiteral("upload-%1.bin").arg(number)));
        if (!record.open(QIODevice::ReadOnly) || !data.open(QIODevice::ReadOnly))
            return found;
        const QJsonObject json = QJsonDocument::fromJson(record.readAll()).object();
        RecordedUpload upload{json.value(QStringLiteral("path")).toString(),
                              {},
                              json.value(QStringLiteral("fileName")).toString(),
                              data.readAll()};
        const QJsonObject fields = json.value(QStringLiteral("fields")).toObject();
        for (auto field = fields.begin(); field != fields.end(); ++field)
            upload.fields.insert(field.key(), field.value().toString());
        found.push_back(upload);
    }
}

QStringList StandInSearchServer::pagesServed() const {
    QFile log(QDir(m_record.path()).filePath(QStringLiteral("pages.log")));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString whyNoBrowser() {
    return browser::LaunchOptions::fromEnvironment().missingProgram();
}

} // namespace testsupport
