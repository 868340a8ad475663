#include "diagnostics/tests/diagnosticlogfixture.h"
#include "script/commonwin32api.h"
#include "script/mbettersendkeys.h"
#include "testsupport/environmentoverride.h"

#include "testsupport/xcbapplicationtest.h"
#include "testsupport/xvfbdisplay.h"
#include "winapi/synthetickeyboard.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

TEST(CommonWin32APIFiles, TemporaryFilesAreNewEmptyFilesInTheTemporaryFolderOrTheOneGiven) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const testsupport::EnvironmentOverride tmpdir("TMPDIR", temp.path().toLocal8Bit());
    const QString first = CommonWin32API::GetUniqueTempFile(CommonWin32API::TempFilePrefix);
    const QString second = CommonWin32API::GetUniqueTempFile(CommonWin32API::TempFilePrefix);
    EXPECT_NE(first, second);
    for (const QString& file : {first, second}) {
        EXPECT_TRUE(file.startsWith(temp.path() + QStringLiteral("/sor"))) << file.toStdString();
        EXPECT_TRUE(QFileInfo(file).isFile());
        EXPECT_EQ(QFileInfo(file).size(), 0);
    }
    QTemporaryDir folder;
    const QString inFolder = CommonWin32API::GetUniqueFileIn(QStringLiteral("query"), folder.path());
    EXPECT_EQ(QFileInfo(inFolder).absolutePath(), QDir(folder.path()).absolutePath());
    EXPECT_TRUE(QFileInfo(inFolder).fileName().startsWith(QStringLiteral("que")));
}

class CommonWin32APIDesktop : public XcbApplicationTest {};

TEST_F(CommonWin32APIDesktop, TheApplicationSeesShiftHeldAndAToggledCapsLockAsNotDown) {
    EXPECT_FALSE(CommonWin32API::IsKeyDown(16));
    MBetterSendKeys::SendKeyEvent(16, 0);
    EXPECT_TRUE(CommonWin32API::IsKeyDown(16));
    EXPECT_FALSE(CommonWin32API::IsKeyDown(17));
    MBetterSendKeys::SendKeyEvent(16, 2);
    EXPECT_FALSE(CommonWin32API::IsKeyDown(16));

    // Caps Lock pressed and released is toggled on, but neither held nor a Shift.
    MBetterSendKeys::SendKeyEvent(0x14, 0);
    MBetterSendKeys::SendKeyEvent(0x14, 2);
    EXPECT_FALSE(CommonWin32API::IsKeyDown(0x14));
    EXPECT_FALSE(CommonWin32API::IsKeyDown(16));
    MBetterSendKeys::SendKeyEvent(0x14, 0);
    MBetterSendKeys::SendKeyEvent(0x14, 2);
}

using diagnosticstest::DiagnosticLog;

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
