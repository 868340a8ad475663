#pragma once
// The search dialog that ProcessActive shows: it tells the user which data file, sample and scan
// type are active in the host, offers the search scopes that suit what is on screen (the spectrum
// shown, the current sample, the ranges selected on the chromatogram, all samples), and on Search
// writes the query file (the shown spectrum itself, or whole-file spectra through the MS/MS
// exporter) and opens the search engine's form on it. A search that is cancelled, fails or finds
// nothing leaves an earlier query file as it was and says so. Reads the host's graph window late-bound.

#include "export/mexportmsmstosorvex.h"

#include <QDialog>
#include <memory>

class QButtonGroup;
class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace ostrand {
class VeskFileInfo;
}

namespace automation {
class Dispatch;
}

class MainForm : public QDialog {
    Q_OBJECT
public:
    MainForm();
    ~MainForm() override;

    // The load step: reads the active graph window, fills the labels and selects the default
    // scope. On failure it logs the error, shows it in a message box titled "Error" and returns
    // false; the dialog is then not to be shown.
    bool Form_Load();

    // Whole-file searches: the current sample, the selected chromatogram ranges (`useRange`) or
    // every sample (`allSamples`); `doAutoStart` also submits the search form.
    void performSearchOnSpectraInFile(bool useRange, bool allSamples, bool doAutoStart);
    // The spectrum shown in the active graph, written by the dialog itself.
    void performSearchOnLoadedSpectrum();
    // True when no usable range is selected in the window or the m/z lies in one of them.
    static bool IsMassInSelection(automation::Dispatch& window, double mz);
    // The data file's path and which samples were searched: the search title of the web form.
    QString MakeSampleLabel(bool allSamples) const;

protected:
    // Escape and closing the window act as Cancel: a running export stops at its next cycle.
    void reject() override;

private:
    void ReadActiveGraph();
    void CollectSelectedCycles(automation::Dispatch& window, automation::Dispatch& veskFile,
                               automation::Dispatch& trace);
    void SearchButton_Click();
    void OptionsButton_Click();
    void CancelButton_Click();
    // Opens the search form on the written query file. When the browser step fails the file is
    // still complete: the message names the address tried and where the file is kept, and the
    // dialog closes as after any finished search.
    void openSearchForm(const QString& label, const QString& path, bool peptideSearch, bool doAutoStart);
    void setScopeEnabled(int scope, bool enabled);
    void selectScope(int scope);
    int selectedScope() const;

    QLabel* m_labelCurrentFileName;
    QLabel* m_labelCurrentSampleName;
    QLabel* m_labelNumPeriods;
    QLabel* m_labelScanType;
    QLabel* m_labelDDEData;
    QButtonGroup* m_radioSearch;
    QPushButton* m_searchButton;
    QPushButton* m_optionsButton;
    QPushButton* m_cancelButton;
    QProgressBar* m_progressBar;
    // The save prompt of the search file location step.
    QFileDialog* m_commonDialog1;

    std::shared_ptr<ostrand::VeskFileInfo> m_fileInfo;
    std::shared_ptr<ostrand::MExportMSMSToSorvex> m_exporter;
    bool m_spectrumShown = false;
    ostrand::CycleSelection m_useCycles;
    // While a search writes its query file: what an error would leave of it, told with the error.
    QString m_unsavedQueryNote;
};
