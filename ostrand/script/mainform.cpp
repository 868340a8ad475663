#include "mainform.h"

#include "data/veskfileinfo.h"
#include "diagnostics/mlogger.h"
#include "export/exportprogress.h"
#include "export/mmathutils.h"
#include "export/queryfile.h"
#include "settings/processingparameters.h"
#include "settings/ui/optionsformvirus.h"
#include "settings/ui/searchfilelocation.h"
#include "web/sorvexwebsearch.h"

#include "automation/classregistry.h"
#include "errors/numberederror.h"
#include "kestrum/automation/centroidablespectrumface.h"
#include "kestrum/centroidablespectrum.h"
#include "messages/messageservice.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cmath>

using automation::Arguments;
using automation::Dispatch;
using automation::Variant;
using errors::NumberedError;
using namespace ostrand;

namespace {

// The host's application object, registered by the host program before it runs a script.
const QString hostApplicationId = QStringLiteral("Corvana.HostApplication");

// Dispatch ids of the host's graph-window objects.
enum HostId : int {
    ActiveGraphWindow = 1,
    WindowPaneList = 2,
    WindowSelectionList = 3,
    PaneCount = 12,
    PaneByIndex = 9,
    PaneSpectrumData = 5,
    PaneCentroidThreshold = 9,
    SelectionCount = 1,
    SelectionByIndex = 7,
    RangeStart = 1,
    RangeEnd = 2,
    RangeDisabled = 3,
};

enum Scope : int { CurrentSpectrum = 0, CurrentSample = 1, SelectedRegions = 2, AllSamples = 3 };

const QString errorTitle = QStringLiteral("Error");
const QString exportTitle = QStringLiteral("Sorvex Export");

// The description of a numbered error, the message of any other.
QString errorText(const std::exception& error) {
    const auto* numberedError = dynamic_cast<const NumberedError*>(&error);
    return numberedError ? numberedError->description() : QString::fromUtf8(error.what());
}

void log(const QString& text) {
    MLogger::LogMessage(text);
}

// The platform's error 91 for a host object that is not there, as the user can act on it: the
// graph window has no acquisition behind it.
NumberedError noDataShown() {
    return NumberedError(91, QStringLiteral("The graph window shows no acquisition data. Open an acquisition "
                                            "first."));
}

// A late-bound call by dispatch id; a reference to nothing raises the platform's error 91.
Variant callById(const std::shared_ptr<Dispatch>& object, int dispatchId, Arguments args = {}) {
    if (!object)
        throw noDataShown();
    return object->invoke(dispatchId, automation::InvokeKind::Method, args);
}

std::shared_ptr<Dispatch> objectById(const std::shared_ptr<Dispatch>& object, int dispatchId,
                                     Arguments args = {}) {
    return callById(object, dispatchId, std::move(args)).toObject();
}

std::shared_ptr<Dispatch> activeGraphWindow() {
    const auto application = automation::ClassRegistry::instance().create(hostApplicationId);
    std::shared_ptr<Dispatch> window;
    try {
        window = objectById(application, ActiveGraphWindow);
    } catch (const NumberedError&) {
        // A host without an active graph window may also fail the call: both mean none.
    }
    if (!window)
        throw NumberedError::system(
            QStringLiteral("A graph window must be active. Open an acquisition first."));
    return window;
}

// The window's last pane: the one whose trace the search reads.
std::shared_ptr<Dispatch> lastPane(const std::shared_ptr<Dispatch>& window) {
    const auto panes = objectById(window, WindowPaneList);
    const std::int32_t count = callById(panes, PaneCount).toLong();
    return objectById(panes, PaneByIndex, {Variant(count)});
}

// Tells the user on the host's status line what a search wrote where; it stays there after the
// dialog has closed. A host without a status line is left alone: the search itself went well.
void tellHost(const QString& what) {
    try {
        if (const auto application = automation::ClassRegistry::instance().tryCreate(hostApplicationId)) {
            Arguments args{Variant(what)};
            application->call(QStringLiteral("StatusMessage"), args);
        }
    } catch (const NumberedError&) {
    }
}

QString countOf(int count, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

// The export's progress shown on the dialog's bar, whose bounds are single-precision numbers.
class BarProgress : public ExportProgress {
public:
    BarProgress(QProgressBar& bar, float maximum) : m_bar(bar), m_maximum(maximum) {
        m_bar.setRange(0, static_cast<int>(std::ceil(maximum)));
        m_bar.setValue(0);
    }
    double Max() const override { return m_maximum; }
    double Value() const override { return m_value; }
    void setValue(double value) override {
        m_value = static_cast<float>(value);
        m_bar.setValue(static_cast<int>(m_value));
    }

private:
    QProgressBar& m_bar;
    float m_maximum;
    float m_value = 0;
};

class LabelCaption : public SampleLabel {
public:
    explicit LabelCaption(QLabel& label) : m_label(label) {}
    void setCaption(const QString& caption) override { m_label.setText(caption); }

private:
    QLabel& m_label;
};

} // namespace

MainForm::MainForm()
    : m_labelCurrentFileName(new QLabel(QStringLiteral("Current filename"))),
      m_labelCurrentSampleName(new QLabel(QStringLiteral("Current sample name"))),
      m_labelNumPeriods(new QLabel(QStringLiteral("Number of periods"))),
      m_labelScanType(new QLabel(QStringLiteral("Scan type"))),
      m_labelDDEData(new QLabel(QStringLiteral("IDA Data"))), m_radioSearch(new QButtonGroup(this)),
      m_searchButton(new QPushButton(QStringLiteral("Search"))),
      m_optionsButton(new QPushButton(QStringLiteral("Options..."))),
      m_cancelButton(new QPushButton(QStringLiteral("Cancel"))), m_progressBar(new QProgressBar),
      m_commonDialog1(new QFileDialog(this)) {
    setWindowTitle(QStringLiteral("Sorvex Search"));
    m_labelCurrentFileName->setObjectName(QStringLiteral("LabelCurrentFileName"));
    m_labelCurrentSampleName->setObjectName(QStringLiteral("LabelCurrentSampleName"));
    m_labelNumPeriods->setObjectName(QStringLiteral("LabelNumPeriods"));
    m_labelScanType->setObjectName(QStringLiteral("LabelScanType"));
    m_labelDDEData->setObjectName(QStringLiteral("LabelDDEData"));
    m_searchButton->setObjectName(QStringLiteral("SearchButton"));
    m_optionsButton->setObjectName(QStringLiteral("OptionsButton"));
    m_cancelButton->setObjectName(QStringLiteral("CancelButton"));
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_commonDialog1->setObjectName(QStringLiteral("CommonDialog1"));
    m_optionsButton->setToolTip(
        QStringLiteral("Click here to set up the web server address and default parameters"));
    m_labelCurrentFileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_labelCurrentFileName->setWordWrap(true);

    auto* facts = new QGridLayout;
    const QStringList captions{QStringLiteral("File:"), QStringLiteral("Sample:"), QStringLiteral("Periods:"),
                               QStringLiteral("Scan type:")};
    const QList<QLabel*> values{m_labelCurrentFileName, m_labelCurrentSampleName, m_labelNumPeriods,
                                m_labelScanType};
    for (int row = 0; row < captions.size(); ++row) {
        auto* caption = new QLabel(captions[row]);
        caption->setObjectName(QStringLiteral("Label%1").arg(row + 1));
        facts->addWidget(caption, row, 0, Qt::AlignTop);
        facts->addWidget(values[row], row, 1);
    }
    facts->addWidget(m_labelDDEData, 3, 2, Qt::AlignRight);
    facts->setColumnStretch(1, 1);

    auto* searchFrame = new QGroupBox(QStringLiteral("Search"));
    searchFrame->setObjectName(QStringLiteral("SearchFrame"));
    auto* scopes = new QVBoxLayout(searchFrame);
    const QStringList scopeCaptions{QStringLiteral("The current spectrum"),
                                    QStringLiteral("All MS/MS spectra for current sample"),
                                    QStringLiteral("All MS/MS spectra from selected region(s) in TIC"),
                                    QStringLiteral("All MS/MS spectra from all samples for current file")};
    for (int scope = 0; scope < scopeCaptions.size(); ++scope) {
        auto* option = new QRadioButton(scopeCaptions[scope]);
        option->setObjectName(QStringLiteral("Radio_Search%1").arg(scope));
        m_radioSearch->addButton(option, scope);
        scopes->addWidget(option);
    }

    auto* versionLabel = new QLabel(QStringLiteral("Version ") + VeskFileInfo::DllVersion());
    versionLabel->setObjectName(QStringLiteral("VersionLabel"));
    versionLabel->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(versionLabel);
    buttons->addStretch();
    buttons->addWidget(m_optionsButton);
    buttons->addWidget(m_searchButton);
    buttons->addWidget(m_cancelButton);
    m_searchButton->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(facts);
    layout->addWidget(searchFrame);
    layout->addWidget(m_progressBar);
    layout->addLayout(buttons);
    // The bar, with its percentage, appears only while an export runs.
    m_progressBar->setFormat(QStringLiteral("%p%"));
    m_progressBar->hide();
    setMinimumWidth(520);

    connect(m_searchButton, &QPushButton::clicked, this, &MainForm::SearchButton_Click);
    connect(m_optionsButton, &QPushButton::clicked, this, &MainForm::OptionsButton_Click);
    connect(m_cancelButton, &QPushButton::clicked, this, &MainForm::CancelButton_Click);
}

MainForm::~MainForm() = default;

bool MainForm::Form_Load() {
    try {
        log(QStringLiteral("MainForm.Form_Load - start"));
        m_useCycles = CycleSelection();
        m_fileInfo = std::make_shared<VeskFileInfo>();
        ReadActiveGraph();
        setWindowTitle(QStringLiteral("Sorvex Search - version ") + VeskFileInfo::DllVersion());
        m_labelCurrentFileName->setText(m_fileInfo->GetFilename());
        m_labelCurrentSampleName->setText(m_fileInfo->getSampleName());
        m_labelNumPeriods->setText(QString::number(m_fileInfo->getNumPeriods()));
        m_labelScanType->setText(m_fileInfo->getScanTypeText());
        if (!m_fileInfo->isDDE())
            m_labelDDEData->setText(QString());
        if (m_fileInfo->isMSMS()) {
            if (m_spectrumShown) {
                selectScope(CurrentSpectrum);
            } else {
                selectScope(CurrentSample);
                setScopeEnabled(CurrentSpectrum, false);
            }
            if (m_useCycles.upperBound() < 0 || m_spectrumShown)
                setScopeEnabled(SelectedRegions, false);
            else
                selectScope(SelectedRegions);
            if (m_fileInfo->getNumberOfSamples().toInt() == 1)
                setScopeEnabled(AllSamples, false);
        } else {
            if (!m_spectrumShown)
                throw NumberedError::system(QStringLiteral("For single MS data you must active a spectrum."));
            selectScope(CurrentSpectrum);
            setScopeEnabled(CurrentSample, false);
            setScopeEnabled(SelectedRegions, false);
            setScopeEnabled(AllSamples, false);
        }
        return true;
    } catch (const std::exception& error) {
        log(QStringLiteral("MainForm.Form_Load - error: ") + errorText(error));
        messages::show(errorText(error), errorTitle);
        return false;
    }
}

void MainForm::ReadActiveGraph() {
    const auto window = activeGraphWindow();
    const auto trace = objectById(lastPane(window), PaneSpectrumData);
    if (!trace)
        throw noDataShown();
    m_spectrumShown = trace->call(QStringLiteral("XUnits")).toString() != QStringLiteral("min");
    const auto veskFile = trace->call(QStringLiteral("GetVeskFileObject")).toObject();
    if (!veskFile)
        throw noDataShown();

    std::int32_t period = 0;
    std::int32_t experiment = 0;
    std::int32_t cycle = 0;
    if (!m_spectrumShown) {
        CollectSelectedCycles(*window, *veskFile, *trace);
    } else {
        period = trace->call(QStringLiteral("GetPeriodNumber")).toLong();
        experiment = trace->call(QStringLiteral("GetExperimentNumber")).toLong();
        const float start = trace->call(QStringLiteral("GetStartTime")).toSingle();
        const std::int32_t sample = trace->call(QStringLiteral("GetSampleNumber")).toLong();
        Arguments position{Variant(sample), Variant(experiment), Variant(start), Variant(std::int32_t{0}),
                           Variant(std::int32_t{0})};
        veskFile->call(QStringLiteral("CycleAtTime"), position);
        cycle = position[4].toLong();
    }
    m_fileInfo->setFileNameAndIndex(veskFile->call(QStringLiteral("FilePath")).toString(),
                                    trace->call(QStringLiteral("GetSampleNumber")).toLong(), period,
                                    experiment, cycle);
}

void MainForm::CollectSelectedCycles(Dispatch& window, Dispatch& veskFile, Dispatch& trace) {
    m_useCycles = CycleSelection();
    const auto selections = objectById(window.shared_from_this(), WindowSelectionList);
    const std::int32_t count = callById(selections, SelectionCount).toLong();

    // One zero-width range alone is a click, not a region; a second one, or any range with a
    // width, makes the selection count.
    bool foundRegion = false;
    bool seenZeroWidth = false;
    for (std::int32_t i = 1; i <= count && !foundRegion; ++i) {
        const auto range = objectById(selections, SelectionByIndex, {Variant(i)});
        if (!range)
            continue;
        const bool zeroWidth = callById(range, RangeEnd).toDouble() == callById(range, RangeStart).toDouble();
        if (!zeroWidth || seenZeroWidth)
            foundRegion = true;
        seenZeroWidth = seenZeroWidth || zeroWidth;
    }
    if (!foundRegion)
        return;

    const std::int32_t sample = trace.call(QStringLiteral("GetSampleNumber")).toLong();
    const auto cycleAt = [&](double minutes) {
        Arguments position{Variant(sample), Variant(std::int32_t{0}),
                           Variant(static_cast<float>(minutes * 60)), Variant(std::int32_t{0}),
                           Variant(std::int32_t{0})};
        veskFile.call(QStringLiteral("CycleAtTime"), position);
        return position[4].toLong();
    };
    for (std::int32_t i = 1; i <= count; ++i) {
        const auto range = objectById(selections, SelectionByIndex, {Variant(i)});
        if (!range)
            continue;
        const std::int32_t first = cycleAt(callById(range, RangeStart).toDouble());
        const std::int32_t last = cycleAt(callById(range, RangeEnd).toDouble());
        if (m_useCycles.upperBound() == -1)
            m_useCycles = CycleSelection{0, std::vector<bool>(std::size_t(last) + 1, false)};
        else if (m_useCycles.upperBound() < last)
            m_useCycles.flags.resize(std::size_t(last) + 1, false);
        for (std::int32_t c = first; c <= last; ++c)
            m_useCycles.flags[std::size_t(c)] = true;
    }
}

void MainForm::SearchButton_Click() {
    try {
        log(QStringLiteral("MainForm.SearchButton_Click - start"));
        m_unsavedQueryNote.clear();
        m_searchButton->setEnabled(false);
        m_optionsButton->setEnabled(false);
        for (QAbstractButton* option : m_radioSearch->buttons())
            option->setEnabled(false);
        m_cancelButton->setFocus();
        switch (selectedScope()) {
        case CurrentSpectrum:
            performSearchOnLoadedSpectrum();
            break;
        case CurrentSample:
            performSearchOnSpectraInFile(false, false, false);
            break;
        case SelectedRegions:
            performSearchOnSpectraInFile(true, false, false);
            break;
        case AllSamples:
            performSearchOnSpectraInFile(false, true, false);
            break;
        default:
            break;
        }
        done(Accepted);
    } catch (const std::exception& error) {
        log(QStringLiteral("MainForm.SearchButton_Click - error: ") + errorText(error));
        // Whatever the search had written is gone with it; the user learns what became of the file.
        messages::show(m_unsavedQueryNote.isEmpty()
                           ? errorText(error)
                           : errorText(error) + QStringLiteral("\n\n") + m_unsavedQueryNote,
                       errorTitle);
    }
}

void MainForm::performSearchOnLoadedSpectrum() {
    log(QStringLiteral("MainForm.performSearchOnLoadedSpectrum - start"));
    const QString path = SearchFileLocation::GetSearchFile(*m_commonDialog1);
    if (path.isEmpty())
        return;
    const auto window = activeGraphWindow();
    const auto pane = lastPane(window);
    const auto trace =
        std::dynamic_pointer_cast<CentroidableSpectrumFace>(objectById(pane, PaneSpectrumData));
    if (!trace)
        throw NumberedError::standard(errors::TypeMismatch);
    std::shared_ptr<kestrum::CentroidableSpectrum> spectrum = trace->spectrum();
    if (!spectrum->IsCentroided())
        spectrum = MMathUtils::DoCentroidNative(*spectrum->CopySpectrum(), true, false, false,
                                                callById(pane, PaneCentroidThreshold).toDouble(), -1);

    const bool isPeptide = m_fileInfo->isMSMSButNotDDE();
    double precursor = 0;
    if (isPeptide) {
        // The title of the spectrum on screen: a centroided copy carries no title of its own.
        precursor = VeskFileInfo::ParseParentMZFromTitle(trace->spectrum()->Title());
        if (precursor == 0)
            throw NumberedError::system(QStringLiteral("Could not get precursor m/z."));
    }
    QueryFile::Peaks peaks;
    for (int i = 1; i <= spectrum->PointCount(); ++i) {
        const auto point = spectrum->PointAt(i);
        // A fingerprint takes the peaks above m/z 100 within the selected ranges.
        if (isPeptide || (point.first > 100 && IsMassInSelection(*window, point.first)))
            peaks.push_back(point);
    }
    QueryFile query(path, isPeptide ? QueryFile::Search::Ions : QueryFile::Search::Fingerprint);
    m_unsavedQueryNote = query.unsavedText();
    if (isPeptide)
        query.appendIonsBlock(precursor, peaks);
    else
        query.appendPeakList(peaks);
    query.save();
    m_unsavedQueryNote.clear();
    tellHost(
        QStringLiteral("The spectrum on screen (%1) written to %2.")
            .arg(countOf(static_cast<int>(peaks.size()), QStringLiteral("peak"), QStringLiteral("peaks")),
                 path));
    openSearchForm(MakeSampleLabel(false), path, isPeptide, false);
}

bool MainForm::IsMassInSelection(Dispatch& window, double mz) {
    const auto selections = objectById(window.shared_from_this(), WindowSelectionList);
    const std::int32_t count = callById(selections, SelectionCount).toLong();
    bool inSelection = true;
    for (std::int32_t i = 1; i <= count; ++i) {
        const auto range = objectById(selections, SelectionByIndex, {Variant(i)});
        if (!range || callById(range, RangeDisabled).toBool())
            continue;
        const double start = callById(range, RangeStart).toDouble();
        const double end = callById(range, RangeEnd).toDouble();
        if (start >= end)
            continue;
        inSelection = false;
        if (start <= mz && mz < end)
            return true;
    }
    return inSelection;
}

void MainForm::performSearchOnSpectraInFile(bool useRange, bool allSamples, bool doAutoStart) {
    log(QStringLiteral("MainForm.performSearchOnSpectraInFile - start"));
    const QString path = SearchFileLocation::GetSearchFile(*m_commonDialog1);
    if (path.isEmpty())
        return;
    const std::int32_t sampleIndex = allSamples ? -1 : m_fileInfo->getSampleIndex();
    const double steps = useRange
                             ? QueryFile::progressTotal(*m_fileInfo, sampleIndex, m_useCycles.lowerBound,
                                                        m_useCycles.upperBound(), m_useCycles)
                             : QueryFile::progressTotal(*m_fileInfo, sampleIndex, -1, -1, CycleSelection());
    BarProgress progress(*m_progressBar, static_cast<float>(steps));
    m_progressBar->show();
    LabelCaption sampleLabel(*m_labelCurrentSampleName);

    m_exporter = std::make_shared<MExportMSMSToSorvex>();
    QueryFile query(path, QueryFile::Search::Ions, m_exporter->GetQueryStringHelper());
    m_unsavedQueryNote = query.unsavedText();
    auto params = std::make_shared<ProcessingParameters>();
    params->SetInfoFromRegistry();
    if (useRange)
        m_exporter->DoExportSpecificCycles(m_fileInfo->GetFilename(), sampleIndex, params, &progress,
                                           &sampleLabel, m_useCycles);
    else
        m_exporter->DoExportRange(m_fileInfo->GetFilename(), sampleIndex, params, &progress, -1, -1,
                                  &sampleLabel);
    // A search that ends without a query to search leaves the file where it was, and says so.
    if (m_exporter->wasCancelled()) {
        tellHost(QStringLiteral("Search cancelled. ") + query.unsavedText());
        messages::show(QStringLiteral("The search was cancelled.\n\n") + query.unsavedText(), exportTitle);
        return;
    }
    if (m_exporter->numSpectraInResult() == 0) {
        const QString nothingFound = QStringLiteral("Sorry, there were no valid MS/MS spectra in this data.");
        tellHost(nothingFound + u' ' + query.unsavedText());
        messages::show(nothingFound + QStringLiteral("\n\n") + query.unsavedText(), exportTitle);
        return;
    }
    query.save();
    m_unsavedQueryNote.clear();
    tellHost(QStringLiteral("%1 written to %2.")
                 .arg(countOf(m_exporter->numSpectraInResult(), QStringLiteral("spectrum"),
                              QStringLiteral("spectra")),
                      path));
    openSearchForm(MakeSampleLabel(allSamples), path, true, doAutoStart);
}

void MainForm::openSearchForm(const QString& label, const QString& path, bool peptideSearch,
                              bool doAutoStart) {
    SorvexWebSearch search;
    try {
        search.OpenExplorerWindow(label, path, peptideSearch, doAutoStart);
    } catch (const std::exception& error) {
        // The query file is complete: the user can still submit it by hand, and must know where
        // the form was looked for and where the file is.
        log(QStringLiteral("MainForm.openSearchForm - error: ") + errorText(error));
        QString text = errorText(error) + QStringLiteral("\n\n");
        if (!search.searchFormAddress().isEmpty())
            text += QStringLiteral("Search form address tried: %1\n").arg(search.searchFormAddress());
        text +=
            QStringLiteral("The query file is kept at %1; it can be submitted on the search form by hand.")
                .arg(path);
        messages::show(text, errorTitle);
    }
}

QString MainForm::MakeSampleLabel(bool allSamples) const {
    return m_fileInfo->GetFilename() +
           (allSamples ? QStringLiteral(" (all samples)")
                       : QStringLiteral(" (sample number %1)").arg(m_fileInfo->getSampleIndex()));
}

void MainForm::OptionsButton_Click() {
    try {
        OptionsFormVirus& options = OptionsFormVirus::instance();
        options.SetSearchParameters(m_radioSearch->button(CurrentSpectrum)->isChecked(), m_fileInfo->isDDE(),
                                    m_fileInfo->isTOFSurveyDDE() || m_fileInfo->haveEngineDDEChargeState());
        options.Show(this);
    } catch (const std::exception& error) {
        // An error must not leave a window event handler: it would end the host program.
        messages::show(errorText(error), errorTitle);
    }
}

void MainForm::CancelButton_Click() {
    if (m_exporter)
        m_exporter->CancelExport();
    done(Rejected);
}

void MainForm::reject() {
    CancelButton_Click();
}

void MainForm::setScopeEnabled(int scope, bool enabled) {
    m_radioSearch->button(scope)->setEnabled(enabled);
}

void MainForm::selectScope(int scope) {
    m_radioSearch->button(scope)->setChecked(true);
}

int MainForm::selectedScope() const {
    return m_radioSearch->checkedId();
}
