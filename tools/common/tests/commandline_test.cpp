#include "common/commandline.h"
#include "common/exitcodes.h"
#include "common/interruptwatch.h"
#include "common/terminalprogress.h"

#include "errors/numberederror.h"
#include "testsupport/capturedoutput.h"

#include <QCommandLineParser>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <stdexcept>

using testsupport::capturedOutput;

// Every way a command can end, with its exit code and the one message it leaves on stderr.
TEST(CommandLine, EveryOutcomeEndsWithItsExitCodeAndMessage) {
    struct Case {
        const char* name;
        std::function<int()> work;
        int exitCode;
        QByteArray message;
    };
    const Case cases[] = {
        {"done", [] { return static_cast<int>(ExitNothingFound); }, ExitNothingFound, ""},
        {"wrong command line",
         []() -> int { throw commandline::UsageError(QStringLiteral("--sample needs a number")); }, ExitUsage,
         "tool: --sample needs a number\nRun 'tool --help' for the options.\n"},
        {"failed",
         []() -> int { throw errors::NumberedError::system(QStringLiteral("'a.vesk' is not a Vesk file.")); },
         ExitFailure, "tool: 'a.vesk' is not a Vesk file. No file was written.\n"},
        {"failed outside the system", []() -> int { throw std::runtime_error("out of memory"); }, ExitFailure,
         "tool: out of memory; no file was written\n"},
        {"interrupted", []() -> int { throw commandline::Interrupted{}; }, ExitCancelled,
         "tool: interrupted; out.vesk was not written\n"},
    };
    const commandline::FailureNotes notes{QStringLiteral("; no file was written"),
                                          QStringLiteral("; out.vesk was not written")};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int exitCode = -1;
        const QByteArray message = capturedOutput(
            stderr, [&] { exitCode = commandline::run(QStringLiteral("tool"), c.work, notes); });
        EXPECT_EQ(exitCode, c.exitCode);
        EXPECT_EQ(message, c.message);
    }
}

TEST(CommandLine, ParsingShowsHelpUnderTheProgramsNameAndRejectsUnknownOptions) {
    const QStringList program{QStringLiteral("/opt/build/bin/tool")};
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addOption(
        QCommandLineOption(QStringLiteral("sample"), QStringLiteral("The sample."), QStringLiteral("N")));

    bool goesOn = true;
    const QByteArray help = capturedOutput(stdout, [&] {
        goesOn = commandline::parseArguments(parser, QStringLiteral("tool info"),
                                             program + QStringList{QStringLiteral("--help")});
    });
    EXPECT_FALSE(goesOn);
    EXPECT_TRUE(help.startsWith("Usage: tool info [options]")) << help.constData();

    EXPECT_TRUE(
        commandline::parseArguments(parser, QStringLiteral("tool"),
                                    program + QStringList{QStringLiteral("--sample"), QStringLiteral("2")}));
    try {
        commandline::parseArguments(parser, QStringLiteral("tool"),
                                    program + QStringList{QStringLiteral("--cycle")});
        ADD_FAILURE() << "an unknown option was accepted";
    } catch (const commandline::UsageError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Unknown option 'cycle'."));
    }
}

// Tests run with stderr in a file, as in a log: one line per tenth, or nothing when asked.
TEST(CommandLine, CtrlCIsRecordedAsACancelAndProgressInALogKeepsToTenths) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        const InterruptWatch watch;
        EXPECT_FALSE(InterruptWatch::requested());
        std::raise(signal);
        EXPECT_TRUE(InterruptWatch::requested()) << "the interrupt only asks the work to stop";
    }
    const QByteArray log = capturedOutput(stderr, [] {
        TerminalProgress progress(TerminalProgress::WhenNotATerminal::LogTenths);
        for (int done = 0; done <= 40; ++done)
            progress.update(QStringLiteral("Importing a.mzML"), done, 40);
        progress.update(QStringLiteral("Importing b.mzML"), 0, 0);
    });
    EXPECT_EQ(log, QByteArray("Importing a.mzML: 0%\nImporting a.mzML: 10%\nImporting a.mzML: 20%\n"
                              "Importing a.mzML: 30%\nImporting a.mzML: 40%\nImporting a.mzML: 50%\n"
                              "Importing a.mzML: 60%\nImporting a.mzML: 70%\nImporting a.mzML: 80%\n"
                              "Importing a.mzML: 90%\nImporting a.mzML: 100%\nImporting b.mzML: 100%\n"));
    const QByteArray silent = capturedOutput(stderr, [] {
        TerminalProgress progress(TerminalProgress::WhenNotATerminal::ShowNothing);
        progress.update(QStringLiteral("Sample 1"), 5, 10);
    });
    EXPECT_TRUE(silent.isEmpty());
}

// Work that cannot stop half-way ends at once on an interrupt, during it or from before it; any
// work ends at once on a second interrupt (a wait that never reaches its next step). None leaves
// its half-written file.
TEST(CommandLineDeathTest, InterruptsThatCannotWaitEndTheWorkAndRemoveItsFile) {
    enum class When { DuringWorkThatCannotStop, BeforeWorkThatCannotStop, SecondInterrupt };
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("out.txt.part"));
    for (const When when :
         {When::DuringWorkThatCannotStop, When::BeforeWorkThatCannotStop, When::SecondInterrupt}) {
        QFile(file).open(QIODevice::WriteOnly);
        EXPECT_EXIT(
            {
                const InterruptWatch watch;
                const InterruptWatch::HalfWrittenFile halfWritten(file,
                                                                  QStringLiteral("tool: interrupted\n"));
                if (when != When::DuringWorkThatCannotStop)
                    std::raise(SIGINT);
                if (when == When::SecondInterrupt) {
                    std::raise(SIGTERM);
                    std::abort(); // not reached
                }
                const InterruptWatch::StopAtOnce stop;
                std::raise(SIGHUP);
                std::abort(); // not reached
            },
            ::testing::ExitedWithCode(ExitCancelled), "tool: interrupted");
        EXPECT_FALSE(QFile::exists(file));
    }
}
