// The search form: addresses for each server choice, and the form filled in real Chromium through
// chromedriver, on the tests' own X display, against the stand-in search server on the loopback
// address. One browser window serves every case.
#include "web/sorvexwebsearch.h"

#include "settings/registryfuncs.h"

#include "browser/browsersession.h"
#include "errors/numberederror.h"
#include "messages/messagecapture.h"
#include "registry/registrykey.h"
#include "standinsearchserver.h"
#include "testsupport/coreapplication.h"
#include "testsupport/environmentoverride.h"
#include "testsupport/privatesettingsfolder.h"
#include "testsupport/xvfbdisplay.h"

#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

using errors::NumberedError;

void storeSetting(const char* name, const QString& text) {
    RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QString::fromLatin1(name), text);
}

void storeInstalledServer(const QString& url) {
    ASSERT_EQ(registry::Key::create(registry::Hive::LocalMachine, RegistryFuncs::InstalledServerKey)
                  ->setValue(QStringLiteral("SorvexURL"), url),
              registry::NoError);
}

// The number and description of the error `action` raises; number 0 when it raises none.
std::pair<int, QString> errorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const NumberedError& error) {
        return {error.number(), error.description()};
    }
    return {0, {}};
}

TEST(SorvexWebSearchAddresses, FollowTheChosenServer) {
    testsupport::PrivateSettingsFolder settings;
    SorvexWebSearch search;
    // Form addresses completed from what users type as a server address.
    const struct {
        const char* url;
        bool peptide;
        const char* form;
    } forms[] = {
        {"MyServer/sorvex/", true, "http://myserver/sorvex/cgi/search_form.pl?SEARCH=MIS"},
        {"MyServer/sorvex/", false, "http://myserver/sorvex/cgi/search_form.pl?SEARCH=PMF"},
        {"  HTTP://SERVER.EXAMPLE/SORVEX/CGI/SEARCH_FORM.PL?SEARCH=PMF ", true,
         "http://server.example/sorvex/cgi/search_form.pl?SEARCH=MIS"},
        {"Server.Example/sorvex/cgi/x.pl", true,
         "http://server.example/sorvex/cgi/search_form.pl?SEARCH=MIS"},
        {"http://server//", true, "http://server//cgi/search_form.pl?SEARCH=MIS"},
        {"https://server", true, "http://https://server/cgi/search_form.pl?SEARCH=MIS"},
    };
    for (const auto& f : forms)
        EXPECT_EQ(SorvexWebSearch::CompleteSearchFormURL(QString::fromUtf8(f.url), f.peptide),
                  QString::fromUtf8(f.form))
            << f.url;

    // The chosen location, and the default-parameters page of each.
    EXPECT_EQ(search.GetWebSearchLocation(), 2) << "nothing stored, nothing installed";
    storeInstalledServer(QStringLiteral("http://localhost/sorvex/"));
    EXPECT_EQ(search.GetWebSearchLocation(), 0) << "nothing stored, a server installed here";
    storeSetting("SorvexURLOption", QStringLiteral("1"));
    EXPECT_EQ(search.GetWebSearchLocation(), 1);
    storeSetting("SorvexURLOption", QStringLiteral("one"));
    EXPECT_EQ(errorOf([&] { search.GetWebSearchLocation(); }).first, errors::TypeMismatch);

    EXPECT_EQ(search.GetSorvexOptionsURL(0, {}),
              QStringLiteral("http://localhost/sorvex/cgi/form_defaults.pl"));
    EXPECT_EQ(search.GetSorvexOptionsURL(1, QStringLiteral("Server/Sorvex")),
              QStringLiteral("http://server/sorvex/cgi/form_defaults.pl"));
    EXPECT_EQ(search.GetSorvexOptionsURL(2, {}),
              QStringLiteral("http://www.tervane.example/cgi/form_defaults.pl"));
    EXPECT_EQ(errorOf([&] { search.GetSorvexOptionsURL(3, {}); }),
              std::pair(1, QStringLiteral("Cannot get Sorvex options URL.")));
    messages::MessageCapture shown;
    EXPECT_EQ(search.GetSorvexOptionsURL(1, QStringLiteral("  ")),
              QStringLiteral("http://www.tervane.example/cgi/form_defaults.pl"));
    EXPECT_EQ(shown.shown(),
              (std::vector<messages::ShownMessage>{
                  {QStringLiteral("Error"),
                   QStringLiteral("You have not specified a URL. The default URL will be used")}}));
}

TEST(SorvexWebSearchAddresses, ABrowserThatCannotBeLaunchedIsNamed) {
    testsupport::ensureCoreApplication();
    testsupport::PrivateSettingsFolder settings;
    testsupport::EnvironmentOverride driver("OSTRAND_WEBDRIVER",
                                            QByteArrayLiteral("/nonexistent/chromedriver"));
    SorvexWebSearch search;
    EXPECT_EQ(
        errorOf([&] {
            search.OpenExplorerWindow(QStringLiteral("t"), QStringLiteral("/tmp/q.sxq"), true, false);
        }),
        std::pair(1, QStringLiteral("Could not launch Chromium. Is /usr/bin/chromium properly installed?\n"
                                    "The WebDriver driver /nonexistent/chromedriver is not installed (Debian "
                                    "package chromium-driver; OSTRAND_WEBDRIVER names another).")));
}

class SorvexWebSearchInBrowser : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        testsupport::ensureCoreApplication();
        display = std::make_unique<testsupport::XvfbDisplay>();
        server = std::make_unique<testsupport::StandInSearchServer>();
        elsewhere = std::make_unique<testsupport::StandInSearchServer>();
        whyNot = !display->isRunning()     ? display->whyNot()
                 : !server->isRunning()    ? server->whyNot()
                 : !elsewhere->isRunning() ? elsewhere->whyNot()
                                           : testsupport::whyNoBrowser();
        if (!whyNot.isEmpty())
            return;
        browser::LaunchOptions options = browser::LaunchOptions::fromEnvironment();
        options.keepOpen = false;
        try {
            window = std::make_shared<browser::BrowserSession>(options);
        } catch (const NumberedError& error) {
            whyNot = QStringLiteral("Chromium cannot run here: ") + error.description();
        }
    }
    static void TearDownTestSuite() {
        window.reset();
        elsewhere.reset();
        server.reset();
        display.reset();
    }
    void SetUp() override {
        if (!whyNot.isEmpty())
            GTEST_SKIP() << whyNot.toStdString();
    }

    static inline std::unique_ptr<testsupport::XvfbDisplay> display;
    static inline std::unique_ptr<testsupport::StandInSearchServer> server;
    // A server the user did not choose, which must never get anything.
    static inline std::unique_ptr<testsupport::StandInSearchServer> elsewhere;
    static inline std::shared_ptr<browser::BrowserSession> window;
    static inline QString whyNot;
};

// A query file whose bytes show any change on the way: CR LF line ends and 8-bit text.
QByteArray queryText() {
    return QByteArrayLiteral("SEARCH=MIS\r\nREPTYPE=Peptide\r\nBEGIN IONS\r\nTITLE=caf\xe9 1\r\n"
                             "PEPMASS=445.12\r\n120.08\t1000\r\nEND IONS\r\n");
}

TEST_F(SorvexWebSearchInBrowser, FillsTheFormAndUploadsTheQueryFile) {
    QTcpServer closed; // a port where no server answers
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const QString silentServer = QStringLiteral("127.0.0.1:%1/sorvex").arg(closed.serverPort());
    closed.close();

    struct Case {
        const char* what;
        QString option;  // "SorvexURLOption"
        QString address; // the server address stored for that option
        bool peptide;
        bool submit;
        QString fileName;
        // The upload expected: the form's path, the title field and its value, the search kind.
        QString uploadPath;
        QString titleField;
        QString search;
        std::pair<int, QString> error{};
    };
    const QString base = server->baseUrl();
    const QString sorvex = base + QStringLiteral("/sorvex/");
    const QString posted = QStringLiteral("/sorvex/cgi/nph-search.pl");
    const QString notThere = QStringLiteral("Could not navigate to the web site.");
    const QString otherPort = QString::number(QUrl(elsewhere->baseUrl()).port());
    const QString onlyThere =
        QStringLiteral("The query file and its search title go only to the server you chose.");
    // An ion search on a server of `folder` that fails with `error`, having taken the upload at
    // `uploadPath` or none.
    const auto failure = [&](const char* what, const QString& folder, const QString& error,
                             const QString& uploadPath = {}) {
        const bool uploaded = !uploadPath.isEmpty();
        return Case{what,
                    QStringLiteral("1"),
                    base + folder,
                    true,
                    true,
                    QStringLiteral("query.sxq"),
                    uploadPath,
                    uploaded ? QStringLiteral("COM") : QString(),
                    uploaded ? QStringLiteral("MIS") : QString(),
                    {1, error}};
    };
    const std::vector<Case> cases{
        {"ion search", QStringLiteral("1"), sorvex, true, true, QStringLiteral("query.sxq"), posted,
         QStringLiteral("COM"), QStringLiteral("MIS")},
        {"fingerprint, spaces and non-ASCII letters in the path", QStringLiteral("1"), sorvex, false, true,
         QStringLiteral("Probe Überprüfung α 1.sxq"), posted, QStringLiteral("COM"), QStringLiteral("PMF")},
        {"Protein Prospector",
         QStringLiteral("3"),
         base + QStringLiteral("/prospector/form.html"),
         true,
         true,
         QStringLiteral("query.sxq"),
         QStringLiteral("/prospector/upload"),
         QStringLiteral("comment"),
         {}},
        {"Protein Prospector stored without http://, as a user types it",
         QStringLiteral("3"),
         base.mid(base.indexOf(QStringLiteral("://")) + 3) + QStringLiteral("/prospector/form.html"),
         true,
         true,
         QStringLiteral("query.sxq"),
         QStringLiteral("/prospector/upload"),
         QStringLiteral("comment"),
         {}},
        {"filled in, left for the user to submit",
         QStringLiteral("1"),
         sorvex,
         true,
         false,
         QStringLiteral("query.sxq"),
         {},
         {},
         {}},
        {"server that does not answer",
         QStringLiteral("1"),
         silentServer,
         true,
         true,
         QStringLiteral("query.sxq"),
         {},
         {},
         {},
         {1, notThere}},
        failure("error page without the form", QStringLiteral("/noform"), notThere),
        {"form without the file field",
         QStringLiteral("1"),
         base + QStringLiteral("/nofile"),
         true,
         true,
         QStringLiteral("query.sxq"),
         {},
         {},
         {},
         {errors::MemberNotFound,
          QStringLiteral("The first form of the page %1/nofile/cgi/search_form.pl?SEARCH=MIS has no field "
                         "named 'File'.")
              .arg(base)}},
        failure("form whose file field is a text field", QStringLiteral("/textfile"),
                QStringLiteral(
                    "The field 'File' of the search form %1/textfile/cgi/search_form.pl?SEARCH=MIS is a "
                    "field of type 'text', not a file field; the query file cannot be attached to it.")
                    .arg(base)),
        failure("form without a submit button", QStringLiteral("/nosubmit"),
                QStringLiteral("The search form of %1 has no submit button; nothing was sent.").arg(base)),
        failure(
            "form served with an error status", QStringLiteral("/status500"),
            QStringLiteral("The server answered %1/status500/cgi/search_form.pl?SEARCH=MIS with the error "
                           "status 500.")
                .arg(base)),
        failure("upload answered with an error status", QStringLiteral("/refused"),
                QStringLiteral("The search server %1 did not accept the upload: it answered with the error "
                               "status 500.")
                    .arg(base),
                QStringLiteral("/refused/cgi/nph-search.pl")),
        failure("form page sent on to another server", QStringLiteral("/away-") + otherPort,
                QStringLiteral("The search form was to come from %1, but came from %2. ")
                        .arg(base, elsewhere->baseUrl()) +
                    onlyThere),
        failure("form that posts to another server", QStringLiteral("/actionaway-") + otherPort,
                QStringLiteral("The search form of %1 would send the query file to %2. ")
                        .arg(base, elsewhere->baseUrl()) +
                    onlyThere),
        failure(
            "upload sent on to another server", QStringLiteral("/postaway-") + otherPort,
            QStringLiteral("The search server %1 passed the upload on to another server; the browser stopped "
                           "it there. ")
                    .arg(base) +
                onlyThere,
            QStringLiteral("/postaway-%1/cgi/nph-search.pl").arg(otherPort)),
    };
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::PrivateSettingsFolder settings;
        storeSetting("SorvexURLOption", c.option);
        storeSetting(c.option == QStringLiteral("3") ? "ProteinProspectorURL" : "SorvexURL", c.address);
        const QString queryFile = folder.filePath(c.fileName);
        QFile file(queryFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(queryText());
        file.close();
        const QString label = QStringLiteral("/data/run 7 Ü.vesk (sample number 2)");

        const std::size_t uploadsBefore = server->uploads().size();
        SorvexWebSearch search([] { return window; }, SorvexWebSearch::Waiting::real());
        EXPECT_EQ(errorOf([&] { search.OpenExplorerWindow(label, queryFile, c.peptide, c.submit); }),
                  c.error);
        const auto uploads = server->uploads();
        EXPECT_TRUE(elsewhere->uploads().empty()) << "nothing goes to a server the user did not choose";
        if (c.uploadPath.isEmpty()) {
            EXPECT_EQ(uploads.size(), uploadsBefore);
            if (c.error.first == 0) {
                // The form waits for the user with the title and the file in place.
                EXPECT_EQ(window->value(window->firstFormElement(QStringLiteral("COM"))), label);
                EXPECT_EQ(window->value(window->firstFormElement(QStringLiteral("File"))),
                          QStringLiteral("C:\\fakepath\\") + c.fileName);
            }
            continue;
        }
        ASSERT_EQ(uploads.size(), uploadsBefore + 1);
        const testsupport::RecordedUpload& upload = uploads.back();
        EXPECT_EQ(upload.path, c.uploadPath);
        EXPECT_EQ(upload.fields.value(c.titleField), label);
        EXPECT_EQ(upload.fields.value(QStringLiteral("SEARCH")), c.search);
        EXPECT_EQ(upload.fileName, c.fileName);
        EXPECT_EQ(upload.file, queryText());
    }
}

TEST_F(SorvexWebSearchInBrowser, GivesUpOnAPageThatDoesNotLoadAfterAbout30Seconds) {
    testsupport::PrivateSettingsFolder settings;
    storeSetting("SorvexURLOption", QStringLiteral("1"));
    storeSetting("SorvexURL", server->baseUrl() + QStringLiteral("/slow"));
    // A clock that the sleeps move on, so the wait takes no 30 real seconds.
    auto now = std::make_shared<std::int64_t>(0);
    int sleeps = 0;
    SorvexWebSearch search([] { return window; }, {[now] { return *now; },
                                                   [now, &sleeps](int ms) {
                                                       *now += ms;
                                                       ++sleeps;
                                                   },
                                                   [] {},
                                                   {}});
    EXPECT_EQ(errorOf([&] {
                  search.OpenExplorerWindow(QStringLiteral("t"), QStringLiteral("/tmp/q.sxq"), true, false);
              }),
              std::pair(1, QStringLiteral("Could not navigate to the web site.")));
    // A look at the page every 200 ms, until more than 30 whole seconds have passed.
    EXPECT_EQ(*now, 31000);
    EXPECT_EQ(sleeps, 155);
}

} // namespace
