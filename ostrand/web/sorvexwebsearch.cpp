#include "sorvexwebsearch.h"

#include "diagnostics/mlogger.h"
#include "settings/registryfuncs.h"

#include "automation/automationerror.h"
#include "automation/variant.h"
#include "browser/browsersession.h"
#include "messages/messageservice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

namespace {

using automation::AutomationError;

const QString CouldNotNavigate = QStringLiteral("Could not navigate to the web site.");
const QString ServerURLValue = QStringLiteral("SorvexURL");
const QString IonSearchFormPath = QStringLiteral("/cgi/search_form.pl?SEARCH=MIS");

QString userSetting(const QString& name) {
    return RegistryFuncs::ReadSetting(RegistryFuncs::SettingsKey, name, {});
}

QString installedServerURL() {
    return RegistryFuncs::ReadMachineSetting(RegistryFuncs::InstalledServerKey, ServerURLValue, {});
}

// An address stored without a scheme ("prospector.example/form.html") is taken as http, as a
// browser's address bar takes it.
QString withScheme(const QString& url) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    const QString trimmed = url.trimmed();
    return trimmed.isEmpty() || scheme.match(trimmed).hasMatch() ? trimmed
                                                                 : QStringLiteral("http://") + trimmed;
}

// The file name a file field reports: browsers show a chosen file as "C:\fakepath\NAME".
QString reportedFileName(const QString& fieldValue) {
    return fieldValue.section(u'\\', -1).section(u'/', -1);
}

} // namespace

SorvexWebSearch::Waiting SorvexWebSearch::Waiting::real() {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    return {[clock] { return static_cast<std::int64_t>(clock->elapsed()); },
            [](int ms) { QThread::msleep(static_cast<unsigned long>(ms)); },
            [] { QCoreApplication::processEvents(); }};
}

SorvexWebSearch::SorvexWebSearch()
    : SorvexWebSearch([] { return std::make_shared<browser::BrowserSession>(); }, Waiting::real()) {}

SorvexWebSearch::SorvexWebSearch(BrowserOpener openBrowser, Waiting waiting)
    : m_openBrowser(std::move(openBrowser)), m_waiting(std::move(waiting)) {}

std::int32_t SorvexWebSearch::GetWebSearchLocation() const {
    MLogger::LogMessage(QStringLiteral("SorvexWebSearch.GetWebSearchLocation - start"));
    const QString stored = userSetting(QStringLiteral("SorvexURLOption"));
    const std::int32_t location =
        !stored.isEmpty() ? automation::Variant(stored).toLong() : (IsLocalSorvexInstalled() ? 0 : 2);
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
        throw AutomationError::system(QStringLiteral("Cannot get Sorvex options URL."));
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
    } catch (const AutomationError& error) {
        // The message users know, naming the browser we drive and its program, and what actually
        // went wrong.
        const browser::LaunchOptions options = browser::LaunchOptions::fromEnvironment();
        throw AutomationError::system(
            QStringLiteral("Could not launch %1. Is %2 properly installed?\n%3")
                .arg(options.browserName, options.browserProgram, error.description()));
    }
}

bool SorvexWebSearch::waitForCompletePage(browser::BrowserSession& window) const {
    // Checked every 200 ms, so the page has about 31 seconds.
    const std::int64_t start = m_waiting.nowMs();
    while (window.readyState() != 4) {
        m_waiting.sleep(200);
        m_waiting.processEvents();
        if ((m_waiting.nowMs() - start) / 1000 > 30)
            return false;
    }
    return true;
}

void SorvexWebSearch::OpenExplorerWindow(const QString& label, const QString& queryFile, bool peptideSearch,
                                         bool submit) {
    MLogger::LogMessage(QStringLiteral("SorvexWebSearch.OpenExplorerWindow - start"));
    m_searchFormAddress = GetSearchFormURL(peptideSearch);
    const std::shared_ptr<browser::BrowserSession> window = launchBrowser();
    window->navigate(m_searchFormAddress);
    if (!waitForCompletePage(*window))
        throw AutomationError::system(CouldNotNavigate);
    m_waiting.sleep(200);

    const bool sorvexServer = UsesSorvexServer();
    try {
        const QString title =
            window->firstFormElement(sorvexServer ? QStringLiteral("COM") : QStringLiteral("comment"));
        window->setValue(title, label);
    } catch (const AutomationError&) {
        throw AutomationError::system(CouldNotNavigate);
    }
    FillUploadField(*window, queryFile, sorvexServer);
    if (submit) {
        SubmitSearchForm(*window);
        m_waiting.processEvents();
    }
    MLogger::LogMessage(QStringLiteral("SorvexWebSearch.OpenExplorerWindow - end"));
}

void SorvexWebSearch::FillUploadField(browser::BrowserSession& window, const QString& queryFile,
                                      bool sorvexServer) const {
    // A file field cannot be set from the page; the path is typed into it, and checked by the file
    // name the field then reports. Three attempts, then the user fills it in by hand.
    const QString fileName = QFileInfo(queryFile).fileName();
    for (int attempt = 0; attempt < 3; ++attempt) {
        m_waiting.sleep(200);
        m_waiting.processEvents();
        window.bringToFront();
        m_waiting.processEvents();
        const QString field =
            window.firstFormElement(sorvexServer ? QStringLiteral("File") : QStringLiteral("upload_data"));
        window.focus(field);
        if (sorvexServer)
            window.select(field);
        window.sendKeys(field, queryFile);
        m_waiting.sleep(500);
        m_waiting.processEvents();
        if (!sorvexServer || reportedFileName(window.value(field)) == fileName)
            return;
    }
}

void SorvexWebSearch::SubmitSearchForm(browser::BrowserSession& window) const {
    // A form without a submit button is left for the user to send.
    try {
        window.markPage();
        window.click(window.firstFormElement(QStringLiteral("submit")));
    } catch (const AutomationError&) {
        return;
    }
    // The upload has reached the server once the answer page has replaced the form.
    const std::int64_t start = m_waiting.nowMs();
    while (window.pageIsMarked() || window.readyState() != 4) {
        m_waiting.sleep(200);
        m_waiting.processEvents();
        if ((m_waiting.nowMs() - start) / 1000 > 30)
            throw AutomationError::system(CouldNotNavigate);
    }
}
