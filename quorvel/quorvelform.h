#pragma once
// The batch driver's window: replays a batch acquisition for a processing script. The user picks
// a script and a list of Vesk data files; Run creates the script's ProcessClass and calls its
// hooks BatchStart, SampleStart and SampleEnd for every sample of every file, then BatchEnd, in
// the order and with the arguments the acquisition host uses. The window remembers its inputs in
// the application settings of "Acq Quorvel".

#include "quorvel_form_export.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>

class ElidedLabel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace automation {
class Dispatch;
}

class QUORVEL_FORM_EXPORT QuorvelForm : public QWidget {
    Q_OBJECT
public:
    // Builds the window and fills it from the saved settings.
    explicit QuorvelForm(QWidget* parent = nullptr);
    ~QuorvelForm() override;

    // Full paths of the listed data files, in list order.
    const QStringList& files() const { return m_files; }
    const QString& scriptPath() const { return m_scriptPath; }

    // Appends a data file to the list, whether or not it exists (Run checks that).
    void AddDataFile(const QString& path);
    // Adds the .vesk files of a folder (any case of the extension), then those of its sub-folders,
    // depth first; raises when the folder cannot be listed.
    void AddFolderRecursive(const QString& folder);
    // Makes `path` the script and shows its file name.
    void SetScriptPath(const QString& path);
    // Empties the file list.
    void RemoveAllFiles();
    // Handles paths dropped on the window: folders, data files and scripts; other files are
    // ignored. An error is shown in a message box and ends the drop.
    void DropPaths(const QStringList& paths);

    // Checks the inputs, saves them and runs the batch; the description of the error that stopped
    // it, or "" when the run completed or was cancelled. Shows no message itself.
    QString Run();
    // Asks a running batch to stop once the sample in hand has had its hooks; BatchEnd still follows.
    void CancelRun();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void layOut();
    void loadSettings();

    void UpdateRangeControls();
    // Appends a file to the list without bringing the rest of the window up to date.
    void appendFile(const QString& path);
    // After any change of the file list: the names shown, the range controls and the sample count.
    void fileListChanged();
    // Shows each listed file by as much of its path as tells it from the other files listed.
    void showDistinguishingNames();
    // Clears a message about the inputs once the user has changed them.
    void inputsChanged();
    // Locks the inputs during a run, and shows the progress bar and Cancel while it lasts.
    void setRunning(bool running);
    void AddFolderRecursive(const QString& folder, QSet<QString>& visited);
    void ValidateInputs();
    void SaveSettings();
    void RunBatch();
    void Call_BatchStart(automation::Dispatch& theScript);
    void Call_BatchEnd(automation::Dispatch& theScript);
    void Call_SampleStart(automation::Dispatch& theScript, const QString& filePath, int index);
    void Call_SampleEnd(automation::Dispatch& theScript, const QString& filePath, int index);
    // Calls the script's hook by name; a hook the script lacks is skipped, any other error ends
    // the run with its description.
    void callHook(automation::Dispatch& theScript, const QString& hook, const QString& filePath = {},
                  int index = 0);

    void AddFileClicked();
    void AddFolderClicked();
    void RemoveSelectedClicked();
    void SelectScriptClicked();
    // The files chosen in the open dialog (one, or with `several` any number), the last remembered
    // under `lastFileKey` as the next initial name; none when the user cancels or the dialog fails
    // (its error is shown).
    QStringList chooseFiles(const QString& filter, const QString& lastFileKey, const QString& title,
                            bool several);
    void RunClicked();

    // Shows where the run stands and lets the window handle events, so that Cancel can be pressed;
    // `done` of `total` is the share of the batch finished.
    void showProgress(const QString& text, double done);
    bool rangeIsLimited() const;
    // Shows that the run stopped and why; returns the description.
    QString stopped(const QString& description);
    // Shows `text` in the status line; `isError` marks it as a message about the inputs.
    void setStatus(const QString& text, bool isError = false);

    QStringList m_files;
    QString m_scriptPath;
    bool m_running = false;
    bool m_cancelRequested = false;
    bool m_closeAfterRun = false;
    bool m_statusIsError = false;
    // The sample range ValidateInputs read from the fields.
    int m_firstSample = 1;
    int m_lastSample = 1;

    QListWidget* m_fileList;
    QLineEdit* m_scriptName;
    QCheckBox* m_sampleRangeCheck;
    QLabel* m_limitedFromLabel;
    QLineEdit* m_limitedFromText;
    QLabel* m_limitedToLabel;
    QLineEdit* m_limitedToText;
    QLabel* m_sampleCount;
    ElidedLabel* m_status;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
    QPushButton* m_addFile;
    QPushButton* m_addFolder;
    QPushButton* m_removeFile;
    QPushButton* m_clearFiles;
    QPushButton* m_selectScript;
    QPushButton* m_run;
    QPushButton* m_close;
};
