#include "automation/classregistry.h"
#include "automation/dispatch.h"
#include "host/hostapplication.h"
#include "host/hostapplicationface.h"
#include "host/scriptloader.h"
#include "kestrum/scantype.h"
#include "kestrum/veskwriter.h"
#include "messages/messagecapture.h"
#include "messages/messageservice.h"
#include "modaldriver.h"
#include "registry/registrykey.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using automation::Arguments;
using automation::Variant;

namespace {

const QString scriptLibrary = QStringLiteral(OSTRAND_SCRIPT_LIBRARY);

QString writeScriptFile(const QTemporaryDir& dir, const QByteArray& content) {
    const QString path = dir.filePath(QStringLiteral("search.aasf"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
    return path;
}

} // namespace

TEST(ScriptLoader, CreatesProcessClassFromTheLibraryAndCallsItsHooksByName) {
    host::ScriptLoader loader;
    auto script = loader.CreateScriptObject(scriptLibrary, QStringLiteral("ProcessClass"));
    ASSERT_NE(script, nullptr) << loader.lastError().toStdString();
    EXPECT_EQ(script->className(), QStringLiteral("ProcessClass"));

    // Hooks in any order and number; the sample arguments come back unchanged.
    Arguments none;
    script->call(QStringLiteral("BatchEnd"), none);
    script->call(QStringLiteral("batchstart"), none);
    script->call(QStringLiteral("BatchStart"), none);
    Arguments sample{Variant(QString()), Variant(std::int16_t{0})};
    script->call(QStringLiteral("SampleStart"), sample);
    Arguments named{Variant(QStringLiteral("/data/run1.vesk")), Variant(std::int16_t{2})};
    script->call(QStringLiteral("SampleEnd"), named);
    EXPECT_EQ(named[0].toString(), QStringLiteral("/data/run1.vesk"));
    EXPECT_EQ(named[1].toInteger(), 2);
}

TEST(ScriptLoader, ProcessClassPublishesItsHooksInSlotOrder) {
    host::ScriptLoader loader;
    auto script = loader.CreateScriptObject(scriptLibrary, QStringLiteral("ProcessClass"));
    ASSERT_NE(script, nullptr) << loader.lastError().toStdString();
    const QStringList expected{QStringLiteral("BatchStart"), QStringLiteral("BatchEnd"),
                               QStringLiteral("SampleStart"), QStringLiteral("SampleEnd"),
                               QStringLiteral("ProcessActive")};
    ASSERT_EQ(script->members().size(), static_cast<std::size_t>(expected.size()));
    for (qsizetype slot = 0; slot < expected.size(); ++slot) {
        EXPECT_EQ(script->members()[static_cast<std::size_t>(slot)].name, expected[slot]);
        EXPECT_EQ(script->idOfName(expected[slot]), slot + 1);
    }
}

TEST(ScriptLoader, ProcessActiveWithoutAGraphWindowLogsBesideTheLoadedLibraryAndShowsNoDialog) {
    // A copy of the library in a folder of its own, so that its log file is the test's alone.
    QTemporaryDir dir;
    const QString library = dir.filePath(QStringLiteral("libsearch.so"));
    ASSERT_TRUE(QFile::copy(scriptLibrary, library));
    auto key = registry::Key::create(registry::Hive::CurrentUser,
                                     QStringLiteral("SOFTWARE\\Brenlow\\Corvana\\Scripts\\Sorvex"));
    ASSERT_TRUE(key.has_value());
    ASSERT_EQ(key->setValue(QStringLiteral("Debug"), QStringLiteral("1")), registry::NoError);
    modaldriver::ensureApplication();
    host::registerHostClasses();
    host::HostApplication::instance().setActiveGraphWindow(nullptr);

    host::ScriptLoader loader;
    auto script = loader.CreateScriptObject(library, QStringLiteral("ProcessClass"));
    ASSERT_NE(script, nullptr) << loader.lastError().toStdString();
    const messages::MessageCapture shown;
    script->call(QStringLiteral("ProcessActive"));
    script->call(QStringLiteral("ProcessActive"));

    EXPECT_EQ(shown.shown().size(), 2u);
    QFile log(dir.filePath(QStringLiteral("libsearch.debug")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = log.readAll().split('\n');
    const QList<QByteArray> expected{
        "ProcessClass.ProcessActive - start\r", "MainForm.Form_Load - start\r",
        "MainForm.Form_Load - error: A graph window must be active. Open an acquisition first.\r"};
    ASSERT_EQ(lines.size(), 7) << "two runs of three lines each, then the end of the file";
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(lines[i].indexOf('\t'), 14) << "a 14-character timestamp, then a tab";
        EXPECT_TRUE(lines[i].endsWith(expected[i % 3])) << lines[i].toStdString();
    }
}

TEST(ScriptLoader, ScriptFileNamesTheLibraryBesideIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(scriptLibrary, dir.filePath(QStringLiteral("libostrand.so"))));
    const QString script = writeScriptFile(dir, "# search script\n\nLibrary = libostrand.so\n");
    host::ScriptLoader loader;
    auto object = loader.CreateScriptObject(script, QStringLiteral("ProcessClass"));
    EXPECT_NE(object, nullptr) << loader.lastError().toStdString();
}

TEST(ScriptLoader, ReturnsNothingWhenFileEntryPointOrClassIsMissing) {
    QTemporaryDir dir;
    host::ScriptLoader loader;

    EXPECT_EQ(
        loader.CreateScriptObject(dir.filePath(QStringLiteral("absent.so")), QStringLiteral("ProcessClass")),
        nullptr);
    EXPECT_TRUE(loader.lastError().contains(QStringLiteral("does not exist")));

    // A shared library that is not a script library.
    EXPECT_EQ(loader.CreateScriptObject(QStringLiteral(PLATFORM_LIBRARY), QStringLiteral("ProcessClass")),
              nullptr);
    EXPECT_TRUE(loader.lastError().contains(QStringLiteral("no entry point")));

    EXPECT_EQ(loader.CreateScriptObject(scriptLibrary, QStringLiteral("NoSuchClass")), nullptr);
    EXPECT_TRUE(loader.lastError().contains(QStringLiteral("no class NoSuchClass")));

    const QString notALibrary = dir.filePath(QStringLiteral("broken.so"));
    QFile file(notALibrary);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not an ELF file");
    file.close();
    EXPECT_EQ(loader.CreateScriptObject(notALibrary, QStringLiteral("ProcessClass")), nullptr);
    EXPECT_TRUE(loader.lastError().contains(QStringLiteral("cannot load")));

    EXPECT_EQ(
        loader.CreateScriptObject(writeScriptFile(dir, "# nothing here\n"), QStringLiteral("ProcessClass")),
        nullptr);
    EXPECT_TRUE(loader.lastError().contains(QStringLiteral("names no library")));

    EXPECT_EQ(loader.CreateScriptObject(writeScriptFile(dir, "Library=missing.so\n"),
                                        QStringLiteral("ProcessClass")),
              nullptr);
    EXPECT_TRUE(loader.lastError().contains(QStringLiteral("does not exist")));
}

TEST(ScriptLoader, LoadedLibraryShowsItsMessagesInMessageBoxes) {
    modaldriver::ensureApplication();
    host::ScriptLoader loader;
    ASSERT_NE(loader.CreateScriptObject(scriptLibrary, QStringLiteral("ProcessClass")), nullptr)
        << loader.lastError().toStdString();

    QString shown;
    modaldriver::onNextModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_TRUE(box);
        shown = box->windowTitle() + QStringLiteral(": ") + box->text();
        box->accept();
    });
    testing::internal::CaptureStderr();
    messages::show(QStringLiteral("Failed to set key"), QStringLiteral("Sorvex search submission error"));
    EXPECT_EQ(testing::internal::GetCapturedStderr().find("Failed to set key"), std::string::npos)
        << "the message went to standard error, not to a box";
    EXPECT_EQ(shown, QStringLiteral("Sorvex search submission error: Failed to set key"));
}

// An outside client that reaches everything by name: it loads a spectrum through Kestrum's classes,
// created by programmatic id in the host, and hands it to the script library's survey-scan export.
TEST(ScriptLoader, KestrumSpectrumCreatedByNameGoesToTheSurveyExport) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("survey.vesk"));
    {
        kestrum::VeskWriter writer(path);
        const int sample = writer.addSample(QStringLiteral("Digest"));
        writer.addPeriod(sample);
        writer.addExperiment(sample, 0, {kestrum::TOFMS, 0, 0});
        writer.addCycle(sample, 0, 0);
        kestrum::ScanRecord scan;
        scan.sample = sample;
        scan.retentionTimeSeconds = 6;
        scan.centroided = true;
        scan.mz = {150.5, 550.25, 700};
        scan.intensity = {20, 50, 80};
        writer.addScan(scan);
        writer.commit();
    }
    host::ScriptLoader loader;
    ASSERT_NE(loader.CreateScriptObject(scriptLibrary, QStringLiteral("ProcessClass")), nullptr)
        << loader.lastError().toStdString();
    host::registerHostClasses();
    const auto& registry = automation::ClassRegistry::instance();

    const auto spectrum = registry.create(QStringLiteral("Kestrum.FileSpectrum"));
    Arguments file{Variant(path)};
    spectrum->call(QStringLiteral("SetDataFile"), file);
    Arguments range{Variant(std::int32_t{1}), Variant(std::int32_t{0}), Variant(std::int32_t{0}),
                    Variant(5.0f), Variant(7.0f)};
    spectrum->call(QStringLiteral("LoadSpectrum"), range);
    Arguments point{Variant(std::int32_t{2}), Variant(), Variant()};
    spectrum->call(QStringLiteral("PointAt"), point);
    EXPECT_EQ(point[1].toDouble(), 550.25);
    EXPECT_EQ(point[2].toDouble(), 50);

    const auto exporter = registry.create(QStringLiteral("SorvexForBrenlow.MExportMSToSorvex"));
    Arguments arguments{Variant(spectrum),
                        Variant(registry.create(QStringLiteral("SorvexForBrenlow.ProcessingParameters")))};
    exporter->call(QStringLiteral("DoExportSpectrum"), arguments);
    EXPECT_EQ(exporter->call(QStringLiteral("GetResultString")).toString(),
              QStringLiteral("150.5 20\r\n550.25 50\r\n700 80\r\n"));
}
