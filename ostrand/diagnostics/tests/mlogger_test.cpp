#include "diagnosticlogfixture.h"

#include "diagnostics/mlogger.h"
#include "settings/registryfuncs.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using diagnosticstest::DiagnosticLog;

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
