#pragma once
// The search engine's web form: which server the user has chosen, the address of its search form
// and of its default-parameters page, and a browser window opened on the form with the search
// title and the query file filled in (and, when asked, the form submitted).
//
// Location codes: 0 the server installed on this computer (machine setting "SorvexURL"), 1 a
// server on the intranet (user setting "SorvexURL"), 2 the search engine maker's public server,
// 3 Protein Prospector (user setting "ProteinProspectorURL", used as stored, with "http://" in
// front when it names no scheme).

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace browser {
class BrowserSession;
}

class SorvexWebSearch {
public:
    // The public server of location 2.
    static inline const QString PublicServerURL = QStringLiteral("http://www.tervane.example");

    // How the form filling waits: the time in milliseconds on a steady clock, a sleep, one run of
    // the program's queued events, and whether the user has asked to stop (none: never), which
    // stops the filling or the upload with browser::Interrupted and closes the browser. Tests pass
    // a clock of their own.
    struct Waiting {
        std::function<std::int64_t()> nowMs;
        std::function<void(int ms)> sleep;
        std::function<void()> processEvents;
        std::function<bool()> interrupted = {};
        static Waiting real();
    };
    using BrowserOpener = std::function<std::shared_ptr<browser::BrowserSession>()>;

    // Each OpenExplorerWindow starts a new browser session of its own.
    SorvexWebSearch();
    // The same, waiting with `waiting`.
    explicit SorvexWebSearch(Waiting waiting);
    // Opens browser sessions with `openBrowser` and waits with `waiting`.
    SorvexWebSearch(BrowserOpener openBrowser, Waiting waiting);

    // The chosen location: the stored "SorvexURLOption", or when none is stored 0 if a server is
    // installed here and 2 otherwise. A stored text that is not a number raises a type mismatch.
    std::int32_t GetWebSearchLocation() const;
    // Whether a search server is installed on this computer (a machine setting "SorvexURL").
    bool IsLocalSorvexInstalled() const;
    // The default-parameters page of the server at `location`; `serverURL` is the intranet address
    // the options window shows. Raises "Cannot get Sorvex options URL." for Protein Prospector.
    QString GetSorvexOptionsURL(std::int32_t location, const QString& serverURL) const;
    // Opens a new browser window on that page and leaves it with the user.
    void OpenSorvexOptionsPage(std::int32_t location, const QString& serverURL);
    // Opens the chosen server's search form, sets the search title to `label` and attaches
    // `queryFile`; with `submit`, presses the form's submit button and returns once the server has
    // accepted the upload. Raises "Could not navigate to the web site." when the form does not load
    // within about 30 seconds or has no title field, and an error saying why when the form is not
    // the chosen server's own, answered with an error status or has no file field, and, with
    // `submit`, when the file cannot be attached, the form has no submit button or would go to
    // another server, or the server does not accept the upload.
    void OpenExplorerWindow(const QString& label, const QString& queryFile, bool peptideSearch, bool submit);
    // The search form address the last OpenExplorerWindow opened or tried to open; "" before one.
    const QString& searchFormAddress() const { return m_searchFormAddress; }

    // The search form address on a server: lower case, trimmed, cut before "/cgi/", "http://" in
    // front, one trailing "/" removed, then "/cgi/search_form.pl?SEARCH=MIS" (or PMF). An empty
    // address is reported and the public server used instead.
    static QString CompleteSearchFormURL(const QString& url, bool peptideSearch);

private:
    bool UsesSorvexServer() const;
    QString GetSearchFormURL(bool peptideSearch) const;
    QString GetServerURL(std::int32_t location, const QString& serverURL, const QString& prospectorURL,
                         bool peptideSearch) const;
    std::shared_ptr<browser::BrowserSession> launchBrowser() const;
    // Waits for the page in the window to be complete; false after about 30 seconds.
    bool waitForCompletePage(browser::BrowserSession& window) const;
    // Sleeps and lets queued events run; raises browser::Interrupted, closing the window, when the
    // user has asked to stop.
    void pause(browser::BrowserSession& window, int ms) const;
    void FillUploadField(browser::BrowserSession& window, const QString& queryFile, bool sorvexServer,
                         bool submit) const;
    void SubmitSearchForm(browser::BrowserSession& window, const QString& formURL) const;

    BrowserOpener m_openBrowser;
    Waiting m_waiting;
    QString m_searchFormAddress;
};
