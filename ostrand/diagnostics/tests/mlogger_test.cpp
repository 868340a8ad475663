#include "diagnostics/mlogger.h"
#include "script/commonwin32api.h"
#include "settings/registryfuncs.h"

#include "registry/registrykey.h"
#include "testsupport/privatesettingsfolder.h"
#include "testsupport/xvfbdisplay.h"
#include "winapi/synthetickeyboard.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// 3 April, 09:05:07 local time.
QDateTime fixedTime() {
    return QDateTime(QDate(2026, 4, 3), QTime(9, 5, 7));
}

// Each test loads the library afresh from a folder of its own, with empty settings.
class DiagnosticLog : public ::testing::Test {
protected:
    void SetUp() override {
        MLogger::Testing::SetClock(fixedTime);
        MLogger::Testing::Reload(libraryPath);
    }
    void TearDown() override {
        RegistryFuncs::SetUseParamStore(false);
        RegistryFuncs::ParamStore().clear();
        MLogger::Testing::SetClock({});
        MLogger::SetDebugKeysCheck({});
        MLogger::Testing::Reload();
    }

    static void setDebug(const QString& text) {
        RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QStringLiteral("Debug"), text);
    }
    static std::optional<QString> storedDebug() {
        const auto key = registry::Key::open(registry::Hive::CurrentUser, RegistryFuncs::SettingsKey);
        return key ? key->value(QStringLiteral("Debug")) : std::nullopt;
    }
    QByteArray logText() const {
        QFile file(logPath);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    testsupport::PrivateSettingsFolder settingsFolder;
    QTemporaryDir libraryFolder;
    const QString libraryPath = libraryFolder.filePath(QStringLiteral("libscript.so"));
    const QString logPath = libraryFolder.filePath(QStringLiteral("libscript.debug"));
};

} // namespace

TEST_F(DiagnosticLog, FirstUseCreatesTheSwitchAsZeroAndRemovesTheLastLoadsLog) {
    QFile stale(logPath);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("from the last load\r\n");
    stale.close();

    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - start"));
    EXPECT_EQ(storedDebug(), QStringLiteral("0"));
    EXPECT_FALSE(QFile::exists(logPath));
    EXPECT_FALSE(MLogger::IsLogEnabled());
    EXPECT_EQ(MLogger::Testing::LogFilePath(), logPath);
}

TEST_F(DiagnosticLog, SwitchedOnEachLineIsStampedAndEndsInCarriageReturnLineFeed) {
    setDebug(QStringLiteral("1"));
    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - start"));
    MLogger::LogMessage(QStringLiteral("\tMSMSThreshold = 2.5"));
    MLogger::LogMessage(QStringLiteral("two\nlines"));
    EXPECT_EQ(logText(), QByteArray("04.03.09.05.07\tProcessClass.ProcessActive - start\r\n"
                                    "04.03.09.05.07\t\tMSMSThreshold = 2.5\r\n"
                                    "04.03.09.05.07\ttwo\nlines\r\n"));
    EXPECT_EQ(storedDebug(), QStringLiteral("1"));
}

TEST_F(DiagnosticLog, AnySwitchTextButExactlyZeroTurnsLoggingOn) {
    for (const QString& text : {QStringLiteral("1"), QString(), QStringLiteral(" 0"), QStringLiteral("00"),
                                QStringLiteral("off")}) {
        setDebug(text);
        MLogger::Testing::Reload(libraryPath);
        EXPECT_TRUE(MLogger::IsLogEnabled()) << '"' << text.toStdString() << '"';
        EXPECT_EQ(storedDebug(), text) << "the value is written back unchanged";
    }
    setDebug(QStringLiteral("0"));
    MLogger::Testing::Reload(libraryPath);
    EXPECT_FALSE(MLogger::IsLogEnabled());
}

TEST_F(DiagnosticLog, TheChoiceHoldsUntilTheNextLoadAndRunsOfOneLoadShareTheFile) {
    setDebug(QStringLiteral("1"));
    MLogger::LogMessage(QStringLiteral("first run"));
    setDebug(QStringLiteral("0"));
    MLogger::LogMessage(QStringLiteral("second run"));
    EXPECT_EQ(logText(), QByteArray("04.03.09.05.07\tfirst run\r\n04.03.09.05.07\tsecond run\r\n"));

    MLogger::Testing::Reload(libraryPath);
    MLogger::LogMessage(QStringLiteral("after reload"));
    EXPECT_FALSE(QFile::exists(logPath));
}

TEST_F(DiagnosticLog, TheLogLiesBesideTheFileTheLibraryWasLoadedFrom) {
    MLogger::Testing::Reload();
    // This test program links the library in, so the log lies beside the program.
    const QFileInfo program(QFile::symLinkTarget(QStringLiteral("/proc/self/exe")));
    EXPECT_EQ(MLogger::Testing::LogFilePath(),
              program.absolutePath() + u'/' + program.completeBaseName() + QStringLiteral(".debug"));
}

TEST_F(DiagnosticLog, HoldingShiftAndControlAtTheFirstCallSwitchesLoggingOnForTheLoad) {
    if (QCoreApplication::instance())
        GTEST_SKIP() << "an application object answers for the keys in this process";
    const testsupport::XvfbDisplay xvfb;
    if (!xvfb.isRunning())
        GTEST_SKIP() << xvfb.whyNot().toStdString();
    winapi::SyntheticKeyboard keyboard;
    // The script library hands the log its check of the keys when it is loaded.
    CommonWin32API::InstallDebugKeysCheck();

    keyboard.sendKeyEvent(16, 0);
    EXPECT_FALSE(MLogger::IsLogEnabled()) << "Shift alone is not enough";

    MLogger::Testing::Reload(libraryPath);
    keyboard.sendKeyEvent(17, 0);
    EXPECT_TRUE(MLogger::IsLogEnabled());
    keyboard.sendKeyEvent(17, winapi::SyntheticKeyboard::KeyUp);
    keyboard.sendKeyEvent(16, winapi::SyntheticKeyboard::KeyUp);
    MLogger::LogMessage(QStringLiteral("keys released"));
    EXPECT_EQ(logText(), QByteArray("04.03.09.05.07\tkeys released\r\n"));
    EXPECT_EQ(storedDebug(), QStringLiteral("0"));
}
