#pragma once
// The options dialog "Sorvex Search - Options" as the rest of the library knows it: one window
// object for the whole library, created on first reference. Its controls are loaded (and filled
// from the settings) the first time anything touches them, and unloaded when the window closes;
// the window object and its OptionsFormHelper, with the flags that describe the data at hand, live
// on. The rules behind the controls are OptionsModel's, which the batch search client's lists run
// without any window.

#include <QDialog>
#include <QPointer>

#include <memory>

class OptionsFormHelper;
class OptionsWindow;

class OptionsFormVirus {
public:
    // The library-wide window object.
    static OptionsFormVirus& instance();

    OptionsFormVirus();
    ~OptionsFormVirus();
    OptionsFormVirus(const OptionsFormVirus&) = delete;
    OptionsFormVirus& operator=(const OptionsFormVirus&) = delete;

    // Stores the flags that decide which controls are enabled; does not load the controls.
    void SetSearchParameters(bool singleSpectrum, bool ddeData, bool needGuessChargeState);
    // The OK button: validates, saves and closes, or shows why not and stays open.
    void OK_Click();
    // Shows the window modally over `owner` and returns when it has closed.
    void Show(QWidget* owner = nullptr);
    // Disables every control placed directly in the frame with the search server choice.
    void DisableServerFrameControls();

    // The loaded window, loading it first when needed. Raises an error when the program has no
    // widget application for the window to live in.
    OptionsWindow& controls();
    bool isLoaded() const { return !m_window.isNull(); }
    bool isShown() const;
    // Closes the window: ends a modal show with `result`, or discards the controls of a window
    // not shown.
    void Close(int result = QDialog::Accepted);

private:
    OptionsFormHelper& helper();
    void Unload();

    std::unique_ptr<OptionsFormHelper> m_helper;
    QPointer<OptionsWindow> m_window;
    // True while one of the window's own event handlers runs.
    bool m_inWindowEvent = false;
};
