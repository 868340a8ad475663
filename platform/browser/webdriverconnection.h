#pragma once
// The HTTP side of WebDriver: one JSON command to the driver on the loopback address, and the
// "value" of its answer. A WebDriver error answer, or no answer in time, raises a
// WebDriverFailure carrying the error code the driver gave ("no such window", ...).

#include <QJsonValue>
#include <QString>

#include <exception>
#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace browser {

class WebDriverFailure : public std::exception {
public:
    WebDriverFailure(QString code, QString message);
    // The WebDriver error code, or "no answer" when the driver did not answer at all.
    const QString& code() const { return m_code; }
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_code;
    QString m_message;
    QByteArray m_utf8;
};

class WebDriverConnection {
public:
    explicit WebDriverConnection(quint16 port);
    ~WebDriverConnection();
    WebDriverConnection(const WebDriverConnection&) = delete;
    WebDriverConnection& operator=(const WebDriverConnection&) = delete;

    // Sends a GET (when `body` is undefined) or POST (otherwise) or DELETE command to `path` and
    // returns the answer's "value". Waits up to `timeoutMs`, letting queued events run meanwhile.
    QJsonValue get(const QString& path, int timeoutMs = DefaultTimeoutMs);
    QJsonValue post(const QString& path, const QJsonValue& body, int timeoutMs = DefaultTimeoutMs);
    QJsonValue remove(const QString& path, int timeoutMs = DefaultTimeoutMs);

    static constexpr int DefaultTimeoutMs = 60000;

    // Asked about ten times a second while a command waits for its answer; when it answers true,
    // the command is abandoned and raises Interrupted.
    void setStopCheck(std::function<bool()> stopWaiting) { m_stopWaiting = std::move(stopWaiting); }

private:
    enum class Method { Get, Post, Delete };
    QJsonValue send(Method method, const QString& path, const QJsonValue& body, int timeoutMs);

    quint16 m_port;
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::function<bool()> m_stopWaiting;
};

} // namespace browser
