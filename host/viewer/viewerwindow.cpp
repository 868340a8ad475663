#include "viewerwindow.h"

#include "plotwidget.h"
#include "tracepoints.h"

#include "host/hostapplication.h"
#include "host/installedscripts.h"
#include "host/scriptrun.h"

#include "appsettings/applicationsettings.h"
#include "errors/numberederror.h"
#include "files/savefile.h"
#include "kestrum/experimentinfo.h"
#include "kestrum/filespectrum.h"
#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"
#include "messages/messageservice.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

namespace host {

namespace {

const QString applicationName = QStringLiteral("VeskViewer");
const QString viewerName = QStringLiteral("Vesk Viewer");
const QString recentSection = QStringLiteral("RecentFiles");
const QString scriptSection = QStringLiteral("Scripts");
const QString lastScriptKey = QStringLiteral("LastScript");
constexpr int recentFileCount = 8;

QString recentKey(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

QStringList recentFiles() {
    QStringList files;
    for (int i = 0; i < recentFileCount; ++i) {
        const QString path = appsettings::value(applicationName, recentSection, recentKey(i));
        if (!path.isEmpty())
            files << path;
    }
    return files;
}

// Periods, experiments and cycles as query titles count them: from 1, where the file counts from 0.
int shownNumber(int storedIndex) {
    return storedIndex + 1;
}

// "2: +TOF Product" for the experiment choice.
QString experimentText(int index, const kestrum::ExperimentInfo& experiment) {
    return QStringLiteral("%1: %2%3")
        .arg(shownNumber(index))
        .arg(experiment.Polarity() == 0 ? QLatin1Char('+') : QLatin1Char('-'))
        .arg(kestrum::scanTypeText(experiment.ScanTypeCode()));
}

void showError(const QString& text) {
    messages::show(text, viewerName);
}

// Hands the host's status messages to the listener while it lives, also when a script ends by
// an exception.
class StatusListening {
public:
    explicit StatusListening(HostApplication::StatusListener listener) {
        HostApplication::instance().setStatusListener(std::move(listener));
    }
    ~StatusListening() { HostApplication::instance().setStatusListener({}); }
    StatusListening(const StatusListening&) = delete;
    StatusListening& operator=(const StatusListening&) = delete;
};

const QString plotFilters = QStringLiteral("PNG picture (*.png);;SVG drawing (*.svg)");
const QString svgMimeType = QStringLiteral("image/svg+xml");

// The mouse and keys of the panes and the window, for Help > About.
const QString actionsHelp = QStringLiteral(
    "<table cellspacing='4'>"
    "<tr><td>Click</td><td>shows the spectrum of that cycle (on the chromatogram)</td></tr>"
    "<tr><td>Drag</td><td>selects a range; Delete clears the ranges</td></tr>"
    "<tr><td>Right-drag, wheel</td><td>zoom; double-click or Home shows everything</td></tr>"
    "<tr><td>Middle-drag, Left, Right</td><td>pan</td></tr>"
    "<tr><td>Shift+wheel, Up, Down</td><td>stretch or shrink the intensity axis</td></tr>"
    "<tr><td>Page Down, Page Up</td><td>next or previous scan of the experiment</td></tr>"
    "<tr><td>Ctrl+C, Ctrl+E</td><td>copy or export the framed pane (PNG, SVG)</td></tr>"
    "<tr><td>Ctrl+R, F5</td><td>run a script, run it again</td></tr>"
    "</table>"
    "<p>Any click, drag, wheel turn or key in a pane makes it the active pane, framed in blue: "
    "scripts read its trace and its ranges.</p>");

} // namespace

ViewerWindow::ViewerWindow(QWidget* parent)
    : QMainWindow(parent), m_sampleChoice(new QComboBox), m_periodChoice(new QComboBox),
      m_experimentChoice(new QComboBox), m_chromatogram(new PlotWidget), m_spectrum(new PlotWidget),
      m_status(new QLabel), m_outcome(new QLabel) {
    setWindowTitle(viewerName);
    setAcceptDrops(true);
    m_sampleChoice->setObjectName(QStringLiteral("SampleChoice"));
    m_periodChoice->setObjectName(QStringLiteral("PeriodChoice"));
    m_experimentChoice->setObjectName(QStringLiteral("ExperimentChoice"));
    resize(1000, 720);

    auto* choices = new QHBoxLayout;
    const auto addChoice = [&](const QString& label, QComboBox* box) {
        auto* caption = new QLabel(label);
        caption->setBuddy(box);
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        choices->addWidget(caption);
        choices->addWidget(box);
        choices->addSpacing(12);
    };
    addChoice(QStringLiteral("&Sample:"), m_sampleChoice);
    addChoice(QStringLiteral("&Period:"), m_periodChoice);
    addChoice(QStringLiteral("&Experiment:"), m_experimentChoice);
    choices->addStretch();

    auto* panes = new QSplitter(Qt::Vertical);
    panes->addWidget(m_chromatogram);
    panes->addWidget(m_spectrum);
    panes->setChildrenCollapsible(false);

    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(choices);
    layout->addWidget(panes, 1);
    setCentralWidget(central);
    // What is shown may be cut short; what the last command did (a path) is kept whole.
    m_status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->addWidget(m_status, 1);
    statusBar()->addPermanentWidget(m_outcome);
    const QString countedFromOne =
        QStringLiteral("Counted from 1, as query titles count them; the tooltip of each choice gives the "
                       "number the file stores, counted from 0.");
    m_periodChoice->setToolTip(countedFromOne);
    m_experimentChoice->setToolTip(countedFromOne);

    buildMenus();
    connect(m_sampleChoice, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            chooseSample(sample());
    });
    const auto reload = [this] {
        if (!m_filling)
            showChromatogram();
    };
    connect(m_periodChoice, &QComboBox::currentIndexChanged, this, reload);
    connect(m_experimentChoice, &QComboBox::currentIndexChanged, this, reload);
    connect(m_chromatogram, &PlotWidget::clicked, this, &ViewerWindow::showSpectrumAt);
    for (PlotWidget* pane : {m_chromatogram, m_spectrum}) {
        connect(pane, &PlotWidget::activated, this, [this, pane] { activatePane(pane); });
        connect(pane, &PlotWidget::rangesChanged, this, &ViewerWindow::updateStatus);
    }

    // The panes have no tooltips: one would cover the readout wherever the pointer rests.
    m_chromatogram->showHint(QStringLiteral("Open a Vesk file with File > Open, or drop one here.\n"
                                            "Help > About lists what the mouse and the keys do."));
    m_spectrum->showHint(QString());
    updateStatus();
}

ViewerWindow::~ViewerWindow() = default;

void ViewerWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this, &ViewerWindow::chooseFileToOpen);
    m_recentFilesMenu = file->addMenu(QStringLiteral("Open &Recent"));
    file->addAction(QStringLiteral("&Export Plot..."), QKeySequence(Qt::CTRL | Qt::Key_E), this,
                    &ViewerWindow::choosePlotFileToExport);
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    rebuildRecentFilesMenu();

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(QStringLiteral("&Copy Plot"), QKeySequence::Copy, this, &ViewerWindow::copyPlot);
    edit->addAction(QStringLiteral("&Clear Selections"), QKeySequence(Qt::Key_Delete), this, [this] {
        m_chromatogram->clearRanges();
        m_spectrum->clearRanges();
    });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(QStringLiteral("Show &All"), QKeySequence(Qt::CTRL | Qt::Key_0), this, [this] {
        m_chromatogram->showAll();
        m_spectrum->showAll();
    });
    view->addSeparator();
    view->addAction(QStringLiteral("&Next Scan"), QKeySequence(Qt::Key_PageDown), this,
                    [this] { stepScan(1); });
    view->addAction(QStringLiteral("&Previous Scan"), QKeySequence(Qt::Key_PageUp), this,
                    [this] { stepScan(-1); });

    QMenu* scripts = menuBar()->addMenu(QStringLiteral("&Scripts"));
    // The script library installed with the viewer is offered by name, wherever the prefix is.
    if (const QString ostrand = ostrandScriptLibrary(); !ostrand.isEmpty())
        scripts->addAction(QStringLiteral("&Ostrand Search..."),
                           QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R), this,
                           [this, ostrand] { runScript(ostrand); });
    scripts->addAction(QStringLiteral("&Run Script..."), QKeySequence(Qt::CTRL | Qt::Key_R), this,
                       &ViewerWindow::chooseScriptToRun);
    m_runLastScript = scripts->addAction(QString(), QKeySequence(Qt::Key_F5), this, [this] {
        runScript(appsettings::value(applicationName, scriptSection, lastScriptKey));
    });
    const QString lastScript = appsettings::value(applicationName, scriptSection, lastScriptKey);
    m_runLastScript->setText(QStringLiteral("Run %1 &Again").arg(QFileInfo(lastScript).fileName()));
    m_runLastScript->setEnabled(!lastScript.isEmpty());

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(QStringLiteral("&About Vesk Viewer"), this, &ViewerWindow::showAbout);
}

void ViewerWindow::showAbout() {
    QMessageBox::about(this, QStringLiteral("About ") + viewerName,
                       QStringLiteral("<h3>%1 %2</h3><p>Shows Vesk acquisitions and runs processing scripts "
                                      "on what is shown.</p>")
                               .arg(viewerName, QStringLiteral(OSTRAND_VERSION)) +
                           actionsHelp);
}

void ViewerWindow::chooseFileToOpen() {
    const QStringList recent = recentFiles();
    const QString folder = recent.isEmpty() ? QString() : QFileInfo(recent.front()).absolutePath();
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Open Acquisition"), folder,
                                                      QStringLiteral("Vesk files (*.vesk);;All files (*)"));
    if (!path.isEmpty())
        openFile(path);
}

bool ViewerWindow::openFile(const QString& path) {
    std::shared_ptr<kestrum::VeskFile> file;
    try {
        file = kestrum::VeskFile::open(path);
        if (file->SampleCount() < 1)
            throw errors::NumberedError::system(QStringLiteral("The file holds no samples."));
    } catch (const errors::NumberedError& error) {
        showError(QStringLiteral("Could not open %1.\n\n%2")
                      .arg(QDir::toNativeSeparators(path), error.description()));
        return false;
    }
    m_file = std::move(file);
    // Ranges and the cursor belong to the file they were chosen on.
    m_chromatogram->clearRanges();
    m_spectrum->clearRanges();
    m_cursor.reset();
    m_activePane = nullptr;
    setOutcome(QString());
    setWindowTitle(QFileInfo(path).fileName() + QStringLiteral(" - ") + viewerName);
    rememberRecentFile(QFileInfo(path).absoluteFilePath());
    fillSampleChoices();
    chooseSample(1);
    return true;
}

void ViewerWindow::fillSampleChoices() {
    m_filling = true;
    m_sampleChoice->clear();
    for (int s = 1; s <= m_file->SampleCount(); ++s)
        m_sampleChoice->addItem(QStringLiteral("%1: %2").arg(s).arg(m_file->SampleName(s)), s);
    m_filling = false;
}

void ViewerWindow::chooseSample(int sampleNumber) {
    if (!m_file)
        return;
    m_filling = true;
    m_sampleChoice->setCurrentIndex(sampleNumber - 1);
    m_filling = false;
    m_cursor.reset();
    fillPeriodAndExperimentChoices();
    showChromatogram();
}

void ViewerWindow::fillPeriodAndExperimentChoices() {
    m_filling = true;
    m_periodChoice->clear();
    for (int p = 0; p < m_file->PeriodCount(sample()); ++p) {
        m_periodChoice->addItem(QString::number(shownNumber(p)), p);
        m_periodChoice->setItemData(m_periodChoice->count() - 1,
                                    QStringLiteral("Stored in the file as period %1").arg(p),
                                    Qt::ToolTipRole);
    }
    m_experimentChoice->clear();
    // The periods of a sample may differ; the experiments offered are those of the largest.
    int experiments = 0;
    int widestPeriod = 0;
    for (int p = 0; p < m_file->PeriodCount(sample()); ++p) {
        if (m_file->ExperimentCount(sample(), p) > experiments) {
            experiments = m_file->ExperimentCount(sample(), p);
            widestPeriod = p;
        }
    }
    for (int e = 0; e < experiments; ++e) {
        m_experimentChoice->addItem(experimentText(e, *m_file->Experiment(sample(), widestPeriod, e)), e);
        m_experimentChoice->setItemData(e, QStringLiteral("Stored in the file as experiment %1").arg(e),
                                        Qt::ToolTipRole);
    }
    m_filling = false;
}

void ViewerWindow::chooseExperiment(int experimentNumber) {
    m_experimentChoice->setCurrentIndex(m_experimentChoice->findData(experimentNumber));
}

std::optional<int> ViewerWindow::cursorCycle() const {
    return m_cursor ? std::optional<int>(m_cursor->cycle) : std::nullopt;
}

int ViewerWindow::sample() const {
    return m_sampleChoice->currentData().toInt();
}

int ViewerWindow::period() const {
    return m_periodChoice->currentData().toInt();
}

int ViewerWindow::experiment() const {
    return m_experimentChoice->currentData().toInt();
}

void ViewerWindow::showChromatogram() {
    if (!m_file)
        return;
    try {
        if (experiment() >= m_file->ExperimentCount(sample(), period()))
            throw errors::NumberedError::system(QStringLiteral("Period %1 has no experiment %2.")
                                                    .arg(shownNumber(period()))
                                                    .arg(shownNumber(experiment())));
        kestrum::FileChromatogram chromatogram;
        chromatogram.SetDataFile(m_file->FilePath());
        chromatogram.LoadChromatogram(sample(), period(), experiment());
        auto trace = chromatogram.CopySpectrum();
        trace->setTitle(QStringLiteral("TIC of experiment ") + m_experimentChoice->currentText());
        m_chromatogram->setTrace(std::move(trace), QStringLiteral("Time (min)"));
    } catch (const errors::NumberedError& error) {
        m_chromatogram->showHint(
            QStringLiteral("The chromatogram could not be read: %1").arg(error.description()));
    }
    // Another experiment of the same period keeps the cursor's cycle: its scan there is shown.
    if (m_cursor && m_cursor->period == period() && m_chromatogram->trace()) {
        showCycle(*m_cursor);
    } else {
        m_cursor.reset();
        m_spectrumStatus.clear();
        m_spectrum->showHint(QStringLiteral("Click the chromatogram to show the spectrum of that cycle."));
    }
    if (!m_activePane || !m_activePane->trace())
        activatePane(m_chromatogram);
    updateStatus();
}

void ViewerWindow::showSpectrumAt(double minutes) {
    if (!m_file)
        return;
    try {
        const kestrum::CyclePosition position =
            m_file->CycleAtTime(sample(), experiment(), static_cast<float>(minutes * 60.0));
        showCycle({position.period, position.cycle});
    } catch (const errors::NumberedError& error) {
        m_spectrum->showHint(QStringLiteral("The spectrum could not be read: %1").arg(error.description()));
    }
}

void ViewerWindow::stepScan(int step) {
    if (!m_file || !m_chromatogram->trace())
        return;
    const auto& ionCurrents = m_chromatogram->trace()->intensities();
    const bool onThisPeriod = m_cursor && m_cursor->period == period();
    const int from = onThisPeriod ? m_cursor->cycle : step > 0 ? -1 : static_cast<int>(ionCurrents.size());
    const std::optional<int> cycle = neighbouringScan(ionCurrents, from, step);
    if (!cycle) {
        statusBar()->showMessage(QStringLiteral("Experiment %1 has no %2 scan.")
                                     .arg(shownNumber(experiment()))
                                     .arg(step > 0 ? QStringLiteral("later") : QStringLiteral("earlier")),
                                 4000);
        return;
    }
    showCycle({period(), *cycle});
}

void ViewerWindow::showCycle(Cursor cursor) {
    m_cursor = cursor;
    statusBar()->clearMessage();
    try {
        const float seconds = m_file->CycleTime(sample(), cursor.period, experiment(), cursor.cycle);
        const QString minutes = QString::number(seconds / 60.0, 'f', 3);
        auto spectrum = std::make_shared<kestrum::FileSpectrum>();
        spectrum->SetDataFile(m_file->FilePath());
        spectrum->LoadSpectrum(sample(), cursor.period, experiment(), seconds, seconds);
        m_chromatogram->setMarker(seconds / 60.0);
        if (spectrum->PointCount() == 0) {
            m_spectrum->showHint(QStringLiteral("Experiment %1 recorded no scan in cycle %2 (%3 min).")
                                     .arg(shownNumber(experiment()))
                                     .arg(shownNumber(cursor.cycle))
                                     .arg(minutes));
            m_spectrumStatus =
                QStringLiteral("Cycle %1 at %2 min: no scan.").arg(shownNumber(cursor.cycle)).arg(minutes);
        } else {
            m_spectrumStatus = QStringLiteral("Cycle %1 at %2 min: %3 %4.")
                                   .arg(shownNumber(cursor.cycle))
                                   .arg(minutes)
                                   .arg(spectrum->PointCount())
                                   .arg(spectrum->IsCentroided() ? QStringLiteral("peaks")
                                                                 : QStringLiteral("profile points"));
            m_spectrum->setTrace(std::move(spectrum), QStringLiteral("m/z"));
            m_spectrum->setReadoutContext(minutes + QStringLiteral(" min"));
            m_spectrum->setMarks(precursorMarks(cursor));
        }
    } catch (const errors::NumberedError& error) {
        m_spectrum->showHint(QStringLiteral("The spectrum could not be read: %1").arg(error.description()));
        m_spectrumStatus.clear();
    }
    if (!m_spectrum->trace() && m_activePane == m_spectrum)
        activatePane(m_chromatogram);
    updateStatus();
}

// On a survey scan, the precursors that the product scans of the same cycle fragmented.
std::vector<XMark> ViewerWindow::precursorMarks(Cursor cursor) const {
    std::vector<XMark> marks;
    if (kestrum::isProductScanType(m_file->Experiment(sample(), cursor.period, experiment())->ScanTypeCode()))
        return marks;
    for (int e = 0; e < m_file->ExperimentCount(sample(), cursor.period); ++e) {
        if (e == experiment())
            continue;
        if (const auto precursor = m_file->recordedPrecursor(sample(), cursor.period, e, cursor.cycle))
            marks.push_back({precursor->mz, QStringLiteral("Exp %1").arg(shownNumber(e))});
    }
    return marks;
}

void ViewerWindow::activatePane(PlotWidget* pane) {
    m_activePane = pane;
    m_chromatogram->setActive(pane == m_chromatogram);
    m_spectrum->setActive(pane == m_spectrum);
    updateStatus();
}

std::shared_ptr<GraphWindow> ViewerWindow::graphWindow() const {
    if (!m_file || !m_activePane || !m_activePane->trace())
        return nullptr;
    auto window = std::make_shared<GraphWindow>();
    for (PlotWidget* pane : {m_chromatogram, m_spectrum})
        if (pane != m_activePane && pane->trace())
            window->panes.push_back({pane->trace(), 0.0});
    window->panes.push_back({m_activePane->trace(), 0.0});
    for (const XRange& range : m_activePane->ranges())
        window->selections.push_back({range.start, range.end, false});
    return window;
}

void ViewerWindow::updateStatus() {
    if (!m_file) {
        m_status->setText(QStringLiteral("No file open."));
        return;
    }
    const std::size_t ranges = m_activePane ? m_activePane->ranges().size() : 0;
    QString text = m_spectrumStatus.isEmpty() ? QString() : m_spectrumStatus + QLatin1Char(' ');
    text += QStringLiteral("Scripts use the ") + activePaneName();
    if (ranges > 0)
        text += QStringLiteral(" and its %1 range%2")
                    .arg(ranges)
                    .arg(ranges == 1 ? QString() : QStringLiteral("s"));
    m_status->setText(text + QLatin1Char('.'));
    m_status->setToolTip(
        m_cursor ? QStringLiteral("The file stores this cycle as period %1, experiment %2, cycle %3.")
                       .arg(m_cursor->period)
                       .arg(experiment())
                       .arg(m_cursor->cycle)
                 : QString());
}

QString ViewerWindow::activePaneName() const {
    return m_activePane == m_spectrum ? QStringLiteral("spectrum") : QStringLiteral("chromatogram");
}

void ViewerWindow::setOutcome(const QString& text) {
    m_outcome->setText(text);
    m_outcome->setToolTip(text);
}

QString ViewerWindow::statusText() const {
    return m_status->text();
}

QString ViewerWindow::outcomeText() const {
    return m_outcome->text();
}

void ViewerWindow::choosePlotFileToExport() {
    const QStringList recent = recentFiles();
    const QString folder = recent.isEmpty() ? QString() : QFileInfo(recent.front()).absolutePath();
    QString filter;
    QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Export Plot"), folder, plotFilters, &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter.contains(QStringLiteral("svg")) ? QStringLiteral(".svg") : QStringLiteral(".png");
    exportPlot(path);
}

bool ViewerWindow::exportPlot(const QString& path) {
    PlotWidget* pane = m_activePane ? m_activePane : m_chromatogram;
    const bool drawing = QFileInfo(path).suffix().compare(QStringLiteral("svg"), Qt::CaseInsensitive) == 0;
    const auto failure = [&path](const QString& reason) {
        return QStringLiteral("Could not save the plot to %1: %2")
            .arg(QDir::toNativeSeparators(path), reason);
    };
    try {
        files::SaveFile save(path,
                             [&](files::SaveFile::Step, const QString& reason) { return failure(reason); });
        QFile file(save.temporaryPath());
        const bool written = drawing ? file.open(QIODevice::WriteOnly) && file.write(pane->svg()) >= 0
                                     : pane->image().save(&file, "PNG");
        if (!written || !file.flush())
            throw errors::NumberedError::system(failure(file.errorString()));
        file.close();
        save.commit();
    } catch (const errors::NumberedError& error) {
        showError(error.description());
        return false;
    }
    setOutcome(
        QStringLiteral("The %1 plot saved to %2.").arg(activePaneName(), QDir::toNativeSeparators(path)));
    return true;
}

void ViewerWindow::copyPlot() {
    PlotWidget* pane = m_activePane ? m_activePane : m_chromatogram;
    auto* copied = new QMimeData;
    copied->setImageData(pane->image());
    copied->setData(svgMimeType, pane->svg());
    QApplication::clipboard()->setMimeData(copied);
    setOutcome(QStringLiteral("The %1 plot copied.").arg(activePaneName()));
}

void ViewerWindow::chooseScriptToRun() {
    QString last = appsettings::value(applicationName, scriptSection, lastScriptKey);
    if (last.isEmpty())
        last = QFileInfo(ostrandScriptLibrary()).path();
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Run Script"), last,
                                                      QStringLiteral("Scripts (*.so *.aasf);;All files (*)"));
    if (!path.isEmpty())
        runScript(path);
}

void ViewerWindow::runScript(const QString& path) {
    appsettings::save(applicationName, scriptSection, lastScriptKey, path);
    m_runLastScript->setText(QStringLiteral("Run %1 &Again").arg(QFileInfo(path).fileName()));
    m_runLastScript->setEnabled(true);

    setOutcome(QStringLiteral("Running %1...").arg(QFileInfo(path).fileName()));
    // Only what this run reports comes here.
    bool reported = false;
    const StatusListening listening([this, &reported](const QString& text) {
        reported = true;
        setOutcome(text);
    });
    const QString failure = runScriptOnWindow(path, graphWindow());
    if (!reported)
        setOutcome(QString());
    if (!failure.isEmpty())
        showError(failure);
}

void ViewerWindow::rememberRecentFile(const QString& path) {
    QStringList files = recentFiles();
    files.removeAll(path);
    files.prepend(path);
    for (int i = 0; i < recentFileCount; ++i)
        appsettings::save(applicationName, recentSection, recentKey(i),
                          i < files.size() ? files[i] : QString());
    rebuildRecentFilesMenu();
}

void ViewerWindow::rebuildRecentFilesMenu() {
    m_recentFilesMenu->clear();
    const QStringList files = recentFiles();
    for (const QString& path : files)
        m_recentFilesMenu->addAction(QDir::toNativeSeparators(path), this, [this, path] { openFile(path); });
    m_recentFilesMenu->setEnabled(!files.isEmpty());
}

void ViewerWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls() && event->mimeData()->urls().front().isLocalFile())
        event->acceptProposedAction();
}

void ViewerWindow::dropEvent(QDropEvent* event) {
    const QString path = event->mimeData()->urls().front().toLocalFile();
    event->acceptProposedAction();
    openFile(path);
}

} // namespace host
