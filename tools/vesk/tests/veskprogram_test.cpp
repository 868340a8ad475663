// The vesk program run in the test's process, as a user runs it: generate a run, describe it, and
// the wrong command lines that must not touch anything.
#include "veskcommand.h"

#include "testsupport/capturedoutput.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>

using testsupport::capturedOutput;

namespace {

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Outcome runVeskWith(const QStringList& arguments) {
    Outcome outcome;
    outcome.err = capturedOutput(stderr, [&] {
        outcome.out = capturedOutput(stdout, [&] {
            outcome.exitCode = runVesk(QStringList{QStringLiteral("/usr/bin/vesk")} + arguments);
        });
    });
    return outcome;
}

} // namespace

TEST(VeskProgram, CommandsWriteDescribeAndRefuseWrongCommandLines) {
    QTemporaryDir folder;
    const QString run = folder.filePath(QStringLiteral("run.vesk"));

    const Outcome generated =
        runVeskWith({QStringLiteral("generate"), QStringLiteral("--minutes"), QStringLiteral("1"),
                     QStringLiteral("-o"), run, QStringLiteral("-q")});
    ASSERT_EQ(generated.exitCode, ExitOk) << generated.err.constData();
    EXPECT_TRUE(generated.out.startsWith("Wrote " + QFile::encodeName(run))) << generated.out.constData();
    EXPECT_TRUE(generated.err.isEmpty()) << "quiet means no progress";

    const Outcome info = runVeskWith({QStringLiteral("info"), run});
    EXPECT_EQ(info.exitCode, ExitOk);
    EXPECT_TRUE(info.out.startsWith("File: " + QFile::encodeName(run) + "\nSamples: 1\n"))
        << info.out.constData();

    const Outcome help = runVeskWith({QStringLiteral("info"), QStringLiteral("--help")});
    EXPECT_EQ(help.exitCode, ExitOk);
    EXPECT_TRUE(help.out.startsWith("Usage: vesk info [options] FILE")) << help.out.constData();

    struct Wrong {
        QStringList arguments;
        int exitCode;
        const char* message;
    };
    const Wrong wrong[] = {
        {{QStringLiteral("info"), QStringLiteral("--bogus"), run},
         ExitUsage,
         "vesk info: Unknown option 'bogus'.\n"},
        {{QStringLiteral("info"), folder.filePath(QStringLiteral("missing.vesk"))},
         ExitFailure,
         "vesk info: "},
        {{QStringLiteral("import"), QStringLiteral("-o"), run},
         ExitUsage,
         "vesk import: give at least one input file and the output with -o OUT.vesk\n"},
        {{QStringLiteral("frobnicate")}, ExitUsage, "vesk: unknown command 'frobnicate'\n"},
    };
    for (const Wrong& c : wrong) {
        const Outcome outcome = runVeskWith(c.arguments);
        EXPECT_EQ(outcome.exitCode, c.exitCode) << c.message;
        EXPECT_TRUE(outcome.err.startsWith(c.message)) << outcome.err.constData();
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 3) << "run.vesk, its truth and proteins";
}

// A run killed while it writes leaves its temporary file behind; the next run of the same output
// that succeeds removes it, and the output keeps the permissions its owner gave it.
TEST(VeskProgram, ARunAfterAKilledOneClearsItsTemporaryFileAndKeepsThePermissions) {
    QTemporaryDir folder;
    const QString run = folder.filePath(QStringLiteral("run.vesk"));
    const QStringList generate{QStringLiteral("generate"), QStringLiteral("--minutes"), QStringLiteral("1"),
                               QStringLiteral("-o"), run};
    ASSERT_EQ(runVeskWith(generate).exitCode, 0);
    ASSERT_EQ(::chmod(QFile::encodeName(run).constData(), 0600), 0);
    const auto temporaryFiles = [&] {
        return QDir(folder.path()).entryList({QStringLiteral("*.part")}, QDir::Files);
    };

    QProcess killed;
    killed.start(QStringLiteral(VESK_PROGRAM), {QStringLiteral("generate"), QStringLiteral("--minutes"),
                                                QStringLiteral("120"), QStringLiteral("-o"), run});
    const QDeadlineTimer deadline(60000);
    while (temporaryFiles().isEmpty() && !deadline.hasExpired())
        QThread::msleep(20);
    ::kill(static_cast<pid_t>(killed.processId()), SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(10000));
    ASSERT_FALSE(temporaryFiles().isEmpty()) << "the killed run left no temporary file";

    ASSERT_EQ(runVeskWith(generate).exitCode, 0);
    EXPECT_EQ(temporaryFiles(), QStringList{});
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(run).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}
