// The browser session against real Chromium through chromedriver: what a user meets when the
// browser or driver is missing or broken, and when the window is closed while a form is filled.
#include "browser/browsersession.h"

#include "automation/automationerror.h"
#include "testsupport/coreapplication.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <functional>

namespace {

using automation::AutomationError;
using browser::BrowserSession;
using browser::LaunchOptions;

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
    } catch (const AutomationError& error) {
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
    BrowserSession session(headless());
    // A page that closes its own window, as a user closing it would.
    session.navigate(QStringLiteral("data:text/html,<form><input name=COM></form>"
                                    "<script>setTimeout(() => window.close(), 300)</script>"));
    const QDeadlineTimer loaded(10000);
    while (session.readyState() != 4 && !loaded.hasExpired())
        QThread::msleep(20);
    EXPECT_FALSE(session.firstFormElement(QStringLiteral("COM")).isEmpty());
    QString error;
    const QDeadlineTimer deadline(10000);
    while (error.isEmpty() && !deadline.hasExpired()) {
        error = errorOf([&] { session.readyState(); });
        QThread::msleep(100);
    }
    EXPECT_EQ(error, QStringLiteral("The Chromium window was closed, or the browser stopped, while running a "
                                    "page script."));
}

} // namespace
