#include "exportprogram.h"

#include "common/exitcodes.h"

#include "kestrum/veskwriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRegularExpression>
#include <QThread>

#include <csignal>
#include <pty.h>
#include <sys/stat.h>
#include <unistd.h>

using exportprogram::GeneratedRunTest;
using exportprogram::runProgram;

namespace {

QString readText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

// Queries in a query file: consecutive blocks of one title are the charges of one query.
int queryCount(const QString& text) {
    static const QRegularExpression titleLine(QStringLiteral("^TITLE=(.*)\r$"),
                                              QRegularExpression::MultilineOption);
    int count = 0;
    QString previous;
    for (auto it = titleLine.globalMatch(text); it.hasNext();) {
        const QString title = it.next().captured(1);
        count += title != previous;
        previous = title;
    }
    return count;
}

// Every cycle number named in the titles of a query file.
std::vector<int> titleCycles(const QString& text) {
    static const QRegularExpression list(QStringLiteral("Cycle\\(s\\): ([0-9, -]+) \\(Experiment"));
    std::vector<int> cycles;
    for (auto it = list.globalMatch(text); it.hasNext();)
        for (const QString& number :
             it.next().captured(1).split(QRegularExpression(QStringLiteral("[, -]+"))))
            cycles.push_back(number.toInt());
    return cycles;
}

using OstrandExport = GeneratedRunTest;

TEST_F(OstrandExport, WritesHeaderLinesAndOneBlockPerQuery) {
    const QString output = outputPath(QStringLiteral("all.sxq"));
    const auto run = runProgram({dataPath(), QStringLiteral("-o"), output});
    ASSERT_EQ(run.exitCode, ExitOk) << run.err.toStdString();
    const QString text = readText(output);
    EXPECT_TRUE(text.startsWith(QStringLiteral("SEARCH=MIS\r\nREPTYPE=Peptide\r\nBEGIN IONS\r\n")));
    const int queries = queryCount(text);
    EXPECT_GT(queries, 10);
    EXPECT_EQ(run.out, QStringLiteral("%1 spectra written to %2\n").arg(queries).arg(output));
    // Without -o the query file goes beside the acquisition; no partial file is left anywhere.
    ASSERT_EQ(runProgram({dataPath()}).exitCode, ExitOk);
    EXPECT_EQ(readText(outputPath(QStringLiteral("run.sxq"))), text);
    EXPECT_TRUE(QDir(folder->path()).entryList({QStringLiteral("*.part")}).isEmpty());
}

TEST_F(OstrandExport, CyclesAndParametersNarrowTheExport) {
    const QString output = outputPath(QStringLiteral("cycles.sxq"));
    const auto run = runProgram({dataPath(), QStringLiteral("--cycles"), QStringLiteral("5-20"),
                                 QStringLiteral("-o"), output, QStringLiteral("--keys"),
                                 QStringLiteral("MSMSAveMaxCycBetween,MSMSAveNeedXPeaks"),
                                 QStringLiteral("--values"), QStringLiteral("0,3")});
    ASSERT_EQ(run.exitCode, ExitOk) << run.err.toStdString();
    const auto cycles = titleCycles(readText(output));
    ASSERT_FALSE(cycles.empty());
    // Titles count cycles from 1, the command line from 0.
    EXPECT_GE(*std::min_element(cycles.begin(), cycles.end()), 6);
    EXPECT_LE(*std::max_element(cycles.begin(), cycles.end()), 21);
}

// Nothing to search writes nothing: a good query file from before is kept, and an acquisition
// without a single spectrum (as imported from an mzML without spectra) is one more such case.
TEST_F(OstrandExport, NothingToSearchKeepsTheEarlierQueryFile) {
    const QString output = outputPath(QStringLiteral("kept.sxq"));
    ASSERT_EQ(runProgram({dataPath(), QStringLiteral("-o"), output}).exitCode, ExitOk);
    const QString good = readText(output);
    const QString empty = outputPath(QStringLiteral("empty.vesk"));
    {
        kestrum::VeskWriter writer(empty);
        writer.addPeriod(writer.addSample(QStringLiteral("no spectra")));
        writer.commit();
    }
    struct Case {
        QStringList arguments;
        bool existed;
    };
    const Case cases[] = {
        // Parameters that no spectrum can meet.
        {{dataPath(), QStringLiteral("--cycles"), QStringLiteral("3"), QStringLiteral("--keys"),
          QStringLiteral("MSMSThresholdInPercent,MSMSThreshold"), QStringLiteral("--values"),
          QStringLiteral("0,1E+15")},
         true},
        {{empty}, true},
        {{empty, QStringLiteral("-o"), outputPath(QStringLiteral("never.sxq"))}, false},
    };
    for (const Case& c : cases) {
        const QStringList arguments =
            c.existed ? c.arguments + QStringList{QStringLiteral("-o"), output} : c.arguments;
        const auto none = runProgram(arguments);
        EXPECT_EQ(none.exitCode, ExitNothingFound) << none.err.toStdString();
        EXPECT_TRUE(none.err.contains(QStringLiteral("Sorry, there were no valid MS/MS spectra in this data. "
                                                     "Nothing to search, so nothing was written")))
            << none.err.toStdString();
        EXPECT_EQ(none.err.contains(QStringLiteral("is left as it was")), c.existed);
    }
    EXPECT_EQ(readText(output), good);
    EXPECT_FALSE(QFile::exists(outputPath(QStringLiteral("never.sxq"))));
    EXPECT_FALSE(QFile::exists(outputPath(QStringLiteral("empty.sxq"))));
}

// Stored settings are only read: a hand-edited file (comments, lines the program does not know,
// bytes that are not UTF-8) keeps every byte and its inode through exports and --print-params.
// Settings that cannot be read fail the export by name, at once even when the file is a named
// pipe; a setting that cannot be stored is a warning that names the folder.
TEST_F(OstrandExport, StoredSettingsAreReadWithoutBeingRewritten) {
    QTemporaryDir settings;
    const QString store = settings.filePath(QStringLiteral("current-user.ini"));
    const QByteArray handEdited = "; kept by hand\r\n"
                                  "[SOFTWARE\\Brenlow\\Corvana\\Scripts\\Sorvex]\r\n"
                                  "Debug=0\r\n"
                                  "Note=caf\xe9 in Latin-1\r\n"
                                  "not a value\r\n"
                                  "MSMSAveNeedXPeaks=3\r\n"
                                  "# the end";
    const auto inodeOf = [](const QString& path) {
        struct stat status {};
        return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
    };
    const auto writeStore = [&store](const QByteArray& bytes) {
        QFile::remove(store);
        QFile file(store);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTRAND_SETTINGS_DIR"), settings.path());
    const QString output = outputPath(QStringLiteral("settings.sxq"));

    writeStore(handEdited);
    const auto inode = inodeOf(store);
    const auto exported = runProgram({dataPath(), QStringLiteral("-o"), output}, environment);
    EXPECT_EQ(exported.exitCode, ExitOk) << exported.err.toStdString();
    EXPECT_TRUE(exported.err.isEmpty()) << exported.err.toStdString();
    EXPECT_EQ(runProgram({QStringLiteral("--print-params")}, environment).exitCode, ExitOk);
    QFile reread(store);
    ASSERT_TRUE(reread.open(QIODevice::ReadOnly));
    EXPECT_EQ(reread.readAll(), handEdited);
    EXPECT_EQ(inodeOf(store), inode);

    writeStore(QByteArray(handEdited).replace("NeedXPeaks=3", "NeedXPeaks=many"));
    const auto unreadable = runProgram({dataPath(), QStringLiteral("-o"), output}, environment);
    EXPECT_EQ(unreadable.exitCode, ExitFailure);
    EXPECT_TRUE(unreadable.err.contains(
        QStringLiteral("The setting MSMSAveNeedXPeaks holds 'many', which is not a whole number")))
        << unreadable.err.toStdString();

    for (const bool pipe : {true, false}) {
        QFile::remove(store);
        ASSERT_TRUE(pipe ? ::mkfifo(QFile::encodeName(store).constData(), 0600) == 0 : QDir().mkdir(store));
        const auto refused = runProgram({dataPath(), QStringLiteral("-o"), output}, environment);
        EXPECT_EQ(refused.exitCode, ExitFailure);
        EXPECT_TRUE(refused.err.contains(
            QStringLiteral("Cannot read the settings file %1: it is %2, not a regular file")
                .arg(store, pipe ? QStringLiteral("a named pipe") : QStringLiteral("a folder"))))
            << refused.err.toStdString();
        QDir().rmdir(store);
    }

    // A settings folder that cannot be created, even by root: under a file.
    writeStore(handEdited);
    environment.insert(QStringLiteral("OSTRAND_SETTINGS_DIR"), store + QStringLiteral("/settings"));
    const auto unwritable = runProgram({dataPath(), QStringLiteral("-o"), output}, environment);
    EXPECT_EQ(unwritable.exitCode, ExitOk);
    EXPECT_TRUE(unwritable.err.contains(
        QStringLiteral("warning: Sorvex search submission error: Failed to create key - "
                       "error = 5 Cannot create the settings folder %1/settings")
            .arg(store)))
        << unwritable.err.toStdString();
}

TEST_F(OstrandExport, PrintParamsShowsTheNormalisedListsOfTheBatchSearchClient) {
    const QString keys = QStringLiteral(
        "strDefaultChargeState1,strDefaultChargeState2,strDefaultChargeState3,strDefaultChargeState4,"
        "strDefaultChargeState5,strDiscardHighChargeStates,DDEAutoDetermineCharge,MSMSAveNeedXPeaks,"
        "MSMSAvePrecursorTol,MSMSAveMaxCycBetween,MSMSAveMinCyclesPerGroup,RemoveNearParent,SorvexURLOption,"
        "MSMSThreshold,MSMSThresholdInPercent,MSMSCentroidEnable,MSMSDeisotope,MSMSReportPeakArea,iTraq,"
        "UseOldQueryTitles\n");
    struct Case {
        QStringList lists;
        int exitCode;
        QString out;
        const char* err;
    };
    const auto lists = [](const char* names, const char* texts) {
        return QStringList{QStringLiteral("--keys"), QString::fromLatin1(names), QStringLiteral("--values"),
                           QString::fromLatin1(texts)};
    };
    const Case cases[] = {
        {{}, ExitOk, keys + QStringLiteral("1,1,1,0,0,1,1,10,1,10,1,0,2,0,1,1,1,1,1,0\n"), ""},
        {lists("MSMSAveNeedXPeaks,iTraq,MSMSThreshold", "20,0,12.5"), ExitOk,
         keys + QStringLiteral("1,1,1,0,0,1,1,20,1,10,1,0,2,12.5,1,1,1,1,0,0\n"), ""},
        {lists("MSMSThresholdInPercent,MSMSThreshold", "0,1500"), ExitOk,
         keys + QStringLiteral("1,1,1,0,0,1,1,10,1,10,1,0,2,1.5e+3,0,1,1,1,1,0\n"), ""},
        {lists("MSMSAveNeedXPeaks", "20"), ExitOk,
         keys + QStringLiteral("1,1,1,0,0,1,1,10,1,10,1,0,2,0,1,1,1,1,1,0\n"),
         "a single name and value are not taken"},
        {lists("MSMSAveNeedXPeaks,", "20,"), ExitOk,
         keys + QStringLiteral("1,1,1,0,0,1,1,20,1,10,1,0,2,0,1,1,1,1,1,0\n"), ""},
        {lists("MSMSAveNeedXPeaks,iTraq", "500,0"),
         ExitUsage,
         {},
         "MSMSAveNeedXPeaks takes a whole number from 1 to 100, not '500'"},
        {lists("a,b,c", "1,2"), ExitUsage, {}, "--keys names 3 parameters but --values gives 2 values"},
        {{dataPath()}, ExitUsage, {}, "export nothing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lists.join(u' ').toStdString());
        const auto run = runProgram(QStringList{QStringLiteral("--print-params")} + c.lists);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_EQ(run.out, c.out);
        EXPECT_TRUE(run.err.contains(QLatin1String(c.err))) << run.err.toStdString();
    }

    // Without a display the dialog cannot be shown, and the program says so.
    QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        noDisplay.remove(QString::fromLatin1(name));
    const auto edit = runProgram({QStringLiteral("--edit-params")}, noDisplay);
    EXPECT_EQ(edit.exitCode, ExitUsage);
    EXPECT_TRUE(edit.err.contains(QStringLiteral("needs a display"))) << edit.err.toStdString();
}

// The batch search client's lists need neither the script library nor a window system: the dynamic
// loader, asked to list every library it maps, names neither while the program prints the lists or
// exports with them.
TEST_F(OstrandExport, ParameterListsLoadNoScriptLibraryNorWindowSystem) {
    struct Case {
        QStringList arguments;
        QString out;
    };
    const QStringList lists = {QStringLiteral("--keys"), QStringLiteral("MSMSAveNeedXPeaks,"),
                               QStringLiteral("--values"), QStringLiteral("20,")};
    const Case cases[] = {
        {QStringList{QStringLiteral("--print-params")} + lists, QStringLiteral("\n1,1,1,0,0,1,1,20,")},
        {QStringList{dataPath(), QStringLiteral("-o"), outputPath(QStringLiteral("lists.sxq"))} + lists,
         QStringLiteral(" spectra written to ")},
    };
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const auto run = runProgram(c.arguments, environment);
        EXPECT_EQ(run.exitCode, ExitOk);
        EXPECT_TRUE(run.out.contains(c.out)) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains(QStringLiteral("file=libQt6Core.so")))
            << "the loader lists what it maps";
        for (const char* library : {"libostrand.so", "libQt6Widgets.so", "libQt6Gui.so"})
            EXPECT_FALSE(run.err.contains(QLatin1String(library))) << library;
    }
}

TEST_F(OstrandExport, SurveyExportWritesAFingerprintOfOneExperiment) {
    const QString output = outputPath(QStringLiteral("pmf.txt"));
    const auto whole = runProgram({dataPath(), QStringLiteral("--survey"), QStringLiteral("-o"), output});
    EXPECT_EQ(whole.exitCode, ExitFailure);
    EXPECT_TRUE(whole.err.contains(
        QStringLiteral("Cannot process multi-experiment samples. No query file was written.")));
    EXPECT_FALSE(QFile::exists(output));

    const auto survey = runProgram({dataPath(), QStringLiteral("--survey"), QStringLiteral("--experiment"),
                                    QStringLiteral("0"), QStringLiteral("-o"), output});
    ASSERT_EQ(survey.exitCode, ExitOk) << survey.err.toStdString();
    const QStringList lines = readText(output).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_GT(lines.size(), 2);
    EXPECT_EQ(lines.mid(0, 2),
              (QStringList{QStringLiteral("SEARCH=PMF"), QStringLiteral("REPTYPE=Protein")}));
    EXPECT_EQ(survey.out, QStringLiteral("%1 peaks written to %2\n").arg(lines.size() - 2).arg(output));
    static const QRegularExpression peakLine(QStringLiteral("^\\d+(\\.\\d{1,4})? \\d+(\\.\\d{1,4})?$"));
    for (const QString& line : lines.mid(2))
        EXPECT_TRUE(peakLine.match(line).hasMatch()) << line.toStdString();
}

TEST_F(OstrandExport, WrongCommandLinesAndInputsAreRefusedClearly) {
    struct Case {
        QStringList arguments;
        int exitCode;
        const char* message;
    };
    const QString missing = outputPath(QStringLiteral("missing.vesk"));
    // A link to the acquisition's folder, and a pipe where the query file would go.
    const QString link = outputPath(QStringLiteral("link"));
    QFile::link(folder->path(), link);
    const QString pipe = outputPath(QStringLiteral("pipe.sxq"));
    ::mkfifo(QFile::encodeName(pipe).constData(), 0600);
    const auto parameters = [this](const char* names, const char* values) {
        return QStringList{dataPath(), QStringLiteral("--keys"), QLatin1String(names),
                           QStringLiteral("--values"), QLatin1String(values)};
    };
    const Case cases[] = {
        {{dataPath(), QStringLiteral("--cycles"), QStringLiteral("2147483647")},
         ExitUsage,
         "--cycles 2147483647 is outside the run: sample 1 has cycles 0 to 69"},
        {{dataPath(), QStringLiteral("--cycles"), QStringLiteral("60-70")},
         ExitUsage,
         "--cycles 60-70 is outside the run: sample 1 has cycles 0 to 69"},
        {parameters("NoSuchKey", "5"), ExitUsage, "there is no processing parameter named 'NoSuchKey'"},
        {parameters("MSMSAveNeedXPeaks,MSMSCentroidHtPerc", "8,500"), ExitUsage,
         "MSMSCentroidHtPerc takes a number from 0 to 100, not '500'"},
        {parameters("MSMSAvePrecursorTol", "-0.5"), ExitUsage,
         "MSMSAvePrecursorTol takes a number from 0 to 10"},
        {parameters("MSMSAveNeedXPeaks", "many"), ExitUsage,
         "MSMSAveNeedXPeaks takes a whole number from 1 to 100"},
        {parameters("iTraq", "maybe"), ExitUsage, "iTraq is on or off"},
        // Values allowed on their own that the options window would refuse together.
        {parameters("MSMSThreshold,", "96,"), ExitUsage,
         "MSMSThreshold is a percentage of the highest peak while MSMSThresholdInPercent is on, so it takes "
         "a "
         "number from 0 to 95, not '96'"},
        {parameters("SorvexURLOption,", "1,"), ExitUsage,
         "SorvexURLOption 1 chooses the local Sorvex intranet site, whose address must be given as "
         "SorvexURL"},
        {{dataPath(), QStringLiteral("-o"), link + QStringLiteral("/run.vesk")},
         ExitUsage,
         "the query file would replace the acquisition"},
        {{dataPath(), QStringLiteral("-o"), pipe}, ExitFailure, "it is a named pipe, not a regular file"},
        {{}, ExitUsage, "name the acquisition"},
        {{dataPath(), QStringLiteral("--cycles"), QStringLiteral("9-3")}, ExitUsage, "ends before it starts"},
        {{dataPath(), QStringLiteral("--cycles"), QStringLiteral("x")}, ExitUsage, "--cycles needs"},
        {{dataPath(), QStringLiteral("--sample"), QStringLiteral("0")}, ExitUsage, "--sample needs"},
        {{dataPath(), QStringLiteral("--keys"), QStringLiteral("a,b"), QStringLiteral("--values"),
          QStringLiteral("1")},
         ExitUsage,
         "names 2 parameters but --values gives 1"},
        {{dataPath(), QStringLiteral("--keys"), QStringLiteral("a")}, ExitUsage, "go together"},
        {{dataPath(), QStringLiteral("--survey"), QStringLiteral("--sample"), QStringLiteral("all")},
         ExitUsage,
         "one sample"},
        {{dataPath(), QStringLiteral("--period"), QStringLiteral("1")}, ExitUsage, "go with --survey"},
        {{dataPath(), QStringLiteral("--survey"), QStringLiteral("--period"), QStringLiteral("65536")},
         ExitUsage,
         "--period needs a whole number from 0 to 32767"},
        {{dataPath(), QStringLiteral("--sample"), QStringLiteral("2")},
         ExitFailure,
         "query file was written"},
        {{missing}, ExitFailure, "missing.vesk"},
    };
    for (const Case& c : cases) {
        const auto run = runProgram(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments.join(u' ').toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String(c.message))) << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_FALSE(run.err.contains(QStringLiteral(".;"))) << run.err.toStdString();
    }
    EXPECT_TRUE(QFileInfo(link + QStringLiteral("/run.vesk")).isFile());
    struct stat status {};
    EXPECT_TRUE(::lstat(QFile::encodeName(pipe).constData(), &status) == 0 && S_ISFIFO(status.st_mode));
    EXPECT_FALSE(QFile::exists(outputPath(QStringLiteral("missing.sxq"))));
}

// The program with its stderr on a terminal of its own, whose other end the test reads.
class TerminalRun {
public:
    explicit TerminalRun(const QStringList& arguments) {
        EXPECT_EQ(::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr), 0);
        const int slave = m_slave;
        m_process.setChildProcessModifier([slave] { ::dup2(slave, STDERR_FILENO); });
        m_process.start(QStringLiteral(OSTRAND_EXPORT_PROGRAM), arguments);
        EXPECT_TRUE(m_process.waitForStarted());
        ::close(m_slave);
    }
    ~TerminalRun() { ::close(m_master); }
    TerminalRun(const TerminalRun&) = delete;
    TerminalRun& operator=(const TerminalRun&) = delete;

    // Reads the terminal until `text` shows or the program closes it.
    QString readUntil(const QString& text) {
        char buffer[4096];
        while (!m_screen.contains(text)) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n <= 0)
                break;
            m_screen += QString::fromLocal8Bit(buffer, static_cast<qsizetype>(n));
        }
        return m_screen;
    }
    QProcess& process() { return m_process; }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_screen;
    QProcess m_process;
};

TEST_F(OstrandExport, TerminalShowsProgressAndInterruptCancelsWithoutAFile) {
    const QString output = outputPath(QStringLiteral("terminal.sxq"));
    {
        TerminalRun run({dataPath(), QStringLiteral("-o"), output});
        EXPECT_TRUE(run.readUntil(QStringLiteral("100%")).contains(QStringLiteral("] 100%")));
        ASSERT_TRUE(run.process().waitForFinished(60000));
        EXPECT_EQ(run.process().exitCode(), ExitOk);
    }
    ASSERT_TRUE(QFile::remove(output));

    // The bar appears as the first sample starts, before its first cycle: Ctrl+C, or the terminal
    // going away, then cancels.
    for (const int signal : {SIGINT, SIGHUP}) {
        TerminalRun run({dataPath(), QStringLiteral("-o"), output});
        run.readUntil(QStringLiteral("]"));
        ::kill(static_cast<pid_t>(run.process().processId()), signal);
        ASSERT_TRUE(run.process().waitForFinished(60000));
        EXPECT_EQ(run.process().exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(run.process().exitCode(), ExitCancelled);
        EXPECT_TRUE(run.readUntil(QStringLiteral("was not written")).contains(QStringLiteral("interrupted")));
        EXPECT_FALSE(QFile::exists(output));
        EXPECT_TRUE(QDir(folder->path()).entryList({QStringLiteral("*.part")}).isEmpty());
    }
}

// A second Ctrl+C ends at once even a wait that has no next step at which the export could stop:
// here for the stored settings, which another program holds locked while the export would store
// the diagnostic log's switch. Nothing half-written is left.
TEST_F(OstrandExport, ASecondInterruptEndsAWaitForLockedSettings) {
    QTemporaryDir settings;
    QLockFile held(settings.filePath(QStringLiteral("current-user.ini.lock")));
    ASSERT_TRUE(held.lock());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OSTRAND_SETTINGS_DIR"), settings.path());
    QTemporaryDir outputFolder;
    const QString output = outputFolder.filePath(QStringLiteral("waiting.sxq"));
    QProcess waiting;
    waiting.setProcessEnvironment(environment);
    waiting.start(QStringLiteral(OSTRAND_EXPORT_PROGRAM), {dataPath(), QStringLiteral("-o"), output});
    ASSERT_TRUE(waiting.waitForStarted());
    // The half-written query file appears before the settings are read.
    for (int i = 0; i < 600 && QDir(outputFolder.path()).entryList({QStringLiteral("*.part")}).isEmpty(); ++i)
        QThread::msleep(50);
    for (int interrupt = 0; interrupt < 2; ++interrupt) {
        ::kill(static_cast<pid_t>(waiting.processId()), SIGINT);
        QThread::msleep(100);
    }
    ASSERT_TRUE(waiting.waitForFinished(60000)) << "the export waits on";
    EXPECT_EQ(waiting.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(waiting.exitCode(), ExitCancelled);
    EXPECT_TRUE(waiting.readAllStandardError().contains("interrupted"));
    EXPECT_TRUE(QDir(outputFolder.path()).isEmpty());
}

} // namespace
