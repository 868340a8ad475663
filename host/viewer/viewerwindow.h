#pragma once
// The viewer's main window, the host's graph window: a Vesk file's total-ion chromatogram for the
// chosen sample, period and experiment, and below it the spectrum of the cycle clicked (the
// cursor). The user selects x ranges on either pane and runs processing scripts on what is shown;
// the pane last worked in is the active one, whose trace and ranges the script reads. Periods,
// experiments and cycles are shown counted from 1, as query titles count them; the file's own
// numbers, from 0, are in the tooltips.

#include "host_viewer_export.h"

#include "host/graphwindow.h"

#include <QMainWindow>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QMenu;

namespace kestrum {
class VeskFile;
}

namespace host {

class PlotWidget;
struct XMark;

class HOST_VIEWER_EXPORT ViewerWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ViewerWindow(QWidget* parent = nullptr);
    ~ViewerWindow() override;

    // Shows the file's first sample; says why in a message when the file cannot be read.
    bool openFile(const QString& path);
    void chooseSample(int sample);
    // The experiment as the file stores it, from 0.
    void chooseExperiment(int experiment);
    // Shows the spectrum of the chosen experiment at the cycle nearest the time (minutes).
    void showSpectrumAt(double minutes);
    // Moves the cursor to the next (`step` 1) or previous (-1) cycle in which the chosen
    // experiment recorded a scan.
    void stepScan(int step);
    // The cycle under the cursor, from 0; none before one is chosen.
    std::optional<int> cursorCycle() const;

    PlotWidget* chromatogramPane() const { return m_chromatogram; }
    PlotWidget* spectrumPane() const { return m_spectrum; }
    void activatePane(PlotWidget* pane);

    // What a script sees: the panes shown, the active one last, and the active pane's ranges;
    // none when no file is shown.
    std::shared_ptr<GraphWindow> graphWindow() const;
    // Runs the script on what is shown and remembers it; a failure is shown as a message. What
    // the script reports when it has finished (such as what a search wrote where) stays on the
    // status line.
    void runScript(const QString& path);
    // Saves the active pane as a PNG picture or, for a path ending in .svg, an SVG drawing;
    // says why in a message when it cannot.
    bool exportPlot(const QString& path);
    void copyPlot();

    // The status line: what is shown and which pane scripts use; and what the last command did.
    QString statusText() const;
    QString outcomeText() const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    struct Cursor {
        int period = 0;
        int cycle = 0;
    };

    void buildMenus();
    void chooseFileToOpen();
    void chooseScriptToRun();
    void choosePlotFileToExport();
    void showAbout();
    void fillSampleChoices();
    void fillPeriodAndExperimentChoices();
    void showChromatogram();
    void showCycle(Cursor cursor);
    std::vector<XMark> precursorMarks(Cursor cursor) const;
    void rememberRecentFile(const QString& path);
    void rebuildRecentFilesMenu();
    void updateStatus();
    void setOutcome(const QString& text);
    QString activePaneName() const;
    int sample() const;
    int period() const;
    int experiment() const;

    std::shared_ptr<kestrum::VeskFile> m_file;
    QComboBox* m_sampleChoice;
    QComboBox* m_periodChoice;
    QComboBox* m_experimentChoice;
    PlotWidget* m_chromatogram;
    PlotWidget* m_spectrum;
    PlotWidget* m_activePane = nullptr;
    QMenu* m_recentFilesMenu = nullptr;
    QAction* m_runLastScript = nullptr;
    QLabel* m_status;
    QLabel* m_outcome;
    QString m_spectrumStatus;
    std::optional<Cursor> m_cursor;
    // While the choices are being refilled, their change signals must not reload the panes.
    bool m_filling = false;
};

} // namespace host
