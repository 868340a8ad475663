// The batch driver's window on a real X server, with real scripts (the example hook logger, the
// same without SampleEnd, Ostrand's own ProcessClass) and generated Vesk acquisitions: the hooks a
// run calls, the checks before it, drops, saved settings and the command line.

#include "quorvel/quorvelform.h"
#include "testsupport/xcbapplicationtest.h"

#include "appsettings/applicationsettings.h"
#include "kestrum/simulation/acquisitiongenerator.h"
#include "shared/messageboxpresenter.h"
#include "testsupport/environmentoverride.h"
#include "testsupport/privatesettingsfolder.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <map>
#include <optional>

namespace {

const QString application = QStringLiteral("Acq Quorvel");
const QString section = QStringLiteral("Main");

QString setting(const QString& key) {
    return appsettings::value(application, section, key, QStringLiteral("(none)"));
}
void saveSetting(const QString& key, const QString& text) {
    ASSERT_TRUE(appsettings::save(application, section, key, text));
}

QStringList lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// A message box the window showed.
struct Box {
    QString title;
    QString text;
    bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out) {
    *out << box.title.toStdString() << ": " << box.text.toStdString();
}

class QuorvelFormTest : public XcbApplicationTest {
protected:
    static void SetUpTestSuite() {
        XcbApplicationTest::SetUpTestSuite();
        if (!application)
            return;
        messages::installMessageBoxPresenter();
        acquisitions = std::make_unique<QTemporaryDir>();
        // Short seeded runs: a sample number is all a batch run reads of them.
        for (const auto& [base, samples] : std::map<QString, int>{
                 {QStringLiteral("one"), 1}, {QStringLiteral("three"), 3}, {QStringLiteral("ten"), 10}}) {
            kestrum::simulation::GenerationOptions options;
            options.outputPath = acquisitions->filePath(base + QStringLiteral(".vesk"));
            options.minutes = 0.05;
            options.samples = samples;
            options.topN = 1;
            options.centroid = true;
            kestrum::simulation::generateAcquisition(options);
        }
    }
    static void TearDownTestSuite() {
        acquisitions.reset();
        XcbApplicationTest::TearDownTestSuite();
    }

    void SetUp() override {
        XcbApplicationTest::SetUp();
        ASSERT_TRUE(m_folder.isValid());
    }

    // A copy of a generated acquisition in the test's own folder ("one", "three" or "ten").
    QString dataFile(const QString& generated) {
        const QString copy = m_folder.filePath(generated + QStringLiteral(".vesk"));
        if (!QFile::exists(copy)) {
            EXPECT_TRUE(QFile::copy(acquisitions->filePath(generated + QStringLiteral(".vesk")), copy));
        }
        return copy;
    }

    // The window as the program opens it, shown on the X server.
    std::unique_ptr<QuorvelForm> openForm() {
        auto form = std::make_unique<QuorvelForm>();
        form->show();
        EXPECT_TRUE(waitUntil([&] { return form->windowHandle() && form->windowHandle()->isExposed(); }));
        return form;
    }

    template <class Control> static Control* control(QuorvelForm& form, const char* name) {
        auto* found = form.findChild<Control*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Runs `action`, answering every message box that appears meanwhile with OK; the boxes shown.
    static std::vector<Box> answeringBoxes(const std::function<void()>& action) {
        std::vector<Box> boxes;
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                box && box->isVisible()) {
                boxes.push_back({box->windowTitle(), box->text()});
                box->button(QMessageBox::Ok)->click();
            }
        });
        watcher.start(10);
        action();
        return boxes;
    }

    static std::vector<Box> clickRun(QuorvelForm& form) {
        return answeringBoxes([&] { control<QPushButton>(form, "RunButton")->click(); });
    }

    static std::vector<Box> drop(QWidget& target, const QStringList& paths) {
        auto* data = new QMimeData;
        QList<QUrl> urls;
        for (const QString& path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data->setUrls(urls);
        return answeringBoxes([&] {
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&target, &enter);
            EXPECT_TRUE(enter.isAccepted());
            QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(&target, &dropped);
            delete data;
        });
    }

    static QStringList listedNames(QuorvelForm& form) {
        QStringList names;
        auto* list = control<QListWidget>(form, "FileList");
        for (int row = 0; row < list->count(); ++row)
            names.append(list->item(row)->text());
        return names;
    }

    static inline std::unique_ptr<QTemporaryDir> acquisitions;
    testsupport::PrivateSettingsFolder m_settings;
    QTemporaryDir m_folder;
};

// One batch run: the window's inputs, what happens during the run, what the user sees and which
// hooks the script received.
struct RunCase {
    const char* name;
    std::vector<const char*> files; // generated acquisitions, or "gone" for a file that does not exist
    QString script;                 // a script library, a file that is none, "missing.so", or none at all
    std::optional<std::pair<QString, QString>> savedRange; // range check box saved as checked
    bool rangeFieldsEnabled;
    QString error;          // the message box's text ("<test folder>" the test's folder); "" when none
    const char* sampleRuns; // the samples the hooks saw, file by file: "three 1 2 3, one 1"
    bool sampleEndArrives = true;
    bool firstFileVanishesAfterItsFirstSample = false;
    bool hookLogUnwritable = false;
    const char* progressShown = ""; // a line the window shows while the run is at a sample
};

void PrintTo(const RunCase& run, std::ostream* out) {
    *out << run.name;
}

class QuorvelRunTest : public QuorvelFormTest, public ::testing::WithParamInterface<RunCase> {
protected:
    // The hook lines the run should have written.
    QStringList expectedHooks(const RunCase& run) {
        QStringList hooks{QStringLiteral("BatchStart")};
        for (const QString& fileRun : QString::fromLatin1(run.sampleRuns).split(QStringLiteral(", "))) {
            QStringList words = fileRun.split(QLatin1Char(' '));
            const QString path = dataFile(words.takeFirst());
            for (const QString& sample : words) {
                hooks << QStringLiteral("SampleStart %1 %2").arg(path, sample);
                if (run.sampleEndArrives)
                    hooks << QStringLiteral("SampleEnd %1 %2").arg(path, sample);
            }
        }
        return hooks << QStringLiteral("BatchEnd");
    }
};

TEST_P(QuorvelRunTest, RunCallsTheHooksInTheHostsOrder) {
    const RunCase& run = GetParam();
    const QString hookLog = m_folder.filePath(
        run.hookLogUnwritable ? QStringLiteral("no/such/folder/hooks.log") : QStringLiteral("hooks.log"));
    const testsupport::EnvironmentOverride hookFile("HOOK_LOGGER_FILE", hookLog.toUtf8());
    if (run.savedRange) {
        saveSetting(QStringLiteral("SampleRangeCheck"), QStringLiteral("1"));
        saveSetting(QStringLiteral("LimitedFromText"), run.savedRange->first);
        saveSetting(QStringLiteral("LimitedToText"), run.savedRange->second);
    }
    QFile notAScript(m_folder.filePath(QStringLiteral("notascript.so")));
    ASSERT_TRUE(notAScript.open(QIODevice::WriteOnly));
    notAScript.close();
    // A saved script that has gone since leaves the choice to the user, not to the installed one.
    if (run.script.isEmpty())
        saveSetting(QStringLiteral("Script Path"), m_folder.filePath(QStringLiteral("gone.so")));

    auto form = openForm();
    for (const char* file : run.files)
        form->AddDataFile(QLatin1String(file) == QLatin1String("gone")
                              ? m_folder.filePath(QStringLiteral("gone.vesk"))
                              : dataFile(QString::fromLatin1(file)));
    if (!run.script.isEmpty())
        form->SetScriptPath(run.script.contains(QLatin1Char('/')) ? run.script
                                                                  : m_folder.filePath(run.script));
    EXPECT_EQ(control<QCheckBox>(*form, "SampleRangeCheck")->isEnabled(), run.files.size() == 1);
    for (const char* field : {"LimitedFromText", "LimitedToText", "LimitedFromLabel", "LimitedToLabel"})
        EXPECT_EQ(control<QWidget>(*form, field)->isEnabled(), run.rangeFieldsEnabled) << field;

    // The acquisition goes away while the run is at its first sample, as a file moved elsewhere.
    QTimer remover;
    QObject::connect(&remover, &QTimer::timeout, [&] {
        if (lines(hookLog).contains(QStringLiteral("SampleEnd %1 1").arg(form->files().front())))
            QFile::remove(form->files().front());
    });
    if (run.firstFileVanishesAfterItsFirstSample)
        remover.start(0);

    const auto* status = control<QLabel>(*form, "StatusLabel");
    QStringList progress;
    QTimer progressWatcher;
    QObject::connect(&progressWatcher, &QTimer::timeout, [&] {
        if (progress.isEmpty() || progress.back() != status->text())
            progress.append(status->text());
    });
    progressWatcher.start(0);
    const std::vector<Box> boxes = clickRun(*form);
    remover.stop();
    progressWatcher.stop();
    if (*run.progressShown) {
        EXPECT_TRUE(progress.contains(QLatin1String(run.progressShown)))
            << progress.join(u'\n').toStdString();
    }
    const QString error = QString(run.error).replace(QStringLiteral("<test folder>"), m_folder.path());
    if (error.isEmpty()) {
        EXPECT_TRUE(boxes.empty()) << boxes.front().text.toStdString();
        EXPECT_TRUE(status->text().startsWith(QStringLiteral("Finished: "))) << status->text().toStdString();
        if (run.sampleRuns) {
            const auto samples = expectedHooks(run).filter(QStringLiteral("SampleStart")).size();
            EXPECT_EQ(status->text(), QStringLiteral("Finished: %1 sample%2 of %3 file%4 processed.")
                                          .arg(samples)
                                          .arg(samples == 1 ? QString() : QStringLiteral("s"))
                                          .arg(run.files.size())
                                          .arg(run.files.size() == 1 ? QString() : QStringLiteral("s")));
        }
    } else {
        EXPECT_EQ(boxes, (std::vector<Box>{{QStringLiteral("Error"), error}}));
        EXPECT_EQ(status->text(), QStringLiteral("Stopped: ") + error);
    }
    if (run.sampleRuns) {
        EXPECT_EQ(lines(hookLog), expectedHooks(run));
    } else {
        EXPECT_EQ(lines(hookLog), QStringList());
    }
}

const QString hookLogger = QStringLiteral(HOOK_LOGGER_LIBRARY);
const QString withoutSampleEnd = QStringLiteral(WITHOUT_SAMPLE_END_LIBRARY);
const QString ostrand = QStringLiteral(OSTRAND_SCRIPT_LIBRARY);
const QString notCreated =
    QStringLiteral("The script couldn't be created: Are you sure that the specified file "
                   "is in the required Corvana script format?");

INSTANTIATE_TEST_SUITE_P(
    Runs, QuorvelRunTest,
    ::testing::Values(
        RunCase{"TwoFilesRunWhollyWhateverTheSavedRange",
                {"one", "three"},
                hookLogger,
                std::pair{QStringLiteral("2"), QStringLiteral("3")},
                false,
                {},
                "one 1, three 1 2 3",
                true,
                false,
                false,
                "Running three.vesk (file 2 of 2), sample 3 of 3..."},
        RunCase{"RangeNineToTen",
                {"ten"},
                hookLogger,
                std::pair{QStringLiteral("9"), QStringLiteral("10")},
                true,
                {},
                "ten 9 10",
                true,
                false,
                false,
                "Running ten.vesk (file 1 of 1), sample 10 of 10..."},
        RunCase{"RangeTenToNine",
                {"ten"},
                hookLogger,
                std::pair{QStringLiteral("10"), QStringLiteral("9")},
                true,
                QStringLiteral("The starting sample must not be greater than the ending one."),
                nullptr},
        RunCase{"RangeBeyondTheSampleCount",
                {"three"},
                hookLogger,
                std::pair{QStringLiteral("1"), QStringLiteral("5")},
                true,
                QStringLiteral("This field must be an integer between 1 and 3."),
                nullptr},
        RunCase{
            "UncheckedRangeRunsEverySample", {"three"}, hookLogger, std::nullopt, false, {}, "three 1 2 3"},
        RunCase{"ScriptWithoutSampleEnd",
                {"three", "one"},
                withoutSampleEnd,
                std::nullopt,
                false,
                {},
                "three 1 2 3, one 1",
                false},
        RunCase{"SecondSampleCannotBeOpened",
                {"three", "one"},
                hookLogger,
                std::nullopt,
                false,
                {},
                "three 1, one 1",
                true,
                true},
        RunCase{"SameFileTwice", {"one", "one"}, hookLogger, std::nullopt, false, {}, "one 1, one 1"},
        RunCase{"OstrandsOwnProcessClass", {"three", "one"}, ostrand, std::nullopt, false, {}, nullptr},
        RunCase{"NoFiles",
                {},
                hookLogger,
                std::nullopt,
                false,
                QStringLiteral("You must select at least one file to process."),
                nullptr},
        RunCase{"MissingDataFile",
                {"one", "gone"},
                hookLogger,
                std::nullopt,
                false,
                QStringLiteral("The data file 'gone.vesk' does not exist."),
                nullptr},
        RunCase{"NoScript",
                {"one"},
                {},
                std::nullopt,
                false,
                QStringLiteral("You must select a processing script."),
                nullptr},
        RunCase{"MissingScript",
                {"one"},
                QStringLiteral("missing.so"),
                std::nullopt,
                false,
                QStringLiteral("The specified script does not exist."),
                nullptr},
        RunCase{
            "NotAScript", {"one"}, QStringLiteral("notascript.so"), std::nullopt, false, notCreated, nullptr},
        RunCase{"HookFailureStopsTheRun",
                {"one"},
                hookLogger,
                std::nullopt,
                false,
                QStringLiteral(
                    "Cannot append to '<test folder>/no/such/folder/hooks.log': No such file or directory"),
                nullptr,
                true,
                false,
                true}),
    [](const ::testing::TestParamInfo<RunCase>& param) { return std::string(param.param.name); });

TEST_F(QuorvelFormTest, DroppedFoldersAndFilesFillTheListAndChooseTheScript) {
    const QDir folder(m_folder.path());
    for (const char* sub : {"plate/sub/deeper", "plate/zz", "run.d"})
        ASSERT_TRUE(folder.mkpath(QString::fromLatin1(sub)));
    for (const char* file :
         {"plate/b.Vesk", "plate/A.VESK", "plate/notes.txt", "plate/sub/c.vesk", "plate/sub/deeper/d.vesk",
          "plate/zz/e.vesk", "run.d/f.vesk", "notes.txt", "noextension"}) {
        QFile made(folder.filePath(QString::fromLatin1(file)));
        ASSERT_TRUE(made.open(QIODevice::WriteOnly)) << file;
    }
    // A link back to the top folder must not make the walk endless.
    ASSERT_TRUE(QFile::link(folder.filePath(QStringLiteral("plate")),
                            folder.filePath(QStringLiteral("plate/sub/back"))));
    auto form = openForm();
    // Until a script is chosen, the Ostrand script library that came with the program is the one.
    EXPECT_EQ(QFileInfo(form->scriptPath()).canonicalFilePath(), QFileInfo(ostrand).canonicalFilePath());

    EXPECT_TRUE(drop(*form, {folder.filePath(QStringLiteral("plate")),
                             folder.filePath(QStringLiteral("notes.txt")), hookLogger})
                    .empty());
    auto* list = control<QListWidget>(*form, "FileList");
    EXPECT_TRUE(
        drop(*list->viewport(), {folder.filePath(QStringLiteral("run.d")), dataFile(QStringLiteral("one"))})
            .empty());
    const QStringList names{QStringLiteral("A.VESK"),  QStringLiteral("b.Vesk"), QStringLiteral("c.vesk"),
                            QStringLiteral("d.vesk"),  QStringLiteral("e.vesk"), QStringLiteral("f.vesk"),
                            QStringLiteral("one.vesk")};
    EXPECT_EQ(listedNames(*form), names);
    EXPECT_EQ(form->files().front(), folder.filePath(QStringLiteral("plate/A.VESK")));
    EXPECT_EQ(form->files().at(3), folder.filePath(QStringLiteral("plate/sub/deeper/d.vesk")));
    EXPECT_EQ(form->scriptPath(), hookLogger);
    EXPECT_EQ(control<QLineEdit>(*form, "ScriptName")->text(), QStringLiteral("libhooklogger.so"));

    // A file without an extension is taken as a folder, which cannot be listed.
    const QString noExtension = folder.filePath(QStringLiteral("noextension"));
    EXPECT_EQ(drop(*form, {noExtension}),
              (std::vector<Box>{
                  {QStringLiteral("Error"),
                   QStringLiteral("The folder '%1' cannot be listed: it does not exist or cannot be read.")
                       .arg(noExtension)}}));
    EXPECT_EQ(listedNames(*form), names);
}

// A user's run of three acquisitions that share a file name: the list tells them apart, the window
// says how many samples a single file has, and Cancel pressed during the second file stops after
// the sample in hand, with BatchEnd still called and the status line saying so.
TEST_F(QuorvelFormTest, CancelStopsAfterTheSampleInHandAndStillEndsTheBatch) {
    const QString hookLog = m_folder.filePath(QStringLiteral("hooks.log"));
    const testsupport::EnvironmentOverride hookFile("HOOK_LOGGER_FILE", hookLog.toUtf8());
    QStringList runs;
    for (const char* plate : {"plate-a", "plate-b", "plate-c"}) {
        ASSERT_TRUE(QDir(m_folder.path()).mkpath(QString::fromLatin1(plate)));
        runs.append(m_folder.filePath(QString::fromLatin1(plate) + QStringLiteral("/run.vesk")));
        ASSERT_TRUE(QFile::copy(acquisitions->filePath(QStringLiteral("three.vesk")), runs.back()));
    }
    auto form = openForm();
    form->SetScriptPath(hookLogger);
    auto* status = control<QLabel>(*form, "StatusLabel");

    // The complaint about an empty list goes once a file is there.
    EXPECT_EQ(clickRun(*form),
              (std::vector<Box>{{QStringLiteral("Error"),
                                 QStringLiteral("You must select at least one file to process.")}}));
    form->AddDataFile(runs.at(0));
    EXPECT_EQ(status->text(), QString());
    EXPECT_EQ(control<QLabel>(*form, "SampleCountLabel")->text(), QStringLiteral("(the file has 3 samples)"));
    form->AddDataFile(runs.at(1));
    form->AddDataFile(runs.at(2));
    EXPECT_EQ(control<QLabel>(*form, "SampleCountLabel")->text(), QString());
    EXPECT_EQ(listedNames(*form),
              (QStringList{QStringLiteral("plate-a/run.vesk"), QStringLiteral("plate-b/run.vesk"),
                           QStringLiteral("plate-c/run.vesk")}));
    EXPECT_EQ(control<QListWidget>(*form, "FileList")->item(1)->toolTip(), runs.at(1));

    auto* cancel = control<QPushButton>(*form, "CancelButton");
    auto* progress = control<QProgressBar>(*form, "RunProgress");
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_FALSE(progress->isVisible());
    int progressSeen = -1;
    QTimer presser;
    QObject::connect(&presser, &QTimer::timeout, [&] {
        if (!lines(hookLog).contains(QStringLiteral("SampleEnd %1 2").arg(runs.at(1))) || progressSeen >= 0)
            return;
        progressSeen = progress->value();
        EXPECT_TRUE(progress->isVisible());
        EXPECT_FALSE(control<QPushButton>(*form, "RunButton")->isEnabled());
        const QString target = QStringLiteral(OSTRAND_SCREENSHOT_DIR "/quorvel-running.png");
        EXPECT_TRUE(form->grab().save(target)) << target.toStdString();
        // A real click: the run must be taking the user's input.
        QTest::mouseClick(cancel, Qt::LeftButton);
    });
    presser.start(0);
    EXPECT_TRUE(clickRun(*form).empty());
    presser.stop();

    QStringList expected{QStringLiteral("BatchStart")};
    for (const auto& [file, samples] : std::vector<std::pair<QString, int>>{{runs.at(0), 3}, {runs.at(1), 2}})
        for (int sample = 1; sample <= samples; ++sample)
            expected << QStringLiteral("SampleStart %1 %2").arg(file).arg(sample)
                     << QStringLiteral("SampleEnd %1 %2").arg(file).arg(sample);
    EXPECT_EQ(lines(hookLog), expected << QStringLiteral("BatchEnd"));
    // Five of nine samples were done when the second file's third sample was about to start.
    EXPECT_EQ(progressSeen, 1000 * 5 / 9);
    EXPECT_EQ(status->text(),
              QStringLiteral("Cancelled: 5 samples of 3 files processed, then the batch was ended."));
    EXPECT_FALSE(cancel->isVisible());
    EXPECT_TRUE(control<QPushButton>(*form, "RunButton")->isEnabled());
}

TEST_F(QuorvelFormTest, SavedPathsThatVanishedAreDroppedAndRenumberedOnRun) {
    const testsupport::EnvironmentOverride hookFile("HOOK_LOGGER_FILE",
                                                    m_folder.filePath(QStringLiteral("hooks.log")).toUtf8());
    const QString one = dataFile(QStringLiteral("one"));
    const QString three = dataFile(QStringLiteral("three"));
    const QString gone = m_folder.filePath(QStringLiteral("gone.vesk"));
    saveSetting(QStringLiteral("Num Files"), QStringLiteral("3"));
    for (const auto& [key, path] : std::map<QString, QString>{{QStringLiteral("File 1"), one},
                                                              {QStringLiteral("File 2"), gone},
                                                              {QStringLiteral("File 3"), three},
                                                              {QStringLiteral("File 4"), three}})
        saveSetting(key, path);
    saveSetting(QStringLiteral("Script Path"), hookLogger);

    auto form = openForm();
    EXPECT_EQ(form->files(), (QStringList{one, three}));
    EXPECT_EQ(listedNames(*form), (QStringList{QStringLiteral("one.vesk"), QStringLiteral("three.vesk")}));
    EXPECT_TRUE(clickRun(*form).empty());
    EXPECT_EQ(setting(QStringLiteral("Num Files")), QStringLiteral("2"));
    EXPECT_EQ(setting(QStringLiteral("File 1")), one);
    EXPECT_EQ(setting(QStringLiteral("File 2")), three);
    EXPECT_EQ(setting(QStringLiteral("SampleRangeCheck")), QStringLiteral("0"));
    EXPECT_EQ(setting(QStringLiteral("LimitedFromText")), QStringLiteral("1"));

    // After a restart the window shows what the run saved; removing a file makes the range possible.
    form = openForm();
    EXPECT_EQ(form->files(), (QStringList{one, three}));
    EXPECT_EQ(control<QLineEdit>(*form, "ScriptName")->text(), QStringLiteral("libhooklogger.so"));
    EXPECT_FALSE(control<QCheckBox>(*form, "SampleRangeCheck")->isEnabled());
    control<QListWidget>(*form, "FileList")->item(0)->setSelected(true);
    control<QPushButton>(*form, "RemoveFile")->click();
    EXPECT_EQ(form->files(), QStringList{three});
    EXPECT_TRUE(control<QCheckBox>(*form, "SampleRangeCheck")->isEnabled());
    control<QCheckBox>(*form, "SampleRangeCheck")->click();
    EXPECT_TRUE(control<QLineEdit>(*form, "LimitedToText")->isEnabled());
}

// Runs `trigger` and, in the file dialog it opens, `choose`; the dialog's title and filters.
QStringList inFileDialog(const std::function<void()>& trigger,
                         const std::function<void(QFileDialog&)>& choose) {
    QStringList seen;
    QElapsedTimer sinceChosen;
    QTimer watcher;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        if (seen.isEmpty()) {
            seen << dialog->windowTitle() << dialog->nameFilters();
            sinceChosen.start();
            choose(*dialog);
        } else if (sinceChosen.elapsed() > 5000) {
            ADD_FAILURE() << "the file dialog did not close";
            dialog->reject();
        }
    });
    watcher.start(10);
    trigger();
    return seen;
}

TEST_F(QuorvelFormTest, FileDialogsChooseAndRememberTheScriptAndDataFiles) {
    const QString one = dataFile(QStringLiteral("one"));
    auto form = openForm();
    const auto accept = [](const QString& path) {
        // Types the path into the file name field and presses Enter, as a user would.
        return [path](QFileDialog& dialog) {
            auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(edit, nullptr);
            edit->setText(path);
            QTest::keyClick(edit, Qt::Key_Return);
        };
    };
    EXPECT_EQ(inFileDialog([&] { control<QPushButton>(*form, "SelectScript")->click(); }, accept(hookLogger)),
              (QStringList{QStringLiteral("Select Script"), QStringLiteral("Script Files (*.so)"),
                           QStringLiteral("Script Files (*.aasf)")}));
    EXPECT_EQ(form->scriptPath(), hookLogger);
    EXPECT_EQ(setting(QStringLiteral("Last Script File")), hookLogger);
    // Add File takes several files at once.
    const QString three = dataFile(QStringLiteral("three"));
    const auto acceptBoth = [&](QFileDialog& dialog) {
        dialog.setDirectory(m_folder.path());
        // The picture shows the size and date columns whole.
        QTest::qWait(300);
        const QString target = QStringLiteral(OSTRAND_SCREENSHOT_DIR "/quorvel-add-file.png");
        EXPECT_TRUE(dialog.grab().save(target)) << target.toStdString();
        accept(QStringLiteral("\"three.vesk\" \"one.vesk\""))(dialog);
    };
    EXPECT_EQ(inFileDialog([&] { control<QPushButton>(*form, "AddFile")->click(); }, acceptBoth),
              (QStringList{QStringLiteral("Select Data File"), QStringLiteral("Data Files (*.vesk)")}));
    EXPECT_EQ(form->files(), (QStringList{three, one}));
    EXPECT_EQ(setting(QStringLiteral("Last Data File")), one);

    // The next dialog starts at the file chosen last; cancelling it adds nothing.
    QStringList initial;
    inFileDialog([&] { control<QPushButton>(*form, "AddFile")->click(); },
                 [&](QFileDialog& dialog) {
                     initial = dialog.selectedFiles();
                     dialog.reject();
                 });
    EXPECT_EQ(initial, QStringList{one});
    EXPECT_EQ(form->files(), (QStringList{three, one}));
}

TEST_F(QuorvelFormTest, CommandLineFillsTheWindowAndRunsUnattended) {
    const QString hookLog = m_folder.filePath(QStringLiteral("hooks.log"));
    const testsupport::EnvironmentOverride hookFile("HOOK_LOGGER_FILE", hookLog.toUtf8());
    const QString one = dataFile(QStringLiteral("one"));
    ASSERT_TRUE(QDir(m_folder.path()).mkpath(QStringLiteral("plate")));
    const QString inFolder = m_folder.filePath(QStringLiteral("plate/three.vesk"));
    ASSERT_TRUE(QFile::copy(dataFile(QStringLiteral("three")), inFolder));
    struct Call {
        QStringList arguments;
        int exitCode;
        QString errorLine; // "" when standard error must not mention the program
        QStringList hooks;
    };
    const Call calls[] = {
        // A relative file name and a folder, both as the full paths the hooks receive.
        {{QStringLiteral("--run"), QStringLiteral("--script"), hookLogger, QStringLiteral("one.vesk"),
          QStringLiteral("plate")},
         0,
         {},
         {QStringLiteral("BatchStart"), QStringLiteral("SampleStart %1 1").arg(one),
          QStringLiteral("SampleEnd %1 1").arg(one), QStringLiteral("SampleStart %1 1").arg(inFolder),
          QStringLiteral("SampleEnd %1 1").arg(inFolder), QStringLiteral("SampleStart %1 2").arg(inFolder),
          QStringLiteral("SampleEnd %1 2").arg(inFolder), QStringLiteral("SampleStart %1 3").arg(inFolder),
          QStringLiteral("SampleEnd %1 3").arg(inFolder), QStringLiteral("BatchEnd")}},
        {{QStringLiteral("--run"), QStringLiteral("gone.vesk")},
         1,
         QStringLiteral("quorvel: The data file 'gone.vesk' does not exist."),
         {}},
        {{QStringLiteral("--run"), QStringLiteral("--script"), QStringLiteral("missing.so")},
         1,
         QStringLiteral("quorvel: The specified script does not exist."),
         {}},
        {{QStringLiteral("--frobnicate")}, 2, QStringLiteral("quorvel: Unknown option 'frobnicate'."), {}},
    };
    for (const Call& call : calls) {
        QFile::remove(hookLog);
        QProcess program;
        program.setWorkingDirectory(m_folder.path());
        program.start(QStringLiteral(QUORVEL_PROGRAM), call.arguments);
        ASSERT_TRUE(program.waitForFinished(30000)) << call.arguments.join(u' ').toStdString();
        const QString errors = QString::fromUtf8(program.readAllStandardError());
        SCOPED_TRACE(call.arguments.join(u' ').toStdString() + "\n" + errors.toStdString());
        EXPECT_EQ(program.exitCode(), call.exitCode);
        if (call.errorLine.isEmpty()) {
            EXPECT_FALSE(errors.contains(QStringLiteral("quorvel:")));
        } else {
            EXPECT_TRUE(errors.split(u'\n').contains(call.errorLine));
        }
        EXPECT_EQ(lines(hookLog), call.hooks);
    }
    // The unattended run saved its list as Run does; the window opens on it next time.
    auto form = openForm();
    EXPECT_EQ(form->files(), (QStringList{one, inFolder}));
}

TEST_F(QuorvelFormTest, ScreenshotAfterARun) {
    const testsupport::EnvironmentOverride hookFile("HOOK_LOGGER_FILE",
                                                    m_folder.filePath(QStringLiteral("hooks.log")).toUtf8());
    auto form = openForm();
    for (const auto& [generated, shown] :
         std::map<QString, QString>{{QStringLiteral("ten"), QStringLiteral("hela-digest-1.vesk")},
                                    {QStringLiteral("three"), QStringLiteral("hela-digest-2.vesk")},
                                    {QStringLiteral("one"), QStringLiteral("bsa-standard.vesk")}}) {
        const QString path = m_folder.filePath(shown);
        ASSERT_TRUE(QFile::copy(acquisitions->filePath(generated + QStringLiteral(".vesk")), path));
        form->AddDataFile(path);
    }
    form->SetScriptPath(hookLogger);
    EXPECT_TRUE(clickRun(*form).empty());
    // What the picture shows: the files by name in the order added, and every sample of them run.
    EXPECT_EQ(listedNames(*form),
              (QStringList{QStringLiteral("bsa-standard.vesk"), QStringLiteral("hela-digest-1.vesk"),
                           QStringLiteral("hela-digest-2.vesk")}));
    EXPECT_EQ(control<QLabel>(*form, "StatusLabel")->text(),
              QStringLiteral("Finished: 14 samples of 3 files processed."));
    control<QListWidget>(*form, "FileList")->item(1)->setSelected(true);
    QTest::qWait(100);
    const QString target = QStringLiteral(OSTRAND_SCREENSHOT_DIR "/quorvel.png");
    EXPECT_TRUE(form->grab().save(target)) << target.toStdString();
}

} // namespace
