// The browser session against real Chromium through chromedriver: what a user meets when the
// browser or driver is missing or broken, and when the window is closed while a form is filled.
#include "browser/browsersession.h"

#include "errors/numberederror.h"
#include "testsupport/coreapplication.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>
#include <functional>

namespace {

using browser::BrowserSession;
using browser::LaunchOptions;
using errors::NumberedError;

LaunchOptions headless() {
    LaunchOptions options = LaunchOptions::fromEnvironment();
    options.visible = false;
    options.keepOpen = false;
    return options;
}

// Why the installed browser cannot be driven here, or empty when it can.
QString whyNoBrowser() {
    return headless().missingProgram();
}

// The driver is reached through Qt's event loop, which needs an application object.
class BrowserSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testsupport::ensureCoreApplication(); }
};

// The description of the error that `action` raises, or "" when it raises none.
QString errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const NumberedError& error) {
        return error.description();
    }
    return {};
}

TEST_F(BrowserSessionTest, LaunchFailuresSayWhatIsWrong) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // A driver that runs but never listens, and one that stops at once.
    const QString silentDriver = folder.filePath(QStringLiteral("silent-driver"));
    QFile script(silentDriver);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nexec sleep 30\n");
    script.close();
    ASSERT_TRUE(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    struct Case {
        const char* what;
        std::function<void(LaunchOptions&)> change;
        QString expected;
        bool needsBrowser;
    };
    const QString missing = folder.filePath(QStringLiteral("missing"));
    const std::vector<Case> cases{
        {"no driver", [&](LaunchOptions& o) { o.driverProgram = missing; },
         QStringLiteral("The WebDriver driver %1 is not installed").arg(missing), false},
        {"no browser", [&](LaunchOptions& o) { o.browserProgram = missing; },
         QStringLiteral("The browser %1 is not installed").arg(missing), true},
        {"driver stops at once", [](LaunchOptions& o) { o.driverProgram = QStringLiteral("/bin/false"); },
         QStringLiteral("The WebDriver driver /bin/false stopped as it started"), false},
        {"driver never answers",
         [&](LaunchOptions& o) {
             o.driverProgram = silentDriver;
             o.driverStartTimeoutMs = 1500;
         },
         QStringLiteral("The WebDriver driver %1 did not answer within 1 seconds.").arg(silentDriver), false},
        {"session refused", [](LaunchOptions& o) { o.browserProgram = QStringLiteral("/bin/true"); },
         QStringLiteral("The WebDriver driver did not open a Chromium session: session not created"), true},
    };
    const QString whyNot = whyNoBrowser();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsBrowser && !whyNot.isEmpty())
            continue;
        LaunchOptions options = headless();
        c.change(options);
        const QString error = errorOf([&] { BrowserSession session(options); });
        EXPECT_TRUE(error.startsWith(c.expected)) << error.toStdString();
    }
}

TEST_F(BrowserSessionTest, WindowClosedByTheUserIsReportedAsSuch) {
    if (const QString whyNot = whyNoBrowser(); !whyNot.isEmpty())
        GTEST_SKIP() << whyNot.toStdString();
    // The browser is started through a wrapper that records its process, so that the test can end
    // it as closing its last window does, at a moment of the test's choosing.
    QTemporaryDir folder;
    const QString pidFile = folder.filePath(QStringLiteral("browser.pid"));
    LaunchOptions options = headless();
    const QString wrapper = folder.filePath(QStringLiteral("browser"));
    QFile script(wrapper);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    const QString argumentsFile = folder.filePath(QStringLiteral("browser.arguments"));
    script.write(QStringLiteral("#!/bin/sh\necho $$ > '%1'\necho \"$@\" > '%3'\nexec '%2' \"$@\"\n")
                     .arg(pidFile, options.browserProgram, argumentsFile)
                     .toLocal8Bit());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    options.browserProgram = wrapper;

    BrowserSession session(options);
    session.navigate(QStringLiteral("data:text/html,<form><input name=COM></form>"));
    EXPECT_FALSE(session.firstFormElement(QStringLiteral("COM")).isEmpty());
    // The window shows no "controlled by automated test software" banner: the browser is started
    // without the automation switch.
    QFile arguments(argumentsFile);
    ASSERT_TRUE(arguments.open(QIODevice::ReadOnly));
    const QByteArray commandLine = arguments.readAll();
    EXPECT_TRUE(commandLine.contains("--user-data-dir=")) << commandLine.toStdString();
    EXPECT_FALSE(commandLine.contains("--enable-automation")) << commandLine.toStdString();
    QFile pid(pidFile);
    ASSERT_TRUE(pid.open(QIODevice::ReadOnly));
    ASSERT_EQ(::kill(static_cast<pid_t>(pid.readAll().trimmed().toInt()), SIGKILL), 0);

    QString error;
    const QDeadlineTimer deadline(10000);
    while (error.isEmpty() && !deadline.hasExpired()) {
        error = errorOf([&] { session.readyState(); });
        QThread::msleep(100);
    }
    EXPECT_TRUE(error.startsWith(QStringLiteral("The Chromium window was closed, or the browser stopped")))
        << error.toStdString();
}

} // namespace
