#include "webdriverconnection.h"

#include "browsersession.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace browser {

WebDriverFailure::WebDriverFailure(QString code, QString message)
    : m_code(std::move(code)), m_message(std::move(message)),
      m_utf8((m_code + QStringLiteral(": ") + m_message).toUtf8()) {}

WebDriverConnection::WebDriverConnection(quint16 port)
    : m_port(port), m_network(std::make_unique<QNetworkAccessManager>()) {
    // The driver is on this machine; a proxy of the user's environment must not stand in between.
    m_network->setProxy(QNetworkProxy::NoProxy);
}

WebDriverConnection::~WebDriverConnection() = default;

QJsonValue WebDriverConnection::get(const QString& path, int timeoutMs) {
    return send(Method::Get, path, QJsonValue::Undefined, timeoutMs);
}

QJsonValue WebDriverConnection::post(const QString& path, const QJsonValue& body, int timeoutMs) {
    return send(Method::Post, path, body, timeoutMs);
}

QJsonValue WebDriverConnection::remove(const QString& path, int timeoutMs) {
    return send(Method::Delete, path, QJsonValue::Undefined, timeoutMs);
}

QJsonValue WebDriverConnection::send(Method method, const QString& path, const QJsonValue& body,
                                     int timeoutMs) {
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json; charset=utf-8"));
    QNetworkReply* reply = nullptr;
    switch (method) {
    case Method::Get:
        reply = m_network->get(request);
        break;
    case Method::Post:
        reply = m_network->post(request, body.isObject()
                                             ? QJsonDocument(body.toObject()).toJson(QJsonDocument::Compact)
                                             : QByteArrayLiteral("{}"));
        break;
    case Method::Delete:
        reply = m_network->deleteResource(request);
        break;
    }
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply*)> owner(
        reply, [](QNetworkReply* r) { r->deleteLater(); });

    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    bool stopped = false;
    QTimer stopCheck;
    QObject::connect(&stopCheck, &QTimer::timeout, &loop, [&] {
        stopped = m_stopWaiting();
        if (stopped)
            loop.quit();
    });
    if (m_stopWaiting)
        stopCheck.start(100);
    loop.exec();
    if (stopped && !reply->isFinished()) {
        reply->abort();
        throw Interrupted{};
    }
    if (!reply->isFinished()) {
        reply->abort();
        throw WebDriverFailure(
            QStringLiteral("no answer"),
            QStringLiteral("no answer to %1 within %2 seconds").arg(path).arg(timeoutMs / 1000));
    }

    const QByteArray text = reply->readAll();
    QJsonParseError parseError{};
    const QJsonDocument answer = QJsonDocument::fromJson(text, &parseError);
    if (answer.isNull()) {
        if (reply->error() != QNetworkReply::NoError)
            throw WebDriverFailure(QStringLiteral("no answer"), reply->errorString());
        throw WebDriverFailure(QStringLiteral("unknown error"),
                               QStringLiteral("the driver's answer to %1 is not JSON").arg(path));
    }
    const QJsonValue value = answer.object().value(QStringLiteral("value"));
    const QString error = value.toObject().value(QStringLiteral("error")).toString();
    if (!error.isEmpty())
        throw WebDriverFailure(error, value.toObject().value(QStringLiteral("message")).toString());
    return value;
}

} // namespace browser
