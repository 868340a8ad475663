#include "browsersession.h"

#include "webdriverconnection.h"

#include "errors/numberederror.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTcpServer>
#include <QThread>

#include <csignal>
#include <unistd.h>

namespace browser {

namespace {

using errors::NumberedError;

// The key under which WebDriver hands element references back and forth.
const QString ElementKey = QStringLiteral("element-6066-11e4-a52e-4f735466cecf");

QString environmentOr(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

// A loopback port that nothing listens on now. The driver takes it a moment later; another
// program taking it in between makes the driver fail to start, which is reported.
quint16 freeLoopbackPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        throw NumberedError::system(
            QStringLiteral("No free port on the loopback address for the WebDriver driver: %1")
                .arg(probe.errorString()));
    return probe.serverPort();
}

bool isExecutableFile(const QString& path) {
    const QFileInfo file(path);
    return file.isFile() && file.isExecutable();
}

// The first line of a driver's message; the rest is its own stack trace.
QString firstLine(const QString& text) {
    return text.section(u'\n', 0, 0).trimmed();
}

QJsonObject elementReference(const QString& element) {
    return QJsonObject{{ElementKey, element}};
}

// Whether a browser still runs on the profile: the browser holds a link named SingletonLock that
// points to "HOST-PID" while it runs.
bool browserUsesProfile(const QString& folder) {
    char target[256] = {};
    const ssize_t length = ::readlink(
        QFile::encodeName(folder + QStringLiteral("/SingletonLock")).constData(), target, sizeof target - 1);
    return length > 0 && processRuns(QString::fromLocal8Bit(target, length).section(u'-', -1).toLongLong());
}

// Profile folders are named after the program that made them. One whose program has ended, and
// that no browser left open with the user still runs on, is removed: it is what a program that was
// killed left behind.
QString freshProfileFolderTemplate() {
    static const QRegularExpression ours(QStringLiteral("^ostrand-browser-(\\d+)-"));
    const QDir temporary(QDir::tempPath());
    for (const QFileInfo& folder :
         temporary.entryInfoList({QStringLiteral("ostrand-browser-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch match = ours.match(folder.fileName());
        if (match.hasMatch() && folder.ownerId() == ::geteuid() &&
            !processRuns(match.captured(1).toLongLong()) && !browserUsesProfile(folder.filePath()))
            QDir(folder.filePath()).removeRecursively();
    }
    return temporary.filePath(
        QStringLiteral("ostrand-browser-%1-XXXXXX").arg(QCoreApplication::applicationPid()));
}

} // namespace

LaunchOptions LaunchOptions::fromEnvironment() {
    LaunchOptions options;
    options.browserProgram = environmentOr("OSTRAND_BROWSER", QStringLiteral("/usr/bin/chromium"));
    options.driverProgram = environmentOr("OSTRAND_WEBDRIVER", QStringLiteral("/usr/bin/chromedriver"));
    const QString file = QFileInfo(options.browserProgram).fileName();
    options.browserName = file == QStringLiteral("chromium") ? QStringLiteral("Chromium") : file;
    options.visible = !qEnvironmentVariable("DISPLAY").isEmpty() &&
                      qEnvironmentVariable("OSTRAND_BROWSER_HEADLESS") != QStringLiteral("1");
    options.keepOpen = options.visible;
    return options;
}

QString LaunchOptions::missingProgram() const {
    if (!isExecutableFile(driverProgram))
        return QStringLiteral("The WebDriver driver %1 is not installed (Debian package chromium-driver; "
                              "OSTRAND_WEBDRIVER names another).")
            .arg(driverProgram);
    if (!isExecutableFile(browserProgram))
        return QStringLiteral("The browser %1 is not installed (Debian package chromium; OSTRAND_BROWSER "
                              "names another).")
            .arg(browserProgram);
    return {};
}

BrowserSession::BrowserSession(const LaunchOptions& options)
    : m_options(options), m_profile(freshProfileFolderTemplate()) {
    // Talking to the driver waits on Qt's event loop, which needs the program's application object.
    if (!QCoreApplication::instance())
        throw NumberedError::system(QStringLiteral("A browser can be driven only from a Qt application."));
    if (const QString missing = m_options.missingProgram(); !missing.isEmpty())
        throw NumberedError::system(missing);
    if (!m_profile.isValid())
        throw NumberedError::system(
            QStringLiteral("Cannot create a browser profile folder: %1").arg(m_profile.errorString()));
    // A window left with the user keeps using its profile after we are gone.
    m_profile.setAutoRemove(!(m_options.visible && m_options.keepOpen));
    try {
        startDriver();
        openSession();
    } catch (...) {
        stopDriver();
        throw;
    }
}

BrowserSession::~BrowserSession() {
    // Closing the browser is not to be interrupted.
    if (m_connection)
        m_connection->setStopCheck({});
    if (m_sessionId.isEmpty() || !(m_options.visible && m_options.keepOpen)) {
        try {
            if (!m_sessionId.isEmpty())
                m_connection->remove(sessionPath(), 10000);
        } catch (const WebDriverFailure&) {
            // The browser has gone already; stopping the driver below is all that is left.
        }
    } else {
        m_guard.release();
    }
    stopDriver();
}

void BrowserSession::closeAtEnd() {
    m_options.keepOpen = false;
    m_profile.setAutoRemove(true);
}

void BrowserSession::setInterruptCheck(std::function<bool()> interrupted) {
    m_connection->setStopCheck(std::move(interrupted));
}

void BrowserSession::stopDriver() {
    m_connection.reset();
    const qint64 leader = m_driver.processId();
    if (m_driver.state() != QProcess::NotRunning) {
        m_driver.terminate();
        if (!m_driver.waitForFinished(3000))
            m_driver.kill();
        m_driver.waitForFinished(3000);
    }
    // The browser may outlive its driver for a moment, writing into its profile as it goes; the
    // profile is removed only once nothing of the group runs.
    m_guard.endGroup(leader);
}

void BrowserSession::startDriver() {
    const quint16 port = freeLoopbackPort();
    m_driver.setProgram(m_options.driverProgram);
    m_driver.setArguments({QStringLiteral("--port=%1").arg(port)});
    m_driver.setProcessChannelMode(QProcess::MergedChannels);
    m_guard.watch(m_driver);
    m_driver.start();
    if (!m_driver.waitForStarted(m_options.driverStartTimeoutMs))
        throw NumberedError::system(QStringLiteral("The WebDriver driver %1 could not be started: %2")
                                        .arg(m_options.driverProgram, m_driver.errorString()));
    m_connection = std::make_unique<WebDriverConnection>(port);

    const QDeadlineTimer deadline(m_options.driverStartTimeoutMs);
    while (!deadline.hasExpired()) {
        if (m_driver.state() == QProcess::NotRunning)
            throw NumberedError::system(
                QStringLiteral("The WebDriver driver %1 stopped as it started: %2")
                    .arg(m_options.driverProgram,
                         firstLine(QString::fromLocal8Bit(m_driver.readAll())).left(300)));
        try {
            if (m_connection->get(QStringLiteral("/status"), 1000)
                    .toObject()
                    .value(QStringLiteral("ready"))
                    .toBool())
                return;
        } catch (const WebDriverFailure&) {
            // Not listening yet.
        }
        QThread::msleep(50);
    }
    throw NumberedError::system(QStringLiteral("The WebDriver driver %1 did not answer within %2 seconds.")
                                    .arg(m_options.driverProgram)
                                    .arg(m_options.driverStartTimeoutMs / 1000));
}

void BrowserSession::openSession() {
    QJsonArray arguments{QStringLiteral("--no-first-run"),
                         QStringLiteral("--no-default-browser-check"),
                         QStringLiteral("--disable-background-networking"),
                         QStringLiteral("--disable-component-update"),
                         QStringLiteral("--disable-sync"),
                         QStringLiteral("--disable-dev-shm-usage"),
                         QStringLiteral("--password-store=basic"),
                         QStringLiteral("--user-data-dir=") + m_profile.path()};
    // Chromium's sandbox refuses to start as root.
    if (geteuid() == 0)
        arguments.append(QStringLiteral("--no-sandbox"));
    if (!m_options.visible)
        arguments.append(QStringLiteral("--headless=new"));
    // Without the driver's automation switch the window carries no "controlled by automated test
    // software" banner: the user is handed what looks like their own browser.
    const QJsonObject chromeOptions{
        {QStringLiteral("binary"), m_options.browserProgram},
        {QStringLiteral("args"), arguments},
        {QStringLiteral("excludeSwitches"), QJsonArray{QStringLiteral("enable-automation")}},
        {QStringLiteral("detach"), m_options.visible && m_options.keepOpen}};
    // Navigation returns at once; the caller waits on the ready state, as the form filling needs.
    const QJsonObject capabilities{{QStringLiteral("pageLoadStrategy"), QStringLiteral("none")},
                                   {QStringLiteral("goog:chromeOptions"), chromeOptions}};
    try {
        const QJsonValue answer =
            m_connection->post(QStringLiteral("/session"),
                               QJsonObject{{QStringLiteral("capabilities"),
                                            QJsonObject{{QStringLiteral("alwaysMatch"), capabilities}}}});
        m_sessionId = answer.toObject().value(QStringLiteral("sessionId")).toString();
    } catch (const WebDriverFailure& failure) {
        throw NumberedError::system(QStringLiteral("The WebDriver driver did not open a %1 session: %2")
                                        .arg(m_options.browserName, firstLine(failure.message())));
    }
    if (m_sessionId.isEmpty())
        throw NumberedError::system(
            QStringLiteral("The WebDriver driver did not open a %1 session.").arg(m_options.browserName));
}

QString BrowserSession::sessionPath(const QString& tail) const {
    return QStringLiteral("/session/") + m_sessionId + tail;
}

template <typename Command> auto BrowserSession::run(const QString& what, Command command) {
    try {
        return command(*m_connection);
    } catch (const Interrupted&) {
        closeAtEnd();
        throw;
    } catch (const WebDriverFailure& failure) {
        static const QStringList gone{QStringLiteral("no such window"), QStringLiteral("invalid session id"),
                                      QStringLiteral("disconnected"), QStringLiteral("no answer")};
        if (gone.contains(failure.code()) || failure.message().contains(QStringLiteral("not reachable")))
            throw NumberedError::system(
                QStringLiteral("The %1 window was closed, or the browser stopped, while %2.")
                    .arg(m_options.browserName, what));
        throw NumberedError::system(QStringLiteral("%1 could not complete %2: %3")
                                        .arg(m_options.browserName, what, firstLine(failure.message())));
    }
}

QJsonValue BrowserSession::script(const QString& source, const QJsonArray& arguments) {
    return run(QStringLiteral("running a page script"), [&](WebDriverConnection& driver) {
        return driver.post(
            sessionPath(QStringLiteral("/execute/sync")),
            QJsonObject{{QStringLiteral("script"), source}, {QStringLiteral("args"), arguments}});
    });
}

void BrowserSession::navigate(const QString& url) {
    run(QStringLiteral("opening %1").arg(url), [&](WebDriverConnection& driver) {
        return driver.post(sessionPath(QStringLiteral("/url")), QJsonObject{{QStringLiteral("url"), url}});
    });
}

int BrowserSession::readyState() {
    static const QStringList states{QStringLiteral("uninitialized"), QStringLiteral("loading"),
                                    QStringLiteral("loaded"), QStringLiteral("interactive"),
                                    QStringLiteral("complete")};
    const QString state = script(QStringLiteral("return document.readyState;"), {}).toString();
    return std::max(0, static_cast<int>(states.indexOf(state)));
}

QString BrowserSession::currentUrl() {
    return run(QStringLiteral("reading the address"),
               [&](WebDriverConnection& driver) { return driver.get(sessionPath(QStringLiteral("/url"))); })
        .toString();
}

int BrowserSession::responseStatus() {
    return script(QStringLiteral("const entry = performance.getEntriesByType('navigation')[0];"
                                 "return entry && 'responseStatus' in entry ? entry.responseStatus : -1;"),
                  {})
        .toInt();
}

void BrowserSession::markPage() {
    script(QStringLiteral("window.__ostrandMarkedPage = true;"), {});
}

bool BrowserSession::pageIsMarked() {
    return script(QStringLiteral("return window.__ostrandMarkedPage === true;"), {}).toBool();
}

QString BrowserSession::firstFormElement(const QString& name) {
    const QJsonValue found =
        script(QStringLiteral("const form = document.forms[0];"
                              "if (!form) return 'no form';"
                              "const field = form.elements.namedItem(arguments[0]);"
                              "if (!field) return 'no field';"
                              "return field instanceof RadioNodeList ? field[0] : field;"),
               QJsonArray{name});
    const QString element = found.toObject().value(ElementKey).toString();
    if (!element.isEmpty())
        return element;
    throw NumberedError(
        errors::MemberNotFound,
        found.toString() == QStringLiteral("no form")
            ? QStringLiteral("The page %1 has no form with a field named '%2'.").arg(currentUrl(), name)
            : QStringLiteral("The first form of the page %1 has no field named '%2'.")
                  .arg(currentUrl(), name));
}

QString BrowserSession::value(const QString& element) {
    return run(QStringLiteral("reading a form field"),
               [&](WebDriverConnection& driver) {
                   return driver.get(sessionPath(QStringLiteral("/element/%1/property/value").arg(element)));
               })
        .toString();
}

void BrowserSession::setValue(const QString& element, const QString& text) {
    script(QStringLiteral("arguments[0].value = arguments[1];"), QJsonArray{elementReference(element), text});
}

void BrowserSession::focus(const QString& element) {
    script(QStringLiteral("arguments[0].focus();"), QJsonArray{elementReference(element)});
}

void BrowserSession::select(const QString& element) {
    script(QStringLiteral("if (arguments[0].select) arguments[0].select();"),
           QJsonArray{elementReference(element)});
}

void BrowserSession::click(const QString& element) {
    run(QStringLiteral("clicking a form button"), [&](WebDriverConnection& driver) {
        return driver.post(sessionPath(QStringLiteral("/element/%1/click").arg(element)), QJsonObject{});
    });
}

void BrowserSession::sendKeys(const QString& element, const QString& text) {
    run(QStringLiteral("typing into a form field"), [&](WebDriverConnection& driver) {
        return driver.post(sessionPath(QStringLiteral("/element/%1/value").arg(element)),
                           QJsonObject{{QStringLiteral("text"), text}});
    });
}

QString BrowserSession::fieldType(const QString& element) {
    return script(QStringLiteral("return arguments[0].type || '';"), QJsonArray{elementReference(element)})
        .toString();
}

QStringList BrowserSession::attachedFiles(const QString& element) {
    QStringList names;
    const QJsonArray files =
        script(QStringLiteral("return Array.from(arguments[0].files || [], file => file.name);"),
               QJsonArray{elementReference(element)})
            .toArray();
    for (const QJsonValue& name : files)
        names.append(name.toString());
    return names;
}

QString BrowserSession::submissionTarget(const QString& button) {
    // A button's own "formaction" wins over its form's "action"; a form without one is sent to the
    // document's own address, which the form's "action" property then gives.
    return script(QStringLiteral("const button = arguments[0];"
                                 "return button.hasAttribute('formaction') ? button.formAction"
                                 "                                          : button.form.action;"),
                  QJsonArray{elementReference(button)})
        .toString();
}

void BrowserSession::restrictSubmissionsToOwnServer() {
    // A content security policy given by the page itself, which the browser applies to every form
    // sent from then on and to every redirection of it, before anything goes to another server.
    script(QStringLiteral("const policy = document.createElement('meta');"
                          "policy.httpEquiv = 'Content-Security-Policy';"
                          "policy.content = \"form-action 'self'\";"
                          "(document.head || document.documentElement).appendChild(policy);"
                          "window.__ostrandBlockedSubmission = '';"
                          "document.addEventListener('securitypolicyviolation', event => {"
                          "  if (event.effectiveDirective === 'form-action')"
                          "    window.__ostrandBlockedSubmission = event.blockedURI; });"),
           {});
}

QString BrowserSession::blockedSubmission() {
    return script(QStringLiteral("return window.__ostrandBlockedSubmission || '';"), {}).toString();
}

QString BrowserSession::windowHandle() {
    return run(QStringLiteral("finding its window"),
               [&](WebDriverConnection& driver) {
                   return driver.get(sessionPath(QStringLiteral("/window")));
               })
        .toString();
}

void BrowserSession::bringToFront() {
    const QString handle = windowHandle();
    // Switching to a window makes the driver activate it, which raises it above the others.
    run(QStringLiteral("bringing its window to the front"), [&](WebDriverConnection& driver) {
        return driver.post(sessionPath(QStringLiteral("/window")),
                           QJsonObject{{QStringLiteral("handle"), handle}});
    });
}

} // namespace browser
