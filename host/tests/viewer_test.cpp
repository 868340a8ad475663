// The interactive search end to end, as a scientist does it: vesk-viewer shows an acquisition on
// a real X display, the user picks a spectrum or drags ranges, runs the Ostrand script library on
// the active pane, and its search dialog writes the query file.

#include "testsupport/xcbapplicationtest.h"

#include "host/hostapplication.h"
#include "host/scriptloader.h"
#include "host/scriptrun.h"
#include "host/viewer/plotwidget.h"
#include "host/viewer/viewerwindow.h"
#include "modaldriver.h"
#include "standinsearchserver.h"

#include "automation/dispatch.h"
#include "kestrum/centroidablespectrum.h"
#include "kestrum/scantype.h"
#include "kestrum/simulation/acquisitiongenerator.h"
#include "kestrum/veskfile.h"
#include "kestrum/veskwriter.h"
#include "messages/messagecapture.h"
#include "registry/registrykey.h"
#include "testsupport/environmentoverride.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <set>

namespace messages {
void PrintTo(const ShownMessage& message, std::ostream* out) {
    *out << message.title.toStdString() << ": " << message.text.toStdString();
}
} // namespace messages

namespace {

const QString scriptLibrary = QStringLiteral(OSTRAND_SCRIPT_LIBRARY);
const QString screenshotFolder = QStringLiteral(OSTRAND_SCREENSHOT_DIR "/");

void setSetting(const QString& name, const QString& value) {
    auto key = registry::Key::create(registry::Hive::CurrentUser,
                                     QStringLiteral("SOFTWARE\\Brenlow\\Corvana\\Scripts\\Sorvex"));
    ASSERT_TRUE(key.has_value());
    ASSERT_EQ(key->setValue(name, value), registry::NoError);
}

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

// The cycles (from 0) named by the titles of the query blocks in a query file.
std::set<int> cyclesInTitles(const QString& query) {
    static const QRegularExpression cycleList(QStringLiteral("Cycle\\(s\\): (.*)$"),
                                              QRegularExpression::MultilineOption);
    static const QRegularExpression run(QStringLiteral("(\\d+)(?:-(\\d+))? \\(Experiment"));
    std::set<int> cycles;
    for (auto titles = cycleList.globalMatch(query); titles.hasNext();) {
        const QString list = titles.next().captured(1);
        for (auto runs = run.globalMatch(list); runs.hasNext();) {
            const auto match = runs.next();
            const int first = match.captured(1).toInt();
            const int last = match.captured(2).isEmpty() ? first : match.captured(2).toInt();
            for (int c = first; c <= last; ++c)
                cycles.insert(c - 1);
        }
    }
    return cycles;
}

// Drags the mouse across a pane from one x value to another, as the user selects a range.
void dragAcross(host::PlotWidget& pane, double from, double to, Qt::MouseButton button = Qt::LeftButton) {
    const int y = pane.height() / 2;
    QTest::mousePress(&pane, button, {}, QPoint(int(pane.widgetXOf(from)), y));
    QTest::mouseMove(&pane, QPoint(int((pane.widgetXOf(from) + pane.widgetXOf(to)) / 2), y));
    QTest::mouseRelease(&pane, button, {}, QPoint(int(pane.widgetXOf(to)), y));
}

template <class T = QWidget> T* child(QWidget* dialog, const QString& name) {
    return dialog->findChild<T*>(name);
}

class ViewerSearch : public XcbApplicationTest {
protected:
    static void SetUpTestSuite() {
        XcbApplicationTest::SetUpTestSuite();
        folder = std::make_unique<QTemporaryDir>();
        kestrum::simulation::GenerationOptions options;
        options.outputPath = folder->filePath(QStringLiteral("run.vesk"));
        options.minutes = 2;
        options.seed = 11;
        options.topN = 3;
        acquisition = kestrum::simulation::generateAcquisition(options).acquisitionPath;
        server = std::make_unique<testsupport::StandInSearchServer>();
        whyNoSearchForm = !server->isRunning() ? server->whyNot() : testsupport::whyNoBrowser();
    }
    static void TearDownTestSuite() {
        server.reset();
        folder.reset();
        XcbApplicationTest::TearDownTestSuite();
    }

    void SetUp() override {
        XcbApplicationTest::SetUp();
        if (IsSkipped())
            return;
        // The library routes messages into boxes when it loads: load it first, then record them.
        host::ScriptLoader loader;
        ASSERT_NE(loader.CreateScriptObject(scriptLibrary, QStringLiteral("ProcessClass")), nullptr)
            << loader.lastError().toStdString();
        messages = std::make_unique<messages::MessageCapture>();
        queryFile = folder->filePath(QStringLiteral("query.sxq"));
        QFile::remove(queryFile);
        setSetting(QStringLiteral("FileLocationOption"), QStringLiteral("1"));
        setSetting(QStringLiteral("FileLocationFile"), queryFile);
        if (server->isRunning()) {
            setSetting(QStringLiteral("SorvexURLOption"), QStringLiteral("1"));
            setSetting(QStringLiteral("SorvexURL"), server->baseUrl() + QStringLiteral("/sorvex"));
        }
        viewer = std::make_unique<host::ViewerWindow>();
        viewer->resize(1000, 720);
        viewer->show();
        ASSERT_TRUE(waitUntil([&] { return viewer->windowHandle() && viewer->windowHandle()->isExposed(); }));
    }
    void TearDown() override {
        viewer.reset();
        messages.reset();
    }

    // Runs the script; `inDialog` acts on the search dialog once it is up.
    // A dialog still open half a minute later (left open by an error) is closed and fails the test.
    void runScript(std::function<void(QWidget*)> inDialog) {
        modaldriver::onNextModal([inDialog = std::move(inDialog)](QWidget* dialog) {
            QTimer::singleShot(30000, dialog, [dialog] {
                if (!dialog->isVisible())
                    return;
                ADD_FAILURE() << "the dialog stayed open";
                dialog->close();
            });
            inDialog(dialog);
        });
        viewer->runScript(scriptLibrary);
    }

    // Runs the script where it must show no dialog, through Scripts > Ostrand Search... (the library
    // that came with the viewer); a dialog that appears anyway is closed and fails the test.
    void runScriptWithoutDialog() {
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ADD_FAILURE() << "a dialog appeared: " << modal->windowTitle().toStdString();
                modal->close();
            }
        });
        guard.start(3000);
        const auto actions = viewer->menuBar()->findChildren<QAction*>();
        const auto ostrandSearch = std::find_if(actions.begin(), actions.end(), [](const QAction* action) {
            return action->text() == QStringLiteral("&Ostrand Search...");
        });
        ASSERT_NE(ostrandSearch, actions.end());
        (*ostrandSearch)->trigger();
    }

    static void save(QWidget* widget, const QString& name) {
        QApplication::processEvents();
        EXPECT_TRUE(widget->grab().save(screenshotFolder + name));
    }

    bool formOpened(const QString& search) const {
        return server->pagesServed().contains(QStringLiteral("/sorvex/cgi/search_form.pl?SEARCH=") + search);
    }

    static inline std::unique_ptr<QTemporaryDir> folder;
    static inline std::unique_ptr<testsupport::StandInSearchServer> server;
    // Searches that end at the search form need the stand-in server and Chromium.
    static inline QString whyNoSearchForm;
    // The browser of a search closes with the test rather than staying with the user.
    testsupport::EnvironmentOverride headless{"OSTRAND_BROWSER_HEADLESS", QByteArray("1")};
    static inline QString acquisition;
    std::unique_ptr<messages::MessageCapture> messages;
    std::unique_ptr<host::ViewerWindow> viewer;
    QString queryFile;
};

TEST_F(ViewerSearch, TwoChromatogramRangesArePreselectedAndSearchWritesExactlyTheirCycles) {
    if (!whyNoSearchForm.isEmpty())
        GTEST_SKIP() << whyNoSearchForm.toStdString();
    ASSERT_TRUE(viewer->openFile(acquisition));
    host::PlotWidget& tic = *viewer->chromatogramPane();
    dragAcross(tic, 0.30, 0.55);
    dragAcross(tic, 1.20, 1.40);
    ASSERT_EQ(tic.ranges().size(), 2u);
    tic.clicked(0.9); // a spectrum below, as a user looks at one before searching
    viewer->activatePane(&tic);
    save(viewer.get(), QStringLiteral("vesk-viewer.png"));

    bool sawDialog = false;
    runScript([&](QWidget* dialog) {
        sawDialog = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Sorvex Search - version 1.6b25"));
        EXPECT_EQ(child<QLabel>(dialog, QStringLiteral("LabelCurrentFileName"))->text(), acquisition);
        const auto* regions = child<QAbstractButton>(dialog, QStringLiteral("Radio_Search2"));
        EXPECT_TRUE(regions->isChecked() && regions->isEnabled());
        EXPECT_FALSE(child(dialog, QStringLiteral("Radio_Search0"))->isEnabled());
        EXPECT_FALSE(child(dialog, QStringLiteral("Radio_Search3"))->isEnabled()) << "one sample only";
        EXPECT_TRUE(child<QPushButton>(dialog, QStringLiteral("SearchButton"))->isDefault());
        save(dialog, QStringLiteral("search-dialog.png"));
        child<QAbstractButton>(dialog, QStringLiteral("SearchButton"))->click();
    });
    ASSERT_TRUE(sawDialog);
    EXPECT_EQ(messages->shown(), std::vector<messages::ShownMessage>{});

    // Every cycle from the cycle at a range's start to the cycle at its end, and no other.
    const auto file = kestrum::VeskFile::open(acquisition);
    std::set<int> selected;
    for (const host::XRange& range : tic.ranges()) {
        const int first = file->CycleAtTime(1, 0, float(range.start * 60)).cycle;
        const int last = file->CycleAtTime(1, 0, float(range.end * 60)).cycle;
        for (int c = first; c <= last; ++c)
            selected.insert(c);
    }
    const QString query = readText(queryFile);
    ASSERT_TRUE(query.startsWith(QStringLiteral("SEARCH=MIS\r\nREPTYPE=Peptide\r\nBEGIN IONS\r\n")));
    const std::set<int> written = cyclesInTitles(query);
    ASSERT_FALSE(written.empty());
    EXPECT_TRUE(std::includes(selected.begin(), selected.end(), written.begin(), written.end()));
    EXPECT_LT(*written.begin(), *selected.rbegin() - 20) << "queries from the first range";
    EXPECT_GT(*written.rbegin(), *selected.begin() + 20) << "queries from the second range";
    EXPECT_TRUE(formOpened(QStringLiteral("MIS")))
        << server->pagesServed().join(QLatin1Char(' ')).toStdString();
}

TEST_F(ViewerSearch, ProductSpectrumOnScreenGivesOneIonQuery) {
    if (!whyNoSearchForm.isEmpty())
        GTEST_SKIP() << whyNoSearchForm.toStdString();
    ASSERT_TRUE(viewer->openFile(acquisition));
    viewer->chooseExperiment(1);
    host::PlotWidget& tic = *viewer->chromatogramPane();
    // The strongest product scan of the run.
    const auto& y = tic.trace()->intensities();
    const auto strongest = std::max_element(y.begin(), y.end()) - y.begin();
    tic.clicked(tic.trace()->mzValues()[std::size_t(strongest)]);
    const auto spectrum = viewer->spectrumPane()->trace();
    ASSERT_TRUE(spectrum && spectrum->PointCount() > 0);
    viewer->activatePane(viewer->spectrumPane());

    runScript([&](QWidget* dialog) {
        EXPECT_TRUE(child<QAbstractButton>(dialog, QStringLiteral("Radio_Search0"))->isChecked());
        EXPECT_FALSE(child(dialog, QStringLiteral("Radio_Search2"))->isEnabled());
        QString optionsTitle;
        modaldriver::onNextModal(
            [&](QWidget* options) {
                optionsTitle = options->windowTitle();
                options->close();
            },
            dialog);
        child<QAbstractButton>(dialog, QStringLiteral("OptionsButton"))->click();
        EXPECT_EQ(optionsTitle, QStringLiteral("Sorvex Search - Options"));
        child<QAbstractButton>(dialog, QStringLiteral("SearchButton"))->click();
    });
    EXPECT_EQ(messages->shown(), std::vector<messages::ShownMessage>{});
    const QStringList lines = readText(queryFile).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 7);
    EXPECT_EQ(lines.mid(0, 3), (QStringList{QStringLiteral("SEARCH=MIS"), QStringLiteral("REPTYPE=Peptide"),
                                            QStringLiteral("BEGIN IONS")}));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("PEPMASS=")));
    const auto precursor = QRegularExpression(QStringLiteral("\\(([0-9.]+)\\)")).match(spectrum->Title());
    EXPECT_EQ(lines[3], QStringLiteral("PEPMASS=") + precursor.captured(1))
        << spectrum->Title().toStdString();
    EXPECT_EQ(lines.mid(lines.size() - 3), (QStringList{QStringLiteral("END IONS"), QString(), QString()}));
    EXPECT_GT(lines.size() - 7, 0) << "peak lines";
    EXPECT_TRUE(formOpened(QStringLiteral("MIS")));
}

// Survey scans only, centroided: peaks at m/z 100, 150, 499.9, 500, 550, 599.99, 600 and 700.
QString writeSingleMsRun(const QString& path) {
    kestrum::VeskWriter writer(path);
    const int sample = writer.addSample(QStringLiteral("Digest"));
    writer.addPeriod(sample);
    writer.addExperiment(sample, 0, {kestrum::TOFMS, 0, 0});
    for (int cycle = 0; cycle < 20; ++cycle) {
        writer.addCycle(sample, 0, cycle);
        kestrum::ScanRecord scan;
        scan.sample = sample;
        scan.cycle = cycle;
        scan.retentionTimeSeconds = 3.0 * cycle;
        scan.centroided = true;
        scan.mz = {100, 150, 499.9, 500, 550, 599.99, 600, 700};
        scan.intensity = {10, 20, 30, 40.5, 50, 60, 70, 80};
        writer.addScan(scan);
    }
    writer.commit();
    return path;
}

TEST_F(ViewerSearch, SingleMsDataNeedsASpectrumAndGivesAFingerprintOfTheSelectedMasses) {
    if (!whyNoSearchForm.isEmpty())
        GTEST_SKIP() << whyNoSearchForm.toStdString();
    ASSERT_TRUE(viewer->openFile(writeSingleMsRun(folder->filePath(QStringLiteral("survey.vesk")))));
    runScriptWithoutDialog();
    EXPECT_EQ(messages->shown(), (std::vector<messages::ShownMessage>{
                                     {QStringLiteral("Error"),
                                      QStringLiteral("For single MS data you must active a spectrum.")}}));

    viewer->chromatogramPane()->clicked(0.5);
    host::PlotWidget& spectrum = *viewer->spectrumPane();
    viewer->activatePane(&spectrum);
    spectrum.addRange(500, 600);
    runScript([](QWidget* dialog) {
        EXPECT_TRUE(child<QAbstractButton>(dialog, QStringLiteral("Radio_Search0"))->isChecked());
        for (const char* scope : {"Radio_Search1", "Radio_Search2", "Radio_Search3"})
            EXPECT_FALSE(child(dialog, QLatin1String(scope))->isEnabled()) << scope;
        child<QAbstractButton>(dialog, QStringLiteral("SearchButton"))->click();
    });
    EXPECT_EQ(readText(queryFile), QStringLiteral("SEARCH=PMF\r\nREPTYPE=Protein\r\n500 40.5\r\n550 50\r\n"
                                                  "599.99 60\r\n\r\n"));
    EXPECT_TRUE(formOpened(QStringLiteral("PMF")));
}

TEST_F(ViewerSearch, WithoutAGraphWindowTheScriptSaysSoAndShowsNoDialog) {
    runScriptWithoutDialog();
    EXPECT_EQ(messages->shown(),
              (std::vector<messages::ShownMessage>{
                  {QStringLiteral("Error"), QStringLiteral("A graph window must be active.")}}));
}

// Cancel, and closing the window, both stop a running export: no message, no search form, and
// the file holds what was written up to then.
TEST_F(ViewerSearch, CancelOrClosingTheWindowStopsALongExport) {
    kestrum::simulation::GenerationOptions options;
    options.outputPath = folder->filePath(QStringLiteral("long.vesk"));
    options.minutes = 6;
    options.seed = 5;
    const QString longRun = kestrum::simulation::generateAcquisition(options).acquisitionPath;
    ASSERT_TRUE(viewer->openFile(longRun));

    for (const bool closeWindow : {false, true}) {
        QFile::remove(queryFile);
        int progressWhenStopped = 0;
        int progressMaximum = 0;
        runScript([&](QWidget* dialog) {
            auto* progress = child<QProgressBar>(dialog, QStringLiteral("ProgressBar1"));
            // Once the export is under way, stop it the way the user chooses.
            QTimer* poll = new QTimer(dialog);
            QObject::connect(poll, &QTimer::timeout, dialog, [=, &progressWhenStopped, &progressMaximum] {
                if (progress->value() < 3)
                    return;
                poll->stop();
                progressWhenStopped = progress->value();
                progressMaximum = progress->maximum();
                if (closeWindow)
                    dialog->close();
                else
                    child<QAbstractButton>(dialog, QStringLiteral("CancelButton"))->click();
            });
            poll->start(5);
            child<QAbstractButton>(dialog, QStringLiteral("SearchButton"))->click();
        });
        SCOPED_TRACE(closeWindow ? "window closed" : "Cancel pressed");
        ASSERT_GT(progressWhenStopped, 0) << "the export never got under way";
        EXPECT_EQ(messages->shown(), std::vector<messages::ShownMessage>{});
        const QString partial = readText(queryFile);
        EXPECT_TRUE(partial.startsWith(QStringLiteral("SEARCH=MIS\r\nREPTYPE=Peptide\r\n")));
        const std::set<int> written = cyclesInTitles(partial);
        EXPECT_TRUE(written.empty() || *written.rbegin() < progressMaximum / 2)
            << "the export ran on to cycle " << *written.rbegin() << " of " << progressMaximum;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(server->pagesServed(), QStringList()) << "no search form after a cancelled export";
}

} // namespace
