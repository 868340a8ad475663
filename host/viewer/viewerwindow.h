#pragma once
// The viewer's main window, the host's graph window: a Vesk file's total-ion chromatogram for the
// chosen sample, period and experiment, and below it the spectrum of the cycle clicked. The user
// selects x ranges on either pane and runs processing scripts on what is shown; the pane last
// worked in is the active one, whose trace and ranges the script reads.

#include "host_viewer_export.h"

#include "host/graphwindow.h"

#include <QMainWindow>
#include <memory>

class QComboBox;
class QLabel;
class QMenu;

namespace kestrum {
class VeskFile;
}

namespace host {

class PlotWidget;

class HOST_VIEWER_EXPORT ViewerWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit ViewerWindow(QWidget* parent = nullptr);
    ~ViewerWindow() override;

    // Shows the file's first sample; says why in a message when the file cannot be read.
    bool openFile(const QString& path);
    void chooseSample(int sample);
    void chooseExperiment(int experiment);
    // Shows the spectrum of the chosen experiment at the cycle nearest the time (minutes).
    void showSpectrumAt(double minutes);

    PlotWidget* chromatogramPane() const { return m_chromatogram; }
    PlotWidget* spectrumPane() const { return m_spectrum; }
    void activatePane(PlotWidget* pane);

    // What a script sees: the panes shown, the active one last, and the active pane's ranges;
    // none when no file is shown.
    std::shared_ptr<GraphWindow> graphWindow() const;
    // Runs the script on what is shown and remembers it; a failure is shown as a message.
    void runScript(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildMenus();
    void chooseFileToOpen();
    void chooseScriptToRun();
    void fillSampleChoices();
    void fillPeriodAndExperimentChoices();
    void showChromatogram();
    void rememberRecentFile(const QString& path);
    void rebuildRecentFilesMenu();
    void updateStatus();
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
    QString m_spectrumStatus;
    // While the choices are being refilled, their change signals must not reload the panes.
    bool m_filling = false;
};

} // namespace host
