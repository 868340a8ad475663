#pragma once
// One browser window driven over W3C WebDriver: starts the driver program (Debian's chromedriver)
// on a free loopback port, opens a browser session on it and offers what filling in a web form
// needs: navigate, the document's ready state, the first form's fields by name, their values,
// focus, select, click, typing a file path into a file field, and the window to the front.
//
// A visible window opens when a display is there; it can be left open with the user when the
// session object goes. Without a display the browser runs headless and is closed at the end.
// The driver and the browser live no longer than this program, unless a window is left open with the
// user; a profile folder that an ended program left behind is removed by the next session.
// Every failure raises a numbered error that says what went wrong: no driver or browser
// installed, a driver that does not start in time, a session the driver refuses, or a window the
// user has closed meanwhile.

#include "platform_browser_export.h"
#include "processgroupguard.h"

#include <QJsonArray>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

namespace browser {

// Raised by a session's commands when the user has asked to stop (see setInterruptCheck); the
// browser is then closed at the end, whatever it was doing.
struct Interrupted {};

class WebDriverConnection;

// Which browser and driver to start, and how. fromEnvironment() reads:
//   OSTRAND_BROWSER           the browser program (default /usr/bin/chromium)
//   OSTRAND_WEBDRIVER         the WebDriver program for it (default /usr/bin/chromedriver)
//   OSTRAND_BROWSER_HEADLESS  set to 1 to run headless even when a display is there
struct PLATFORM_BROWSER_EXPORT LaunchOptions {
    QString browserProgram;
    QString driverProgram;
    // The name users know the browser by, for messages: "Chromium", or the program's file name.
    QString browserName;
    bool visible = false;
    // With a visible window: the window stays open after the session object goes.
    bool keepOpen = false;
    int driverStartTimeoutMs = 20000;

    static LaunchOptions fromEnvironment();
    // Why the driver or the browser cannot be started (not installed), or "" when both are there.
    QString missingProgram() const;
};

class PLATFORM_BROWSER_EXPORT BrowserSession {
public:
    // Starts the driver and opens the browser window (blank). Raises an error naming the cause.
    explicit BrowserSession(const LaunchOptions& options = LaunchOptions::fromEnvironment());
    // Closes the browser unless it is a visible window kept open, and stops the driver.
    ~BrowserSession();
    BrowserSession(const BrowserSession&) = delete;
    BrowserSession& operator=(const BrowserSession&) = delete;

    const QString& browserName() const { return m_options.browserName; }
    // Closes the browser at the end after all, even a visible window meant to be left open.
    void closeAtEnd();
    // From now on a command that waits for the browser asks `interrupted` about ten times a second,
    // and raises Interrupted when it answers true.
    void setInterruptCheck(std::function<bool()> interrupted);

    // Starts loading the address and returns at once; readyState() tells when it is there.
    void navigate(const QString& url);
    // The document's ready state as a number: 0 uninitialized, 1 loading, 2 loaded,
    // 3 interactive, 4 complete.
    int readyState();
    QString currentUrl();
    // The HTTP status the document shown came with: 0 when the browser shows a page of its own (it
    // could not reach the server), -1 when the browser does not tell.
    int responseStatus();
    // Marks the document now shown, so that pageIsMarked() tells when another has replaced it.
    void markPage();
    bool pageIsMarked();

    // The id of the field named `name` in the document's first form; raises error 438 naming the
    // field when the page has no form or the form has no such field.
    QString firstFormElement(const QString& name);
    QString value(const QString& element);
    void setValue(const QString& element, const QString& text);
    void focus(const QString& element);
    void select(const QString& element);
    void click(const QString& element);
    // Types the text into the field as keystrokes; into a file field, a full path attaches that
    // file, and the field's value then reads "C:\fakepath\" and the file name.
    void sendKeys(const QString& element, const QString& text);
    // A form field's type ("text", "file", "submit", ...), and the names of the files attached to
    // a file field.
    QString fieldType(const QString& element);
    QStringList attachedFiles(const QString& element);
    // The full address the form of `button` is sent to when that button is pressed.
    QString submissionTarget(const QString& button);
    // From now on the browser sends the forms of the document shown only to the document's own
    // server, a redirection of the sent form included; blockedSubmission() then gives the address
    // of a sending it stopped, or "".
    void restrictSubmissionsToOwnServer();
    QString blockedSubmission();

    // The handle of the browser window, and bringing that window to the front.
    QString windowHandle();
    void bringToFront();

private:
    void startDriver();
    void openSession();
    // Stops the driver; a browser it started goes with it unless it was left open with the user.
    void stopDriver();
    // Runs a WebDriver command on the session, turning its failures into numbered errors.
    template <typename Command> auto run(const QString& what, Command command);
    QJsonValue script(const QString& source, const QJsonArray& arguments);
    QString sessionPath(const QString& tail = {}) const;

    LaunchOptions m_options;
    // A fresh profile for each session, so no earlier session's state or prompts come back.
    QTemporaryDir m_profile;
    // Declared after the profile, so that the browser has gone before its profile is removed.
    ProcessGroupGuard m_guard;
    QProcess m_driver;
    std::unique_ptr<WebDriverConnection> m_connection;
    QString m_sessionId;
};

} // namespace browser
