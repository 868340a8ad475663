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

#include "automation/classregistry.h"
#include "automation/dispatch.h"
#include "kestrum/centroidablespectrum.h"
#include "kestrum/scantype.h"
#include "kestrum/simulation/acquisitiongenerator.h"
#include "kestrum/veskfile.h"
#include "kestrum/veskwriter.h"
#include "messages/messagecapture.h"
#include "registry/registrykey.h"
#include "testsupport/environmentoverride.h"
#include "testsupport/privatesettingsfolder.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

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

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString readText(const QString& path) {
    return QString::fromLatin1(readBytes(path));
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

// The experiments (as counted there) named by the titles of the query blocks.
std::set<int> experimentsInTitles(const QString& query) {
    static const QRegularExpression experiment(QStringLiteral("\\(Experiment (\\d+)\\)"));
    std::set<int> experiments;
    for (auto found = experiment.globalMatch(query); found.hasNext();)
        experiments.insert(found.next().captured(1).toInt());
    return experiments;
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
        storeSearchSettings();
        viewer = std::make_unique<host::ViewerWindow>();
        viewer->resize(1000, 720);
        viewer->show();
        ASSERT_TRUE(waitUntil([&] { return viewer->windowHandle() && viewer->windowHandle()->isExposed(); }));
    }
    void TearDown() override {
        viewer.reset();
        messages.reset();
    }

    // The settings a search starts from: the query file at a fixed place, the stand-in server's form.
    void storeSearchSettings() const {
        setSetting(QStringLiteral("FileLocationOption"), QStringLiteral("1"));
        setSetting(QStringLiteral("FileLocationFile"), queryFile);
        if (server->isRunning()) {
            setSetting(QStringLiteral("SorvexURLOption"), QStringLiteral("1"));
            setSetting(QStringLiteral("SorvexURL"), server->baseUrl() + QStringLiteral("/sorvex"));
        }
    }

    // Runs the script on the viewer's active pane, or on `window` when one is given; `inDialog`
    // acts on the search dialog once it is up.
    // A dialog still open half a minute later (left open by an error) is closed and fails the test.
    void runScript(std::function<void(QWidget*)> inDialog,
                   std::shared_ptr<host::GraphWindow> window = nullptr) {
        modaldriver::onNextModal([inDialog = std::move(inDialog)](QWidget* dialog) {
            QTimer::singleShot(30000, dialog, [dialog] {
                if (!dialog->isVisible())
                    return;
                ADD_FAILURE() << "the dialog stayed open";
                dialog->close();
            });
            inDialog(dialog);
        });
        if (window)
            EXPECT_EQ(host::runScriptOnWindow(scriptLibrary, window), QString());
        else
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
        EXPECT_EQ(child<QLabel>(dialog, QStringLiteral("VersionLabel"))->text(),
                  QStringLiteral("Version 1.6b25"));
        EXPECT_FALSE(child(dialog, QStringLiteral("ProgressBar1"))->isVisible()) << "no bar before a search";
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

    // The status line says what was written where, and the viewer counts experiments as the
    // titles do: each experiment a title names is a product experiment under that number.
    EXPECT_EQ(viewer->outcomeText(), QStringLiteral("%1 spectra written to %2.")
                                         .arg(query.count(QStringLiteral("BEGIN IONS")))
                                         .arg(queryFile));
    save(viewer.get(), QStringLiteral("vesk-viewer-after-search.png"));
    const auto* experiments = viewer->findChild<QComboBox*>(QStringLiteral("ExperimentChoice"));
    ASSERT_FALSE(experimentsInTitles(query).empty());
    for (const int titled : experimentsInTitles(query)) {
        const int item = experiments->findText(QStringLiteral("%1: +TOF Product").arg(titled));
        EXPECT_GE(item, 0) << "Experiment " << titled << " of the titles";
        EXPECT_EQ(experiments->itemData(item, Qt::ToolTipRole).toString(),
                  QStringLiteral("Stored in the file as experiment %1").arg(titled - 1));
    }
    EXPECT_EQ(viewer->findChild<QComboBox*>(QStringLiteral("PeriodChoice"))->currentText(),
              QStringLiteral("1"));
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

// A fingerprint takes the masses above m/z 100 inside the ranges selected on the spectrum, a range
// from its start up to its end; a range that is switched off, or whose start is not below its end,
// does not count, and with no range that counts every mass above m/z 100 is taken.
TEST_F(ViewerSearch, SingleMsDataNeedsASpectrumAndGivesAFingerprintOfTheSelectedMasses) {
    if (!whyNoSearchForm.isEmpty())
        GTEST_SKIP() << whyNoSearchForm.toStdString();
    ASSERT_TRUE(viewer->openFile(writeSingleMsRun(folder->filePath(QStringLiteral("survey.vesk")))));
    runScriptWithoutDialog();
    EXPECT_EQ(messages->shown(), (std::vector<messages::ShownMessage>{
                                     {QStringLiteral("Error"),
                                      QStringLiteral("For single MS data you must active a spectrum.")}}));

    viewer->chromatogramPane()->clicked(0.5);
    viewer->activatePane(viewer->spectrumPane());
    const QString everyMassAbove100 =
        QStringLiteral("150 20\r\n499.9 30\r\n500 40.5\r\n550 50\r\n599.99 60\r\n600 70\r\n700 80\r\n");
    const struct {
        const char* what;
        std::vector<host::SelectionRange> ranges;
        QString peaks;
    } cases[] = {
        {"one range", {{500, 600, false}}, QStringLiteral("500 40.5\r\n550 50\r\n599.99 60\r\n")},
        {"m/z exactly 100 inside a range", {{90, 200, false}}, QStringLiteral("150 20\r\n")},
        {"no range", {}, everyMassAbove100},
        {"a single zero-width range", {{550, 550, false}}, everyMassAbove100},
        {"a range switched off", {{500, 600, true}}, everyMassAbove100},
        {"a range whose start is not below its end", {{600, 500, false}}, everyMassAbove100},
        {"beside a range that counts", {{600, 500, false}, {690, 710, false}}, QStringLiteral("700 80\r\n")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(queryFile);
        const auto window = viewer->graphWindow();
        window->selections = c.ranges;
        runScript(
            [](QWidget* dialog) {
                EXPECT_TRUE(child<QAbstractButton>(dialog, QStringLiteral("Radio_Search0"))->isChecked());
                for (const char* scope : {"Radio_Search1", "Radio_Search2", "Radio_Search3"})
                    EXPECT_FALSE(child(dialog, QLatin1String(scope))->isEnabled()) << scope;
                child<QAbstractButton>(dialog, QStringLiteral("SearchButton"))->click();
            },
            window);
        EXPECT_EQ(readText(queryFile),
                  QStringLiteral("SEARCH=PMF\r\nREPTYPE=Protein\r\n") + c.peaks + QStringLiteral("\r\n"));
    }
    EXPECT_TRUE(formOpened(QStringLiteral("PMF")));
}

// Product scans of a fixed precursor that record none: the spectrum on screen names no precursor.
QString writeProductRunWithoutPrecursors(const QString& path) {
    kestrum::VeskWriter writer(path);
    const int sample = writer.addSample(QStringLiteral("Fixed"));
    for (int period = 0; period < 2; ++period) {
        writer.addPeriod(sample);
        writer.addExperiment(sample, period, {kestrum::ProductScan, 0, 250});
        for (int cycle = 0; cycle < 5; ++cycle) {
            writer.addCycle(sample, period, 10.0 * period + cycle);
            kestrum::ScanRecord scan;
            scan.sample = sample;
            scan.period = period;
            scan.cycle = cycle;
            scan.retentionTimeSeconds = 10.0 * period + cycle;
            scan.centroided = true;
            scan.mz = {120, 200};
            scan.intensity = {10, 20};
            writer.addScan(scan);
        }
    }
    writer.commit();
    return path;
}

// The ways a search ends other than with a query file and the search form: an error that leaves
// the dialog open to try again, nothing to search, a prompt for the query file cancelled; and a
// search of every sample, whose query file holds them all and whose search title says so.
TEST_F(ViewerSearch, SearchesThatEndOtherwiseAndTheSearchOfEverySample) {
    if (!whyNoSearchForm.isEmpty())
        GTEST_SKIP() << whyNoSearchForm.toStdString();
    kestrum::simulation::GenerationOptions options;
    options.outputPath = folder->filePath(QStringLiteral("two samples.vesk"));
    options.minutes = 1;
    options.seed = 7;
    options.samples = 2;
    const QString twoSamples = kestrum::simulation::generateAcquisition(options).acquisitionPath;
    const QString noPrecursors =
        writeProductRunWithoutPrecursors(folder->filePath(QStringLiteral("fixed.vesk")));

    struct Case {
        const char* what;
        QString file;
        bool spectrumShown;
        const char* scope;
        std::function<void()> prepare;
        std::vector<messages::ShownMessage> shown;
        bool dialogStaysOpen;
        bool queryWritten;
        bool prompts = false; // for the query file, a prompt the user cancels
    };
    const std::vector<Case> cases{
        {"no precursor on screen",
         noPrecursors,
         true,
         "Radio_Search0",
         [] {},
         {{QStringLiteral("Error"), QStringLiteral("Could not get precursor m/z.")}},
         true,
         false},
        {"nothing to search",
         acquisition,
         false,
         "Radio_Search1",
         [] {
             setSetting(QStringLiteral("MSMSThresholdInPercent"), QStringLiteral("0"));
             setSetting(QStringLiteral("MSMSThreshold"), QStringLiteral("1E+15"));
         },
         {{QStringLiteral("Sorvex Export"),
           QStringLiteral("Sorry, there were no valid MS/MS spectra in this data.\n\nNo query file was "
                          "written to %1.")
               .arg(queryFile)}},
         false,
         false},
        {"prompt for the query file cancelled",
         acquisition,
         false,
         "Radio_Search1",
         [] { setSetting(QStringLiteral("FileLocationOption"), QStringLiteral("3")); },
         {},
         false,
         false,
         true},
        {"every sample",
         twoSamples,
         false,
         "Radio_Search3",
         [] { setSetting(QStringLiteral("SorvexURL"), server->baseUrl() + QStringLiteral("/echo")); },
         {},
         false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::PrivateSettingsFolder settings;
        storeSearchSettings();
        c.prepare();
        QFile::remove(queryFile);
        messages.reset();
        messages = std::make_unique<messages::MessageCapture>();
        const QStringList pagesBefore = server->pagesServed();
        ASSERT_TRUE(viewer->openFile(c.file));
        if (c.spectrumShown) {
            viewer->chromatogramPane()->clicked(0.05);
            viewer->activatePane(viewer->spectrumPane());
        } else {
            viewer->activatePane(viewer->chromatogramPane());
        }
        bool stayedOpen = false;
        runScript([&](QWidget* dialog) {
            child<QAbstractButton>(dialog, QLatin1String(c.scope))->click();
            if (c.prompts)
                modaldriver::onNextModal([](QWidget* prompt) { prompt->close(); }, dialog);
            child<QAbstractButton>(dialog, QStringLiteral("SearchButton"))->click();
            stayedOpen = dialog->isVisible();
            if (stayedOpen)
                child<QAbstractButton>(dialog, QStringLiteral("CancelButton"))->click();
        });
        EXPECT_EQ(messages->shown(), c.shown);
        EXPECT_EQ(stayedOpen, c.dialogStaysOpen);
        EXPECT_EQ(QFile::exists(queryFile), c.queryWritten);
        const QStringList pages = server->pagesServed().mid(pagesBefore.size());
        const bool formShown = std::any_of(pages.begin(), pages.end(), [](const QString& page) {
            return page.contains(QStringLiteral("/cgi/search_form.pl"));
        });
        EXPECT_EQ(formShown, c.shown.empty() && c.queryWritten) << pages.join(u' ').toStdString();
    }
    // The search of every sample: the queries of both samples, under the title of all samples.
    const QString query = readText(queryFile);
    EXPECT_TRUE(query.contains(QStringLiteral("(sample number 1)")) &&
                query.contains(QStringLiteral("(sample number 2)")));
    EXPECT_TRUE(server->pagesServed().contains(QStringLiteral("/echo/title?") + twoSamples +
                                               QStringLiteral(" (all samples)")))
        << server->pagesServed().join(u' ').toStdString();
}

TEST_F(ViewerSearch, WithoutAGraphWindowTheScriptSaysSoAndShowsNoDialog) {
    runScriptWithoutDialog();
    EXPECT_EQ(messages->shown(),
              (std::vector<messages::ShownMessage>{
                  {QStringLiteral("Error"),
                   QStringLiteral("A graph window must be active. Open an acquisition first.")}}));
}

// The query of sample 1 as the batch search client writes it through the public classes of the
// library: the two header lines, then what the exporter appends.
QByteArray lateBoundQuery(const QString& data, const QString& path) {
    const auto create = [](const char* name) {
        return automation::ClassRegistry::instance().create(QStringLiteral("SorvexForBrenlow.") +
                                                            QLatin1String(name));
    };
    const auto exporter = create("MExportMSMSToSorvex");
    const auto buffer = exporter->call(QStringLiteral("GetQueryStringHelper")).toObject();
    automation::Arguments name{path};
    buffer->call(QStringLiteral("SetFilename"), name);
    for (const char* line : {"SEARCH=MIS", "REPTYPE=Peptide"}) {
        automation::Arguments text{QString::fromLatin1(line)};
        buffer->call(QStringLiteral("AppendLine"), text);
    }
    automation::Arguments args{data,
                               std::int32_t{1},
                               create("ProcessingParameters"),
                               automation::Variant(),
                               std::int32_t{-1},
                               std::int32_t{-1},
                               automation::Variant()};
    exporter->call(QStringLiteral("DoExportRange"), args);
    buffer->call(QStringLiteral("CloseFile"));
    return readBytes(path);
}

// A good query file from an earlier search sits at the fixed location. A search that ends without
// a query to search, however it ends (Cancel, closing the window, nothing found, an error), leaves
// it exactly as it was and says so; only a completed search replaces it, with the bytes the public
// classes write.
TEST_F(ViewerSearch, OnlyACompletedSearchReplacesTheEarlierQueryFile) {
    kestrum::simulation::GenerationOptions options;
    options.outputPath = folder->filePath(QStringLiteral("long.vesk"));
    options.minutes = 6;
    options.seed = 5;
    const QString longRun = kestrum::simulation::generateAcquisition(options).acquisitionPath;
    const QString damaged = folder->filePath(QStringLiteral("damaged.vesk"));
    QFile::remove(damaged);
    ASSERT_TRUE(QFile::copy(acquisition, damaged));
    const QByteArray earlier = QByteArrayLiteral(
        "SEARCH=MIS\r\nREPTYPE=Peptide\r\nBEGIN IONS\r\nPEPMASS=512.27\r\nCHARGE=2+\r\nTITLE=earlier\r\n"
        "175.119 120\r\n288.2031 80\r\nEND IONS\r\n\r\n");
    const QString kept = QStringLiteral("\n\nThe earlier query file %1 was left unchanged.").arg(queryFile);

    enum class Ending { Completes, Cancel, CloseWindow, NothingFound, DataDamaged };
    struct Case {
        const char* what;
        QString file;
        Ending ending;
        messages::ShownMessage shown; // its text ends so; none when the title is empty
    };
    std::vector<Case> cases{
        {"Cancel pressed",
         longRun,
         Ending::Cancel,
         {QStringLiteral("Sorvex Export"), QStringLiteral("The search was cancelled.") + kept}},
        {"window closed",
         longRun,
         Ending::CloseWindow,
         {QStringLiteral("Sorvex Export"), QStringLiteral("The search was cancelled.") + kept}},
        {"nothing to search",
         acquisition,
         Ending::NothingFound,
         {QStringLiteral("Sorvex Export"),
          QStringLiteral("Sorry, there were no valid MS/MS spectra in this data.") + kept}},
        {"acquisition damaged under the search",
         damaged,
         Ending::DataDamaged,
         {QStringLiteral("Error"), kept}},
    };
    // A completed search ends at the search form, which needs the stand-in server and Chromium.
    if (whyNoSearchForm.isEmpty())
        cases.push_back({"completed", acquisition, Ending::Completes, {}});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::PrivateSettingsFolder settings;
        storeSearchSettings();
        if (c.ending == Ending::NothingFound) {
            setSetting(QStringLiteral("MSMSThresholdInPercent"), QStringLiteral("0"));
            setSetting(QStringLiteral("MSMSThreshold"), QStringLiteral("1E+15"));
        }
        {
            QFile file(queryFile);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(earlier) > 0);
        }
        // The capture of the case before goes first, so that this one restores the message boxes.
        messages.reset();
        messages = std::make_unique<messages::MessageCapture>();
        messages::ShownMessage boxShown;
        const QStringList pagesBefore = server->pagesServed();
        ASSERT_TRUE(viewer->openFile(c.file));
        viewer->activatePane(viewer->chromatogramPane());

        runScript([&](QWidget* dialog) {
            auto* progress = child<QProgressBar>(dialog, QStringLiteral("ProgressBar1"));
            auto* cancel = child<QAbstractButton>(dialog, QStringLiteral("CancelButton"));
            if (c.ending == Ending::DataDamaged) {
                QFile data(damaged);
                ASSERT_TRUE(data.open(QIODevice::WriteOnly | QIODevice::Truncate));
                data.write("not an acquisition any more");
            }
            // Once the export is under way, stop it the way the user chooses.
            const bool stops = c.ending == Ending::Cancel || c.ending == Ending::CloseWindow;
            QTimer* poll = new QTimer(dialog);
            QObject::connect(poll, &QTimer::timeout, dialog, [&, dialog, progress, cancel, poll] {
                // Cancel waits for a fifth of the export, so that the picture shows the bar moving.
                if (progress->value() <
                    (c.ending == Ending::CloseWindow ? 3 : std::max(3, progress->maximum() / 5)))
                    return;
                poll->stop();
                EXPECT_TRUE(progress->isVisible());
                if (c.ending == Ending::CloseWindow) {
                    dialog->close();
                    return;
                }
                save(dialog, QStringLiteral("search-dialog-running.png"));
                // This once the message is shown as the user sees it, and its picture kept.
                messages.reset();
                modaldriver::onNextModal(
                    [&](QWidget* box) {
                        const auto* messageBox = qobject_cast<QMessageBox*>(box);
                        ASSERT_NE(messageBox, nullptr);
                        boxShown = {messageBox->windowTitle(), messageBox->text()};
                        save(box, QStringLiteral("search-cancelled-message.png"));
                        box->close();
                    },
                    dialog);
                cancel->click();
            });
            if (stops)
                poll->start(5);
            child<QAbstractButton>(dialog, QStringLiteral("SearchButton"))->click();
            // An error leaves the dialog open to try again; the user gives up.
            if (dialog->isVisible() && !stops)
                cancel->click();
        });
        const std::vector<messages::ShownMessage> shown =
            messages ? messages->shown() : std::vector<messages::ShownMessage>{boxShown};
        if (c.shown.title.isEmpty()) {
            EXPECT_EQ(shown, std::vector<messages::ShownMessage>{});
        } else {
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_EQ(shown.front().title, c.shown.title);
            EXPECT_TRUE(shown.front().text.endsWith(c.shown.text)) << shown.front().text.toStdString();
        }
        const QByteArray expected =
            c.ending == Ending::Completes
                ? lateBoundQuery(acquisition, folder->filePath(QStringLiteral("late-bound.sxq")))
                : earlier;
        EXPECT_EQ(readBytes(queryFile), expected);
        EXPECT_TRUE(QDir(folder->path()).entryList({QStringLiteral("*.part")}).isEmpty())
            << "no temporary file";
        const QStringList pages = server->pagesServed().mid(pagesBefore.size());
        EXPECT_EQ(pages.filter(QStringLiteral("/cgi/search_form.pl")).isEmpty(),
                  c.ending != Ending::Completes)
            << pages.join(u' ').toStdString();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

// Clicks a pane at x, as a user does; the click counts once the double-click interval has passed.
void clickAt(host::PlotWidget& pane, double x) {
    QTest::mouseClick(&pane, Qt::LeftButton, {}, QPoint(int(pane.widgetXOf(x)), pane.height() / 2));
}

void turnWheel(host::PlotWidget& pane, int angle, Qt::KeyboardModifiers modifiers = {}) {
    const QPointF at(pane.width() / 2.0, pane.height() / 2.0);
    QWheelEvent event(at, pane.mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&pane, &event);
}

// What a user does between looking and searching: clicking a cycle, double-clicking to see
// everything, switching experiment, zooming on the spectrum, stepping through scans. None of it
// may change the cursor, the ranges or the pane the script uses behind the user's back.
TEST_F(ViewerSearch, CursorRangesAndActivePaneFollowOnlyWhatTheUserDid) {
    ASSERT_TRUE(viewer->openFile(acquisition));
    const auto file = kestrum::VeskFile::open(acquisition);
    host::PlotWidget& tic = *viewer->chromatogramPane();
    host::PlotWidget& spectrum = *viewer->spectrumPane();
    dragAcross(tic, 0.30, 0.55);
    clickAt(tic, 0.9);
    ASSERT_TRUE(waitUntil([&] { return viewer->cursorCycle().has_value(); }));
    const int cycle = *viewer->cursorCycle();
    EXPECT_EQ(cycle, file->CycleAtTime(1, 0, float(0.9 * 60)).cycle);
    EXPECT_TRUE(viewer->statusText().startsWith(QStringLiteral("Cycle %1 at ").arg(cycle + 1)))
        << viewer->statusText().toStdString();

    // A double click elsewhere shows everything and leaves the cursor where it was.
    tic.zoomTo(0.2, 1.2);
    // The events of a double click: press, release, double click, release.
    const QPoint elsewhere(int(tic.widgetXOf(1.1)), tic.height() / 2);
    QTest::mousePress(&tic, Qt::LeftButton, {}, elsewhere);
    QTest::mouseRelease(&tic, Qt::LeftButton, {}, elsewhere);
    QTest::mouseDClick(&tic, Qt::LeftButton, {}, elsewhere);
    QTest::mouseRelease(&tic, Qt::LeftButton, {}, elsewhere);
    QTest::qWait(QApplication::doubleClickInterval() + 200);
    EXPECT_EQ(viewer->cursorCycle(), cycle);
    EXPECT_EQ(tic.visibleRange().start, tic.trace()->mzValues().front());

    // Another experiment keeps the ranges and the cycle: its scan of that cycle is shown.
    auto* experiments = viewer->findChild<QComboBox*>(QStringLiteral("ExperimentChoice"));
    experiments->setCurrentIndex(experiments->findData(1));
    EXPECT_EQ(tic.ranges().size(), 1u);
    EXPECT_EQ(viewer->cursorCycle(), cycle);
    EXPECT_EQ(spectrum.trace() != nullptr, file->scan(1, 0, 1, cycle).has_value());

    // Page Down steps to the next cycle in which this experiment has a scan.
    viewer->activateWindow();
    ASSERT_TRUE(waitUntil([&] { return viewer->isActiveWindow(); }));
    QTest::keyClick(viewer.get(), Qt::Key_PageDown);
    int expected = cycle + 1;
    while (!file->scan(1, 0, 1, expected))
        ++expected;
    EXPECT_EQ(viewer->cursorCycle(), expected);
    ASSERT_NE(spectrum.trace(), nullptr);
    EXPECT_TRUE(spectrum.trace()->Title().contains(
        QString::number(file->CycleTime(1, 0, 1, expected) / 60.0, 'f', 3)));

    // Zooming with the wheel makes the spectrum the pane scripts use, as a right drag on the
    // chromatogram makes it the chromatogram again; the frame shows which.
    viewer->activatePane(&tic);
    turnWheel(spectrum, 120);
    EXPECT_EQ(viewer->graphWindow()->panes.back().trace, spectrum.trace());
    EXPECT_TRUE(viewer->statusText().endsWith(QStringLiteral("Scripts use the spectrum.")));
    dragAcross(tic, 0.4, 1.0, Qt::RightButton);
    EXPECT_TRUE(viewer->statusText().contains(QStringLiteral("Scripts use the chromatogram")));
    EXPECT_EQ(viewer->graphWindow()->selections.size(), 1u);

    // The survey scan of that cycle marks the precursor that experiment 2 fragmented.
    experiments->setCurrentIndex(experiments->findData(0));
    const auto precursor = file->recordedPrecursor(1, 0, 1, expected);
    ASSERT_TRUE(precursor.has_value());
    const auto& marks = spectrum.marks();
    EXPECT_TRUE(std::any_of(marks.begin(), marks.end(), [&](const host::XMark& mark) {
        return mark.x == precursor->mz && mark.text == QStringLiteral("Exp 2");
    }));
}

// The pane a user reads: the tallest peaks labelled, the point under the pointer read out, pan and
// intensity keys, and the plot exported and copied as a picture and a drawing.
TEST_F(ViewerSearch, SpectrumIsReadOutLabelledPannedAndExported) {
    ASSERT_TRUE(viewer->openFile(acquisition));
    host::PlotWidget& spectrum = *viewer->spectrumPane();
    viewer->chromatogramPane()->clicked(0.9);
    ASSERT_NE(spectrum.trace(), nullptr);
    const auto& x = spectrum.trace()->mzValues();
    const auto& y = spectrum.trace()->intensities();
    const auto tallest = std::size_t(std::max_element(y.begin(), y.end()) - y.begin());
    const auto labels = spectrum.labelledPeaks();
    ASSERT_GE(labels.size(), 3u);
    EXPECT_EQ(labels.front(), tallest);

    QTest::mouseMove(&spectrum,
                     QPoint(int(std::lround(spectrum.widgetXOf(x[tallest]))), spectrum.height() / 2));
    ASSERT_TRUE(waitUntil([&] { return !spectrum.readout().isEmpty(); }));
    EXPECT_TRUE(
        spectrum.readout().startsWith(QStringLiteral("m/z %1, intensity ").arg(x[tallest], 0, 'f', 5)))
        << spectrum.readout().toStdString();
    EXPECT_TRUE(spectrum.readout().endsWith(QStringLiteral(" min")));
    save(viewer.get(), QStringLiteral("vesk-viewer-readout.png"));

    // Keys and the middle button move the view; Up stretches the intensity axis.
    spectrum.zoomTo(x[tallest] - 20, x[tallest] + 20);
    QTest::keyClick(&spectrum, Qt::Key_Right);
    EXPECT_NEAR(spectrum.visibleRange().start, x[tallest] - 16, 1e-6);
    // A middle drag 100 pixels to the left shows what lay 100 pixels further right.
    const double panned = spectrum.visibleRange().start + spectrum.xAt(300) - spectrum.xAt(200);
    const int middle = spectrum.height() / 2;
    QTest::mousePress(&spectrum, Qt::MiddleButton, {}, QPoint(300, middle));
    QTest::mouseMove(&spectrum, QPoint(250, middle));
    QTest::mouseRelease(&spectrum, Qt::MiddleButton, {}, QPoint(200, middle));
    EXPECT_NEAR(spectrum.visibleRange().start, panned, 1e-6);
    QTest::keyClick(&spectrum, Qt::Key_Up);
    EXPECT_EQ(spectrum.intensityStretch(), 2.0);
    EXPECT_TRUE(viewer->statusText().contains(QStringLiteral("Scripts use the spectrum")));

    const QString png = folder->filePath(QStringLiteral("spectrum.png"));
    const QString svg = folder->filePath(QStringLiteral("spectrum.svg"));
    ASSERT_TRUE(viewer->exportPlot(png));
    ASSERT_TRUE(viewer->exportPlot(svg));
    EXPECT_EQ(QImage(png).size(), spectrum.size() * spectrum.devicePixelRatio());
    const QString drawing = readText(svg);
    EXPECT_TRUE(drawing.contains(QStringLiteral("<svg"))) << drawing.left(200).toStdString();
    EXPECT_TRUE(drawing.contains(QStringLiteral("m/z")));
    EXPECT_EQ(viewer->outcomeText(), QStringLiteral("The spectrum plot saved to %1.").arg(svg));
    EXPECT_FALSE(viewer->exportPlot(folder->filePath(QStringLiteral("no-such-folder/spectrum.png"))));
    ASSERT_EQ(messages->shown().size(), 1u);
    EXPECT_TRUE(messages->shown().front().text.startsWith(QStringLiteral("Could not save the plot to ")));

    viewer->copyPlot();
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_TRUE(copied->hasImage());
    EXPECT_TRUE(copied->data(QStringLiteral("image/svg+xml")).contains("<svg"));

    QString about;
    modaldriver::onNextModal([&](QWidget* box) {
        about = static_cast<QMessageBox*>(box)->text();
        save(box, QStringLiteral("vesk-viewer-about.png"));
        box->close();
    });
    for (QAction* action : viewer->menuBar()->findChildren<QAction*>())
        if (action->text() == QStringLiteral("&About Vesk Viewer"))
            action->trigger();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("Vesk Viewer \\d+\\.\\d+")).match(about).hasMatch())
        << about.toStdString();
    EXPECT_TRUE(about.contains(QStringLiteral("Page Down")) && about.contains(QStringLiteral("Middle-drag")));
}

// A search form that cannot be opened: the query file is complete, the message says which address
// was tried and where the file is kept, and the dialog closes.
TEST_F(ViewerSearch, FailedBrowserStepNamesTheAddressAndTheKeptFileAndClosesTheDialog) {
    if (!whyNoSearchForm.isEmpty())
        GTEST_SKIP() << whyNoSearchForm.toStdString();
    setSetting(QStringLiteral("SorvexURL"), server->baseUrl() + QStringLiteral("/noform"));
    ASSERT_TRUE(viewer->openFile(acquisition));
    runScript(
        [](QWidget* dialog) { child<QAbstractButton>(dialog, QStringLiteral("SearchButton"))->click(); });
    EXPECT_EQ(messages->shown(),
              (std::vector<messages::ShownMessage>{
                  {QStringLiteral("Error"),
                   QStringLiteral("Could not navigate to the web site.\n\nSearch form address tried: "
                                  "%1/noform/cgi/search_form.pl?SEARCH=MIS\nThe query file is kept at %2; it "
                                  "can be submitted on the search form by hand.")
                       .arg(server->baseUrl(), queryFile)}}));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "the dialog closed";
    EXPECT_TRUE(readText(queryFile).endsWith(QStringLiteral("END IONS\r\n\r\n")));
}

} // namespace
