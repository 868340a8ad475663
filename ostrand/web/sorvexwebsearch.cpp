#include "sorvexwebsearch.h"

#include "diagnostics/mlogger.h"
#include "settings/registryfuncs.h"

#include "browser/browsersession.h"
#include "errors/numberederror.h"
#include "messages/messageservice.h"
#include "numbers/numberconversion.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>

namespace {

using errors::NumberedError;

const QString CouldNotNavigate = QStringLiteral("Could not navigate to the web site.");
const QString ServerURLValue = QStringLiteral("SorvexURL");
const QString IonSearchFormPath = QStringLiteral("/cgi/search_form.pl?SEARCH=MIS");

QString userSetting(const QString& name) {
    return RegistryFuncs::ReadSetting(RegistryFuncs::SettingsKey, name, {});
}

QString installedServerURL() {
    return RegistryFuncs::ReadMachineSetting(RegistryFuncs::InstalledServerKey, ServerURLValue, {});
}

const QString OnlyToTheChosenServer =
    QStringLiteral("The query file and its search title go only to the server you chose.");

// The server part of an address (scheme, host and port): what a browser trusts a page by.
QString serverOf(const QString& url) {
    return QUrl(url)
        .adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toString();
}

int portOf(const QUrl& url) {
    return url.port(url.scheme() == QStringLiteral("https") ? 443 : 80);
}

// Whether the address `seen` is on the server of the address `chosen`: the same host and port, or
// the same host moved from http to https on the standard ports, as a server that takes only https
// moves its visitors.
bool isOnChosenServer(const QString& chosen, const QString& seen) {
    const QUrl from(chosen);
    const QUrl to(seen);
    if (from.host().isEmpty() || from.host() != to.host())
        return false;
    if (from.scheme() == to.scheme())
        return portOf(from) == portOf(to);
    return from.scheme() == QStringLiteral("http") && to.scheme() == QStringLiteral("https") &&
           portOf(from) == 80 && portOf(to) == 443;
}

// An HTTP status that says the server did not do what was asked.
bool isErrorStatus(int status) {
    return status >= 400;
}

// An address stored without a scheme ("prospector.example/form.html") is taken as http, as a
// browser's address bar takes it.
QString withScheme(const QString& url) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    const QString trimmed = url.trimmed();
    return trimmed.isEmpty() || scheme.match(trimmed).hasMatch() ? trimmed
                                                                 : QStringLiteral("http://") + trimmed;
}

} // namespace

SorvexWebSearch::Waiting SorvexWebSearch::Waiting::real() {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return {[clock] { return static_cast<std::int64_t>(clock->elapsed()); },
            [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); },
            [] { QCoreApplication::processEvents(); },
            {}};
}

SorvexWebSearch::SorvexWebSearch() : SorvexWebSearch(Waiting::real()) {}

SorvexWebSearch::SorvexWebSearch(Waiting waiting)
    : SorvexWebSearch([] { return std::make_shared<browser::BrowserSession>(); }, std::move(waiting)) {}

SorvexWebSearch::SorvexWebSearch(BrowserOpener openBrowser, Waiting waiting)
    : m_openBrowser(std::move(openBrowser)), m_waiting(std::move(waiting)) {}

std::int32_t SorvexWebSearch::GetWebSearchLocation() const {
    MLogger::LogMessage(QStringLiteral("SorvexWebSearch.GetWebSearchLocation - start"));
    const QString stored = userSetting(QStringLiteral("SorvexURLOption"));
    const std::int32_t location =
        !stored.isEmpty() ? numbers::textToLong(stored) : (IsLocalSorvexInstalled() ? 0 : 2);
    MLogger::LogMessage(QStringLiteral("SorvexWebSearch.GetWebSearchLocation - end. Return value = ") +
                        QString::number(location));
    return location;
}

bool SorvexWebSearch::IsLocalSorvexInstalled() const {
    return !installedServerURL().isEmpty();
}

bool SorvexWebSearch::UsesSorvexServer() const {
    return GetWebSearchLocation() != 3;
}

QString SorvexWebSearch::GetServerURL(std::int32_t location, const QString& serverURL,
                                      const QString& prospectorURL, bool peptideSearch) const {
    switch (location) {
    case 0:
        return CompleteSearchFormURL(installedServerURL(), peptideSearch);
    case 1:
        return CompleteSearchFormURL(serverURL, peptideSearch);
    case 2:
        return CompleteSearchFormURL(PublicServerURL, peptideSearch);
    case 3:
        return withScheme(prospectorURL);
    default:
        // Any other code takes Protein Prospector's address, completed like a search server's.
        return CompleteSearchFormURL(prospectorURL, peptideSearch);
    }
}

QString SorvexWebSearch::GetSearchFormURL(bool peptideSearch) const {
    return GetServerURL(GetWebSearchLocation(), userSetting(ServerURLValue),
                        userSetting(QStringLiteral("ProteinProspectorURL")), peptideSearch);
}

QString SorvexWebSearch::CompleteSearchFormURL(const QString& url, bool peptideSearch) {
    QString completed = url.toLower().trimmed();
    if (completed.isEmpty()) {
        messages::show(QStringLiteral("You have not specified a URL. The default URL will be used"),
                       QStringLiteral("Error"));
        completed = PublicServerURL;
    }
    if (const qsizetype cgi = completed.indexOf(QStringLiteral("/cgi/")); cgi >= 0)
        completed.truncate(cgi);
    if (!completed.startsWith(QStringLiteral("http://")))
        completed.prepend(QStringLiteral("http://"));
    if (completed.endsWith(u'/'))
        completed.chop(1);
    return completed + (peptideSearch ? IonSearchFormPath : QStringLiteral("/cgi/search_form.pl?SEARCH=PMF"));
}

QString SorvexWebSearch::GetSorvexOptionsURL(std::int32_t location, const QString& serverURL) const {
    MLogger::LogMessage(QStringLiteral("SorvexWebSearch.GetSorvexOptionsURL - start"));
    if (location == 3)
        throw NumberedError::system(QStringLiteral("Cannot get Sorvex options URL."));
    QString url = GetServerURL(location, serverURL, {}, true);
    url.truncate(url.indexOf(IonSearchFormPath));
    url += QStringLiteral("/cgi/form_defaults.pl");
    MLogger::LogMessage(QStringLiteral("SorvexWebSearch.GetSorvexOptionsURL - end. Return value = ") + url);
    return url;
}

void SorvexWebSearch::OpenSorvexOptionsPage(std::int32_t location, const QString& serverURL) {
    const QString url = GetSorvexOptionsURL(location, serverURL);
    launchBrowser()->navigate(url);
}

std::shared_ptr<browser::BrowserSession> SorvexWebSearch::launchBrowser() const {
    try {
        return m_openBrowser();
    } catch (const NumberedError& error) {
        // The message users know, naming the browser we drive and its program, and what actually
        // went wrong.
        const browser::LaunchOptions options = browser::LaunchOptions::fromEnvironment();
        throw NumberedError::system(
            QStringLiteral("Could not launch %1. Is %2 properly installed?\n%3")
                .arg(options.browserName, options.browserProgram, error.description()));
    }
}

bool SorvexWebSearch::waitForCompletePage(browser::BrowserSession& window) const {
    // Checked every 200 ms, so the page has about 31 seconds.
    const std::int64_t start = m_waiting.nowMs();
    while (window.readyState() != 4) {
        pause(window, 200);
        if ((m_waiting.nowMs() - start) / 1000 > 30)
            return false;
    }
    return true;
}

void SorvexWebSearch::pause(browser::BrowserSession& window, int ms) const {
    m_waiting.sleep(ms);
    m_waiting.processEvents();
    if (m_waiting.interrupted && m_waiting.interrupted()) {
        // What the browser was doing, an upload included, stops with it.
        window.closeAtEnd();
        throw browser::Interrupted{};
    }
}

void SorvexWebSearch::OpenExplorerWindow(const QString& label, const QString& queryFile, bool peptideSearch,
                                         bool submit) {
    MLogger::LogMessage(QStringLiteral("SorvexWebSearch.OpenExplorerWindow - start"));
    m_searchFormAddress = GetSearchFormURL(peptideSearch);
    const std::shared_ptr<browser::BrowserSession> window = launchBrowser();
    if (m_waiting.interrupted)
        window->setInterruptCheck(m_waiting.interrupted);
    window->navigate(m_searchFormAddress);
    if (!waitForCompletePage(*window))
        throw NumberedError::system(CouldNotNavigate);
    pause(*window, 200);

    // A page of the browser's own says that the server was not reached. Nothing is filled into a
    // page that another server sent, a redirection having led there.
    const int status = window->responseStatus();
    if (status == 0)
        throw NumberedError::system(CouldNotNavigate);
    if (const QString shown = window->currentUrl(); !isOnChosenServer(m_searchFormAddress, shown))
        throw NumberedError::system(QStringLiteral("The search form was to come from %1, but came from %2. ")
                                        .arg(serverOf(m_searchFormAddress), serverOf(shown)) +
                                    OnlyToTheChosenServer);

    const bool sorvexServer = UsesSorvexServer();
    try {
        const QString title =
            window->firstFormElement(sorvexServer ? QStringLiteral("COM") : QStringLiteral("comment"));
        window->setValue(title, label);
    } catch (const NumberedError&) {
        throw NumberedError::system(CouldNotNavigate);
    }
    if (isErrorStatus(status))
        throw NumberedError::system(QStringLiteral("The server answered %1 with the error status %2.")
                                        .arg(m_searchFormAddress, QString::number(status)));
    FillUploadField(*window, queryFile, sorvexServer, submit);
    if (submit) {
        SubmitSearchForm(*window, m_searchFormAddress);
        m_waiting.processEvents();
    }
    MLogger::LogMessage(QStringLiteral("SorvexWebSearch.OpenExplorerWindow - end"));
}

void SorvexWebSearch::FillUploadField(browser::BrowserSession& window, const QString& queryFile,
                                      bool sorvexServer, bool submit) const {
    const QString fieldName = sorvexServer ? QStringLiteral("File") : QStringLiteral("upload_data");
    // Typed into a text field, the path itself would be sent instead of the file.
    if (const QString type = window.fieldType(window.firstFormElement(fieldName));
        type != QStringLiteral("file"))
        throw NumberedError::system(
            QStringLiteral(
                "The field '%1' of the search form %2 is a field of type '%3', not a file field; the "
                "query file cannot be attached to it.")
                .arg(fieldName, window.currentUrl(), type));
    // A file field cannot be set from the page; the path is typed into it, and checked by the file
    // name the field then holds. Three attempts, then the user fills it in by hand.
    const QStringList attached{QFileInfo(queryFile).fileName()};
    for (int attempt = 0; attempt < 3; ++attempt) {
        pause(window, 200);
        window.bringToFront();
        m_waiting.processEvents();
        const QString field = window.firstFormElement(fieldName);
        window.focus(field);
        if (sorvexServer)
            window.select(field);
        window.sendKeys(field, queryFile);
        pause(window, 500);
        if (!sorvexServer || window.attachedFiles(field) == attached)
            break;
    }
    // A form sent without its file would be a search of nothing.
    if (submit && window.attachedFiles(window.firstFormElement(fieldName)) != attached)
        throw NumberedError::system(
            QStringLiteral("The query file %1 could not be attached to the search form; nothing was sent.")
                .arg(queryFile));
}

void SorvexWebSearch::SubmitSearchForm(browser::BrowserSession& window, const QString& formURL) const {
    const QString server = serverOf(formURL);
    QString button;
    try {
        button = window.firstFormElement(QStringLiteral("submit"));
    } catch (const NumberedError&) {
        throw NumberedError::system(
            QStringLiteral("The search form of %1 has no submit button; nothing was sent.").arg(server));
    }
    if (const QString target = window.submissionTarget(button); !isOnChosenServer(formURL, target))
        throw NumberedError::system(QStringLiteral("The search form of %1 would send the query file to %2. ")
                                        .arg(server, serverOf(target)) +
                                    OnlyToTheChosenServer);
    window.restrictSubmissionsToOwnServer();
    window.markPage();
    window.click(button);

    // The upload has reached the server once the answer page has replaced the form.
    const std::int64_t start = m_waiting.nowMs();
    while (window.pageIsMarked() || window.readyState() != 4) {
        if (window.pageIsMarked() && !window.blockedSubmission().isEmpty())
            throw NumberedError::system(
                QStringLiteral("The search server %1 passed the upload on to another server; the browser "
                               "stopped it there. ")
                    .arg(server) +
                OnlyToTheChosenServer);
        pause(window, 200);
        if ((m_waiting.nowMs() - start) / 1000 > 30)
            throw NumberedError::system(CouldNotNavigate);
    }
    const int status = window.responseStatus();
    if (status == 0 || isErrorStatus(status))
        throw NumberedError::system(
            QStringLiteral("The search server %1 did not accept the upload: it answered with %2.")
                .arg(server, status == 0 ? QStringLiteral("no page")
                                         : QStringLiteral("the error status %1").arg(status)));
}
