// ostrand-export --open-search and --submit: the program run as a process drives headless
// Chromium to the stand-in search server, which records what reaches it.
#include "exportprogram.h"

#include "common/exitcodes.h"
#include "registry/registrykey.h"
#include "standinsearchserver.h"
#include "testsupport/environmentoverride.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#include <csignal>
#include <functional>

using exportprogram::GeneratedRunTest;
using exportprogram::runProgram;

namespace {

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void storeSetting(const QString& name, const QString& text) {
    ASSERT_EQ(registry::Key::create(registry::Hive::CurrentUser,
                                    QStringLiteral("SOFTWARE\\Brenlow\\Corvana\\Scripts\\Sorvex"))
                  ->setValue(name, text),
              registry::NoError);
}

// How many processes run with `line` in their environment.
int processesWithEnvironment(const QByteArray& line) {
    int found = 0;
    for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile environment(QStringLiteral("/proc/%1/environ").arg(pid));
        if (pid.toInt() > 0 && environment.open(QIODevice::ReadOnly) &&
            environment.readAll().split('\0').contains(line))
            ++found;
    }
    return found;
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(100);
    }
    return true;
}

// The stand-in search server, chosen as the intranet server, and headless Chromium.
class OstrandExportSearchForm : public GeneratedRunTest {
protected:
    void SetUp() override {
        if (!server.isRunning())
            GTEST_SKIP() << server.whyNot().toStdString();
        if (const QString whyNot = testsupport::whyNoBrowser(); !whyNot.isEmpty())
            GTEST_SKIP() << whyNot.toStdString();
        storeSetting(QStringLiteral("SorvexURLOption"), QStringLiteral("1"));
    }

    testsupport::StandInSearchServer server;
    // A window left open by a program run would outlive the test.
    testsupport::EnvironmentOverride headless{"OSTRAND_BROWSER_HEADLESS", QByteArrayLiteral("1")};
};

TEST_F(OstrandExportSearchForm, SubmitsTheWrittenQueryFileWithItsSearchTitle) {

    struct Case {
        const char* what;
        QString serverPath;
        QStringList options;
        int exitCode;
        QString title; // of the upload; none expected when empty
        QString message;
    };
    const QString data = dataPath();
    const std::vector<Case> cases{
        {"every sample",
         QStringLiteral("/sorvex"),
         {QStringLiteral("--submit")},
         ExitOk,
         data + QStringLiteral(" (all samples)"),
         {}},
        {"one sample",
         QStringLiteral("/sorvex"),
         {QStringLiteral("--submit"), QStringLiteral("--sample"), QStringLiteral("1")},
         ExitOk,
         data + QStringLiteral(" (sample number 1)"),
         {}},
        {"no spectra written: no browser",
         QStringLiteral("/sorvex"),
         {QStringLiteral("--open-search"), QStringLiteral("--keys"),
          QStringLiteral("MSMSThresholdInPercent,MSMSThreshold"), QStringLiteral("--values"),
          QStringLiteral("0,1E+15")},
         ExitNothingFound,
         {},
         QStringLiteral("no valid MS/MS spectra")},
        {"a form without a submit button",
         QStringLiteral("/nosubmit"),
         {QStringLiteral("--submit")},
         ExitFailure,
         {},
         QStringLiteral("has no submit button; nothing was sent.\nThe query file %1 is kept.")},
        {"a page without the form",
         QStringLiteral("/noform"),
         {QStringLiteral("--open-search")},
         ExitFailure,
         {},
         QStringLiteral("Could not navigate to the web site.\nThe query file %1 is kept.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        storeSetting(QStringLiteral("SorvexURL"), server.baseUrl() + c.serverPath);
        const QString output = outputPath(QStringLiteral("search.sxq"));
        QFile::remove(output);
        // A browser opened without spectra to search would fail on this driver.
        std::optional<testsupport::EnvironmentOverride> noDriver;
        if (c.exitCode == ExitNothingFound)
            noDriver.emplace("OSTRAND_WEBDRIVER", QByteArrayLiteral("/nonexistent/chromedriver"));
        const std::size_t uploadsBefore = server.uploads().size();

        const auto run = runProgram(QStringList{data, QStringLiteral("-o"), output} + c.options);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        const QString message = c.message.contains(u'%') ? c.message.arg(output) : c.message;
        EXPECT_TRUE(run.err.contains(message)) << run.err.toStdString();
        EXPECT_EQ(QFile::exists(output), c.exitCode != ExitNothingFound)
            << "a written query file is kept, and nothing to search writes none";
        const auto uploads = server.uploads();
        if (c.title.isEmpty()) {
            EXPECT_EQ(uploads.size(), uploadsBefore);
            continue;
        }
        ASSERT_EQ(uploads.size(), uploadsBefore + 1);
        EXPECT_EQ(uploads.back().fields.value(QStringLiteral("COM")), c.title);
        EXPECT_EQ(uploads.back().fields.value(QStringLiteral("SEARCH")), QStringLiteral("MIS"));
        EXPECT_EQ(uploads.back().fileName, QStringLiteral("search.sxq"));
        EXPECT_EQ(uploads.back().file, readBytes(output));
    }
}

// The server takes the upload and holds back its answer; the program is stopped meanwhile. Ctrl+C
// ends it at once as interrupted, and neither that nor kill -9 leaves the driver or the browser
// running; the profile folder that kill -9 leaves behind goes with the next run.
TEST_F(OstrandExportSearchForm, AnInterruptOrAKillDuringTheUploadLeavesNoBrowserBehind) {
    storeSetting(QStringLiteral("SorvexURL"), server.baseUrl() + QStringLiteral("/slowpost"));
    // The program's temporary folder, which the driver and the browser inherit with its environment.
    QTemporaryDir temporary;
    ASSERT_TRUE(temporary.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), temporary.path());
    const QByteArray marker = "TMPDIR=" + QFile::encodeName(temporary.path());

    const struct {
        const char* what;
        int signal;
    } cases[] = {{"kill -9", SIGKILL}, {"Ctrl+C", SIGINT}};
    const QString output = outputPath(QStringLiteral("stopped.sxq"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t uploadsBefore = server.uploads().size();
        QProcess program;
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(OSTRAND_EXPORT_PROGRAM),
                      {dataPath(), QStringLiteral("-o"), output, QStringLiteral("--submit")});
        ASSERT_TRUE(waitFor([&] { return server.uploads().size() > uploadsBefore; }, 90000))
            << program.readAllStandardError().toStdString();
        ASSERT_GT(processesWithEnvironment(marker), 1) << "the program, its driver and its browser run";

        ::kill(static_cast<pid_t>(program.processId()), c.signal);
        ASSERT_TRUE(program.waitForFinished(15000))
            << "the program ends at once, not when the server answers";
        if (c.signal == SIGINT) {
            EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
            EXPECT_EQ(program.exitCode(), ExitCancelled);
            EXPECT_TRUE(QString::fromLocal8Bit(program.readAllStandardError())
                            .contains(QStringLiteral(
                                          "interrupted; the browser was closed. The query file %1 is kept.")
                                          .arg(output)));
        }
        EXPECT_TRUE(QFile::exists(output));
        EXPECT_TRUE(waitFor([&] { return processesWithEnvironment(marker) == 0; }, 10000))
            << processesWithEnvironment(marker) << " processes of the program still run";
    }
    EXPECT_EQ(QDir(temporary.path()).entryList({QStringLiteral("ostrand-browser-*")}, QDir::Dirs),
              QStringList{})
        << "no profile folder is left behind";
}

} // namespace
