#include "automation/automationerror.h"
#include "script/commonwin32api.h"
#include "script/mbettersendkeys.h"
#include "testsupport/environmentoverride.h"

#include "xcbapplicationtest.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

TEST(CommonWin32APIFiles, TwoTemporaryFilesWithOnePrefixAreTwoDifferentEmptyFiles) {
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
}

TEST(CommonWin32APIFiles, AFileInAFolderThatIsMissingRaisesAtOnce) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString made = CommonWin32API::GetUniqueFileIn(QStringLiteral("query"), folder.path());
    EXPECT_EQ(QFileInfo(made).absolutePath(), QDir(folder.path()).absolutePath());
    EXPECT_TRUE(QFileInfo(made).fileName().startsWith(QStringLiteral("que")));
    try {
        CommonWin32API::GetUniqueFileIn(CommonWin32API::TempFilePrefix,
                                        folder.filePath(QStringLiteral("gone")));
        ADD_FAILURE() << "no error raised";
    } catch (const automation::AutomationError& error) {
        EXPECT_EQ(error.number(), automation::SystemError);
        EXPECT_EQ(error.description(),
                  QStringLiteral("Cannot create a temporary file in %1/gone/: No such file or directory")
                      .arg(folder.path()));
    }
}

class CommonWin32APIDesktop : public XcbApplicationTest {};

TEST_F(CommonWin32APIDesktop, TheApplicationSeesShiftHeldAndAToggledCapsLockAsNotDown) {
    EXPECT_FALSE(CommonWin32API::IsKeyDown(16));
    MBetterSendKeys::SendKeyEvent(16, 0);
    EXPECT_TRUE(CommonWin32API::IsKeyDown(16));
    EXPECT_FALSE(CommonWin32API::IsKeyDown(17));
    MBetterSendKeys::SendKeyEvent(17, 0);
    EXPECT_TRUE(CommonWin32API::IsKeyDown(17));
    MBetterSendKeys::SendKeyEvent(17, 2);
    MBetterSendKeys::SendKeyEvent(16, 2);
    EXPECT_FALSE(CommonWin32API::IsKeyDown(16));
    EXPECT_FALSE(CommonWin32API::IsKeyDown(17));

    // Caps Lock pressed and released is toggled on, but neither held nor a Shift.
    MBetterSendKeys::SendKeyEvent(0x14, 0);
    MBetterSendKeys::SendKeyEvent(0x14, 2);
    EXPECT_FALSE(CommonWin32API::IsKeyDown(0x14));
    EXPECT_FALSE(CommonWin32API::IsKeyDown(16));
    MBetterSendKeys::SendKeyEvent(0x14, 0);
    MBetterSendKeys::SendKeyEvent(0x14, 2);
}

TEST_F(CommonWin32APIDesktop, BroughtToTheFrontAWindowBecomesTheActiveOne) {
    QWidget first;
    QWidget second;
    ASSERT_TRUE(showWithKeyboard(first, [](QWidget& widget) { widget.activateWindow(); }));
    ASSERT_TRUE(showWithKeyboard(second, [](QWidget& widget) { widget.activateWindow(); }));
    ASSERT_FALSE(first.isActiveWindow());
    CommonWin32API::BringWindowToFront(static_cast<std::int32_t>(first.winId()));
    EXPECT_TRUE(waitUntil([&] { return first.isActiveWindow(); }));
}
