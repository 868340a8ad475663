// ostrand-export --open-search and --submit: the program run as a process drives headless
// Chromium to the stand-in search server, which records what reaches it.
#include "exportprogram.h"

#include "common/exitcodes.h"
#include "registry/registrykey.h"
#include "standinsearchserver.h"
#include "testsupport/environmentoverride.h"

#include <QFile>

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

using OstrandExportSearchForm = GeneratedRunTest;

TEST_F(OstrandExportSearchForm, SubmitsTheWrittenQueryFileWithItsSearchTitle) {
    testsupport::StandInSearchServer server;
    if (!server.isRunning())
        GTEST_SKIP() << server.whyNot().toStdString();
    if (const QString whyNot = testsupport::whyNoBrowser(); !whyNot.isEmpty())
        GTEST_SKIP() << whyNot.toStdString();
    // A window left open by a program run would outlive the test.
    testsupport::EnvironmentOverride headless("OSTRAND_BROWSER_HEADLESS", QByteArrayLiteral("1"));
    storeSetting(QStringLiteral("SorvexURLOption"), QStringLiteral("1"));

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
         {QStringLiteral("--open-search"), QStringLiteral("--keys"), QStringLiteral("MSMSAveNeedXPeaks,"),
          QStringLiteral("--values"), QStringLiteral("30000,")},
         ExitNothingFound,
         {},
         QStringLiteral("no valid MS/MS spectra")},
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
        EXPECT_TRUE(QFile::exists(output)) << "the query file is kept";
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

} // namespace
