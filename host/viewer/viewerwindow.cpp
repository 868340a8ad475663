#include "viewerwindow.h"

#include "plotwidget.h"

#include "host/installedscripts.h"
#include "host/scriptrun.h"

#include "appsettings/applicationsettings.h"
#include "automation/automationerror.h"
#include "kestrum/experimentinfo.h"
#include "kestrum/filespectrum.h"
#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"
#include "messages/messageservice.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
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

// "1: +TOF Product" for the experiment choice.
QString experimentText(int index, const kestrum::ExperimentInfo& experiment) {
    return QStringLiteral("%1: %2%3")
        .arg(index)
        .arg(experiment.Polarity() == 0 ? QLatin1Char('+') : QLatin1Char('-'))
        .arg(kestrum::scanTypeText(experiment.ScanTypeCode()));
}

void showError(const QString& text) {
    messages::show(text, viewerName);
}

} // namespace

ViewerWindow::ViewerWindow(QWidget* parent)
    : QMainWindow(parent), m_sampleChoice(new QComboBox), m_periodChoice(new QComboBox),
      m_experimentChoice(new QComboBox), m_chromatogram(new PlotWidget), m_spectrum(new PlotWidget),
      m_status(new QLabel) {
    setWindowTitle(viewerName);
    setAcceptDrops(true);
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
    statusBar()->addWidget(m_status, 1);

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
    const QString usage = QStringLiteral("Drag to select a range, right-drag or turn the wheel to zoom, "
                                         "double-click to see everything.");
    m_chromatogram->setToolTip(QStringLiteral("Click to show the spectrum of that cycle. ") + usage);
    m_spectrum->setToolTip(usage);
    for (PlotWidget* pane : {m_chromatogram, m_spectrum}) {
        connect(pane, &PlotWidget::activated, this, [this, pane] { activatePane(pane); });
        connect(pane, &PlotWidget::rangesChanged, this, &ViewerWindow::updateStatus);
    }

    m_chromatogram->showHint(QStringLiteral("Open a Vesk file with File > Open, or drop one here."));
    m_spectrum->showHint(QString());
    updateStatus();
}

ViewerWindow::~ViewerWindow() = default;

void ViewerWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this, &ViewerWindow::chooseFileToOpen);
    m_recentFilesMenu = file->addMenu(QStringLiteral("Open &Recent"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    rebuildRecentFilesMenu();

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(QStringLiteral("&Clear Selections"), QKeySequence(Qt::Key_Delete), this, [this] {
        m_chromatogram->clearRanges();
        m_spectrum->clearRanges();
    });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(QStringLiteral("Show &All"), QKeySequence(Qt::CTRL | Qt::Key_0), this, [this] {
        m_chromatogram->showAll();
        m_spectrum->showAll();
    });

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
            throw automation::AutomationError::system(QStringLiteral("The file holds no samples."));
    } catch (const automation::AutomationError& error) {
        showError(QStringLiteral("Could not open %1.\n\n%2")
                      .arg(QDir::toNativeSeparators(path), error.description()));
        return false;
    }
    m_file = std::move(file);
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
    fillPeriodAndExperimentChoices();
    showChromatogram();
}

void ViewerWindow::fillPeriodAndExperimentChoices() {
    m_filling = true;
    m_periodChoice->clear();
    for (int p = 0; p < m_file->PeriodCount(sample()); ++p)
        m_periodChoice->addItem(QString::number(p), p);
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
    for (int e = 0; e < experiments; ++e)
        m_experimentChoice->addItem(experimentText(e, *m_file->Experiment(sample(), widestPeriod, e)), e);
    m_filling = false;
}

void ViewerWindow::chooseExperiment(int experimentNumber) {
    m_experimentChoice->setCurrentIndex(experimentNumber);
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
    m_spectrumStatus.clear();
    try {
        if (experiment() >= m_file->ExperimentCount(sample(), period()))
            throw automation::AutomationError::system(
                QStringLiteral("Period %1 has no experiment %2.").arg(period()).arg(experiment()));
        kestrum::FileChromatogram chromatogram;
        chromatogram.SetDataFile(m_file->FilePath());
        chromatogram.LoadChromatogram(sample(), period(), experiment());
        m_chromatogram->setTrace(chromatogram.CopySpectrum(), QStringLiteral("Time (min)"));
    } catch (const automation::AutomationError& error) {
        m_chromatogram->showHint(
            QStringLiteral("The chromatogram could not be read: %1").arg(error.description()));
    }
    m_spectrum->showHint(QStringLiteral("Click the chromatogram to show the spectrum of that cycle."));
    activatePane(m_chromatogram);
}

void ViewerWindow::showSpectrumAt(double minutes) {
    if (!m_file)
        return;
    try {
        const kestrum::CyclePosition position =
            m_file->CycleAtTime(sample(), experiment(), static_cast<float>(minutes * 60.0));
        const float seconds = m_file->CycleTime(sample(), position.period, experiment(), position.cycle);
        auto spectrum = std::make_shared<kestrum::FileSpectrum>();
        spectrum->SetDataFile(m_file->FilePath());
        spectrum->LoadSpectrum(sample(), position.period, experiment(), seconds, seconds);
        m_chromatogram->setMarker(seconds / 60.0);
        if (spectrum->PointCount() == 0) {
            m_spectrum->showHint(QStringLiteral("Experiment %1 recorded no scan in cycle %2 (%3 min).")
                                     .arg(experiment())
                                     .arg(position.cycle)
                                     .arg(seconds / 60.0, 0, 'f', 3));
            m_spectrumStatus.clear();
        } else {
            m_spectrumStatus = QStringLiteral("Cycle %1 at %2 min: %3 %4.")
                                   .arg(position.cycle)
                                   .arg(seconds / 60.0, 0, 'f', 3)
                                   .arg(spectrum->PointCount())
                                   .arg(spectrum->IsCentroided() ? QStringLiteral("peaks")
                                                                 : QStringLiteral("profile points"));
            m_spectrum->setTrace(std::move(spectrum), QStringLiteral("m/z"));
        }
    } catch (const automation::AutomationError& error) {
        m_spectrum->showHint(QStringLiteral("The spectrum could not be read: %1").arg(error.description()));
    }
    updateStatus();
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
    const bool chromatogramActive = m_activePane == m_chromatogram;
    const std::size_t ranges = m_activePane ? m_activePane->ranges().size() : 0;
    QString text = m_spectrumStatus.isEmpty() ? QString() : m_spectrumStatus + QLatin1Char(' ');
    text += chromatogramActive ? QStringLiteral("Scripts use the chromatogram")
                               : QStringLiteral("Scripts use the spectrum");
    if (ranges > 0)
        text += QStringLiteral(" and its %1 range%2")
                    .arg(ranges)
                    .arg(ranges == 1 ? QString() : QStringLiteral("s"));
    m_status->setText(text + QLatin1Char('.'));
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

    const QString previous = m_status->text();
    m_status->setText(QStringLiteral("Running %1...").arg(QFileInfo(path).fileName()));
    const QString failure = runScriptOnWindow(path, graphWindow());
    m_status->setText(previous);
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
