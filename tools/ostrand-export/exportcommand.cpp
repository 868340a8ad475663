#include "exportcommand.h"

#include "batchsearchclientlists.h"
#include "searchformstep.h"
#include "terminalprogressbar.h"

#include "common/commandline.h"
#include "common/exitcodes.h"
#include "common/interruptwatch.h"
#include "data/veskfileinfo.h"
#include "export/mexportmsmstosorvex.h"
#include "export/mexportmstosorvex.h"
#include "export/queryfile.h"
#include "settings/parameterranges.h"
#include "settings/processingparameters.h"
#include "settings/registryfuncs.h"
#include "web/batchparameterlists.h"

#include "errors/numberederror.h"
#include "files/savefile.h"
#include "kestrum/veskfile.h"
#include "messages/messageservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <limits>
#include <memory>
#include <optional>
#include <type_traits>
#include <unistd.h>

using commandline::UsageError;
using ostrand::MExportMSMSToSorvex;
using ostrand::MExportMSToSorvex;
using ostrand::PendingEvents;
using ostrand::ProcessingParameters;
using ostrand::QueryFile;
using ostrand::VeskFileInfo;

namespace {

// What the command line asks for. Samples count from 1; cycles, periods and experiments from 0,
// as the engine and `vesk info` count them.
struct ExportRequest {
    QString dataPath;
    QString outputPath;
    std::int32_t sampleIndex = -1; // every sample, or one from 1
    std::int32_t startCycle = -1;  // -1 with endCycle -1: every cycle
    std::int32_t endCycle = -1;
    bool survey = false;
    std::optional<std::int16_t> period; // survey export of one experiment
    std::optional<std::int16_t> experiment;
    // The name and value lists as given, for the batch search client's interface.
    std::optional<std::pair<QString, QString>> parameterLists;
    bool printParams = false;
    bool editParams = false;
    bool openSearch = false; // open the search form on the written file
    bool submitSearch = false;
};

// A whole number from `low` up, as the user wrote it.
std::int32_t wholeNumber(const QString& text, const QString& what, std::int32_t low,
                         std::int32_t high = std::numeric_limits<std::int32_t>::max()) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        throw UsageError(QStringLiteral("%1 needs a whole number from %2 to %3, not '%4'")
                             .arg(what)
                             .arg(low)
                             .arg(high)
                             .arg(text));
    return value;
}

// Every name must be a processing parameter, every value one it may take, and the values must
// agree with one another as the options window demands. The batch search client ends a list of
// one with a comma, which leaves an empty last item.
void checkParameterLists(const QStringList& names, const QStringList& texts) {
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool closingComma = i == names.size() - 1 && names[i].isEmpty() && texts[i].isEmpty();
        if (closingComma)
            continue;
        if (const QString problem = ostrand::parameterValueProblem(names[i], texts[i]); !problem.isEmpty())
            throw UsageError(QStringLiteral("--keys and --values: ") + problem);
    }
    if (const QString problem = ostrand::parameterListsProblem(names, texts); !problem.isEmpty())
        throw UsageError(QStringLiteral("--keys and --values: ") + problem);
}

// The cycles asked for must exist in every period of every sample the export walks; a range past
// the end would otherwise fail deep inside the export, or count towards the largest number.
void checkCycleRange(const ExportRequest& request, const kestrum::VeskFile& file) {
    if (request.startCycle == -1)
        return;
    const int samples = file.SampleCount();
    const int first = request.sampleIndex == -1 ? 1 : request.sampleIndex;
    const int last = request.sampleIndex == -1 ? samples : std::min(request.sampleIndex, samples);
    for (int sample = first; sample <= last; ++sample)
        for (int period = 0; period < file.PeriodCount(sample); ++period) {
            const int cycles = file.CycleCount(sample, period);
            if (request.endCycle < cycles)
                continue;
            const QString where = file.PeriodCount(sample) > 1
                                      ? QStringLiteral("sample %1, period %2").arg(sample).arg(period)
                                      : QStringLiteral("sample %1").arg(sample);
            throw UsageError(
                QStringLiteral("--cycles %1 is outside the run: %2 %3")
                    .arg(request.startCycle == request.endCycle
                             ? QString::number(request.startCycle)
                             : QStringLiteral("%1-%2").arg(request.startCycle).arg(request.endCycle),
                         where,
                         cycles == 0 ? QStringLiteral("has no cycles")
                                     : QStringLiteral("has cycles 0 to %1").arg(cycles - 1)));
        }
}

// The request, or nothing when the user asked for the help text, which has then been shown.
std::optional<ExportRequest> parseRequest(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes the query file of a Vesk acquisition for a peptide search: the header lines SEARCH=MIS "
        "and REPTYPE=Peptide, then one BEGIN IONS block per grouped MS/MS spectrum. With --survey, a "
        "peptide mass fingerprint query instead: SEARCH=PMF, REPTYPE=Protein and the survey-scan peaks of "
        "one sample. Samples count from 1; cycles, periods and experiments from 0, as 'vesk info' shows "
        "them (query titles count cycles from 1). The processing parameters are the stored settings "
        "unless --keys and --values name others, as the batch search client gives them: lists of at "
        "least two items, or both ending in a comma. They do not change the stored settings. "
        "--print-params prints the normalised lists and --edit-params edits them in the options dialog "
        "first; neither needs an acquisition. Exit status: 0 written, 1 failed, 2 wrong command line, "
        "3 nothing to search, 130 interrupted; in the last three cases no query file is written and an "
        "earlier one is kept."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("DATA.vesk"), QStringLiteral("The acquisition to export."));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The query file (default: DATA.sxq beside the acquisition)."), QStringLiteral("FILE"));
    const QCommandLineOption sample(
        QStringLiteral("sample"),
        QStringLiteral("The sample to export, or all (default: all; with --survey, 1)."),
        QStringLiteral("N|all"));
    const QCommandLineOption cycles(QStringLiteral("cycles"),
                                    QStringLiteral("Only these cycles, A-B or one cycle A (default: all)."),
                                    QStringLiteral("A-B"));
    const QCommandLineOption keys(QStringLiteral("keys"),
                                  QStringLiteral("Comma-separated names of processing parameters."),
                                  QStringLiteral("K1,K2,..."));
    const QCommandLineOption values(QStringLiteral("values"),
                                    QStringLiteral("Their values, in the same order."),
                                    QStringLiteral("V1,V2,..."));
    const QCommandLineOption survey(QStringLiteral("survey"),
                                    QStringLiteral("Write a peptide mass fingerprint of the survey scans."));
    const QCommandLineOption period(
        QStringLiteral("period"), QStringLiteral("With --survey: the period of the experiment (default 0)."),
        QStringLiteral("P"));
    const QCommandLineOption experiment(
        QStringLiteral("experiment"),
        QStringLiteral("With --survey: export this experiment of a multi-experiment sample."),
        QStringLiteral("E"));
    const QCommandLineOption printParams(
        QStringLiteral("print-params"),
        QStringLiteral(
            "Print the normalised parameter names on one line and their values on the next (those of "
            "--keys and --values, or the factory defaults), and export nothing."));
    const QCommandLineOption editParams(
        QStringLiteral("edit-params"),
        QStringLiteral("Edit those parameters in the options dialog, then print them as "
                       "--print-params does. Needs a display."));
    const QCommandLineOption openSearch(
        QStringLiteral("open-search"),
        QStringLiteral("Then open the chosen search server's form in the browser, with the search title and "
                       "the query file filled in."));
    const QCommandLineOption submit(QStringLiteral("submit"),
                                    QStringLiteral("Open the search form and submit it; returns once the "
                                                   "server has received the query file."));
    parser.addOptions({output, sample, cycles, keys, values, survey, period, experiment, printParams,
                       editParams, openSearch, submit});
    if (!commandline::parseArguments(parser, QStringLiteral("ostrand-export"), arguments))
        return std::nullopt;

    ExportRequest request;
    request.printParams = parser.isSet(printParams);
    request.editParams = parser.isSet(editParams);
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(keys) != parser.isSet(values))
        throw UsageError(QStringLiteral("--keys and --values go together"));
    if (parser.isSet(keys)) {
        const QStringList names = parser.value(keys).split(u',');
        const QStringList texts = parser.value(values).split(u',');
        if (names.size() != texts.size())
            throw UsageError(QStringLiteral("--keys names %1 parameters but --values gives %2 values")
                                 .arg(names.size())
                                 .arg(texts.size()));
        checkParameterLists(names, texts);
        request.parameterLists = std::pair(parser.value(keys), parser.value(values));
    }
    if (request.editParams && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        throw UsageError(
            QStringLiteral("--edit-params shows the options dialog and needs a display (DISPLAY is "
                           "not set)"));
    if (request.printParams || request.editParams) {
        if (!positional.isEmpty())
            throw UsageError(QStringLiteral("--print-params and --edit-params export nothing; leave out %1")
                                 .arg(positional.front()));
        return request;
    }
    if (positional.size() != 1)
        throw UsageError(positional.isEmpty() ? QStringLiteral("name the acquisition to export (DATA.vesk)")
                                              : QStringLiteral("export one acquisition at a time"));
    request.dataPath = QFileInfo(positional.front()).absoluteFilePath();
    const QFileInfo data(request.dataPath);
    request.outputPath =
        QFileInfo(parser.isSet(output)
                      ? parser.value(output)
                      : data.absolutePath() + u'/' + data.completeBaseName() + QStringLiteral(".sxq"))
            .absoluteFilePath();
    if (request.outputPath == request.dataPath || files::isSameFile(request.outputPath, request.dataPath))
        throw UsageError(QStringLiteral("the query file would replace the acquisition"));

    if (parser.isSet(sample))
        request.sampleIndex = parser.value(sample) == QStringLiteral("all")
                                  ? -1
                                  : wholeNumber(parser.value(sample), QStringLiteral("--sample"), 1);
    if (parser.isSet(cycles)) {
        static const QRegularExpression range(QStringLiteral("^(\\d+)(?:-(\\d+))?$"));
        const auto match = range.match(parser.value(cycles));
        if (!match.hasMatch())
            throw UsageError(QStringLiteral("--cycles needs A-B or A, not '%1'").arg(parser.value(cycles)));
        request.startCycle = wholeNumber(match.captured(1), QStringLiteral("--cycles"), 0);
        request.endCycle = match.captured(2).isEmpty()
                               ? request.startCycle
                               : wholeNumber(match.captured(2), QStringLiteral("--cycles"), 0);
        if (request.endCycle < request.startCycle)
            throw UsageError(QStringLiteral("--cycles %1 ends before it starts").arg(parser.value(cycles)));
    }
    request.survey = parser.isSet(survey);
    request.submitSearch = parser.isSet(submit);
    request.openSearch = request.submitSearch || parser.isSet(openSearch);
    if (!request.survey && (parser.isSet(period) || parser.isSet(experiment)))
        throw UsageError(QStringLiteral("--period and --experiment go with --survey"));
    if (request.survey) {
        if (parser.isSet(sample) && request.sampleIndex == -1)
            throw UsageError(QStringLiteral("--survey exports one sample"));
        if (!parser.isSet(sample))
            request.sampleIndex = 1;
        if (parser.isSet(cycles))
            throw UsageError(QStringLiteral("--survey sums the whole run; --cycles does not apply"));
        if (parser.isSet(period) || parser.isSet(experiment)) {
            const auto index = [&parser](const QCommandLineOption& option) {
                const QString text = parser.isSet(option) ? parser.value(option) : QStringLiteral("0");
                return static_cast<std::int16_t>(
                    wholeNumber(text, QStringLiteral("--") + option.names().constFirst(), 0, 32767));
            };
            request.period = index(period);
            request.experiment = index(experiment);
        }
    }
    return request;
}

// Hands the given lists to the batch search client's lists, as the client does; they are kept in
// memory and leave the stored settings untouched. A single pair has no comma, which the lists take
// as no lists at all, so the user is told.
template <typename Lists>
void setParameterLists(Lists& lists, const ExportRequest& request, QTextStream& err) {
    const auto& [names, texts] = *request.parameterLists;
    if (!names.contains(u','))
        err << "ostrand-export: a single name and value are not taken (the lists need a comma, as the batch "
               "search client gives them), so every parameter is at its default; end both lists with a "
               "comma to set one parameter\n";
    err.flush();
    lists.setLists(names, texts);
}

// The batch search client's lists in this program's own settings store, which the export then
// reads as the client's parameter object does.
struct InProcessLists {
    void setLists(const QString& keys, const QString& values) { BatchParameterLists::set(keys, values); }
    void setDefaults() { BatchParameterLists::setDefaults(); }
    QString keys() const { return BatchParameterLists::keys(); }
    QString values() const { return BatchParameterLists::values(); }
};

// The processing parameters: the stored settings, or those of the given lists, read from the
// in-memory store the lists leave behind.
std::shared_ptr<ProcessingParameters> loadParameters(const ExportRequest& request, QTextStream& err) {
    if (request.parameterLists) {
        InProcessLists lists;
        setParameterLists(lists, request, err);
    }
    auto params = std::make_shared<ProcessingParameters>();
    params->SetInfoFromRegistry();
    return params;
}

// The normalised lists, names on one line and values on the next.
template <typename Lists>
int printLists(Lists& lists, const ExportRequest& request, QTextStream& out, QTextStream& err) {
    if (request.parameterLists)
        setParameterLists(lists, request, err);
    else
        lists.setDefaults();
    if constexpr (std::is_same_v<Lists, BatchSearchClientLists>)
        lists.editInDialog();
    if (lists.keys().isEmpty()) {
        err << "ostrand-export: the options dialog refused these parameters, so there are no lists to "
               "print\n";
        return ExitFailure;
    }
    out << lists.keys() << '\n' << lists.values() << '\n';
    return ExitOk;
}

// --print-params runs the lists' rules in this program; --edit-params needs the options dialog,
// which only the script library has.
int printParameters(const ExportRequest& request, QTextStream& out, QTextStream& err) {
    if (request.editParams) {
        BatchSearchClientLists lists;
        return printLists(lists, request, out, err);
    }
    InProcessLists lists;
    return printLists(lists, request, out, err);
}

// Cancels the export at its next cycle once Ctrl+C has been pressed.
class CancelOnInterrupt : public PendingEvents {
public:
    explicit CancelOnInterrupt(MExportMSMSToSorvex& exporter) : m_exporter(exporter) {}
    void process() override {
        if (InterruptWatch::requested())
            m_exporter.CancelExport();
    }

private:
    MExportMSMSToSorvex& m_exporter;
};

struct ExportOutcome {
    bool cancelled = false;
    std::int32_t written = 0;
};

ExportOutcome exportSpectra(const ExportRequest& request, const std::shared_ptr<ProcessingParameters>& params,
                            MExportMSMSToSorvex& exporter) {
    std::unique_ptr<TerminalProgressBar> bar;
    if (isatty(STDERR_FILENO) != 0) {
        VeskFileInfo info;
        info.setFileNameAndIndex(request.dataPath, request.sampleIndex == -1 ? 1 : request.sampleIndex, 0, 0,
                                 0);
        bar = std::make_unique<TerminalProgressBar>(QueryFile::progressTotal(
            info, request.sampleIndex, request.startCycle, request.endCycle, ostrand::CycleSelection()));
    }
    exporter.setPendingEvents(std::make_shared<CancelOnInterrupt>(exporter));
    exporter.DoExportRange(request.dataPath, request.sampleIndex, params, bar.get(), request.startCycle,
                           request.endCycle, bar.get());
    return {exporter.wasCancelled(), exporter.numSpectraInResult()};
}

ExportOutcome exportSurvey(const ExportRequest& request, const std::shared_ptr<ProcessingParameters>& params,
                           MExportMSToSorvex& exporter) {
    if (request.period)
        exporter.DoExportExperiment(request.dataPath, request.sampleIndex, *request.period,
                                    *request.experiment, params);
    else
        exporter.DoExportFile(request.dataPath, request.sampleIndex, params);
    // Every line after the two header lines is one peak.
    const std::int32_t peakLines = static_cast<std::int32_t>(exporter.GetResultString().count(u'\n')) - 2;
    return {InterruptWatch::requested(), peakLines};
}

int exportQuery(const ExportRequest& request, QTextStream& out, QTextStream& err) {
    if (request.printParams || request.editParams)
        return printParameters(request, out, err);
    // The whole export reads this one file, even if another is renamed into its place meanwhile.
    const kestrum::VeskFileHold heldFile(request.dataPath);
    checkCycleRange(request, *kestrum::VeskFile::open(request.dataPath));
    // The query file appears only when the export is complete; an earlier one stays otherwise.
    MExportMSToSorvex surveyExporter;
    MExportMSMSToSorvex spectraExporter;
    QueryFile query(
        request.outputPath, request.survey ? QueryFile::Search::Fingerprint : QueryFile::Search::Ions,
        request.survey ? surveyExporter.GetQueryStringHelper() : spectraExporter.GetQueryStringHelper());
    const QString notWritten =
        QStringLiteral("ostrand-export: interrupted; %1 was not written\n").arg(request.outputPath);
    // From here on a second Ctrl+C ends even a wait for the stored settings at once.
    const InterruptWatch::HalfWrittenFile halfWritten(query.temporaryPath(), notWritten);
    const auto params = loadParameters(request, err);
    ExportOutcome outcome;
    if (request.survey) {
        // The survey scans are summed in one step that cannot stop half-way; an interrupt ends it.
        const InterruptWatch::StopAtOnce stop;
        outcome = exportSurvey(request, params, surveyExporter);
    } else {
        outcome = exportSpectra(request, params, spectraExporter);
    }
    if (outcome.cancelled) {
        err << notWritten;
        return ExitCancelled;
    }
    if (outcome.written == 0) {
        // A query file of header lines only is no use to a search; an earlier one is kept.
        err << "ostrand-export: "
            << (request.survey ? QStringLiteral("Sorry, there were no peaks in this data.")
                               : QStringLiteral("Sorry, there were no valid MS/MS spectra in this data."))
            << " Nothing to search, so nothing was written"
            << (QFileInfo::exists(request.outputPath)
                    ? QStringLiteral("; %1 is left as it was").arg(request.outputPath)
                    : QString())
            << "\n";
        return ExitNothingFound;
    }
    query.save();
    const char* what = request.survey ? "peaks" : "spectra";
    out << outcome.written << ' ' << what << " written to " << request.outputPath << '\n';
    if (request.openSearch) {
        out.flush();
        return openSearchForm(request.dataPath, request.sampleIndex, request.outputPath, !request.survey,
                              request.submitSearch, err);
    }
    return ExitOk;
}

// A message of the engine ends the command as a failure, instead of leaving the exit status at
// success. The one exception is a setting that cannot be stored (a read-only settings folder):
// this program stores no setting the user asked for, only courtesies such as the diagnostic log's
// switch written back on first use, so that is a warning naming the file and the reason.
class MessagesFail {
public:
    MessagesFail()
        : m_previous(messages::setPresenter([](const QString& text, const QString& title) {
              const QString message = QStringLiteral("%1: %2").arg(title, text);
              if (title != RegistryFuncs::WriteErrorTitle)
                  throw errors::NumberedError::system(message);
              QTextStream(stderr) << "ostrand-export: warning: " << QString(message).replace(u'\n', u' ')
                                  << '\n';
          })) {}
    ~MessagesFail() { messages::setPresenter(m_previous); }
    MessagesFail(const MessagesFail&) = delete;
    MessagesFail& operator=(const MessagesFail&) = delete;

private:
    messages::Presenter m_previous;
};

} // namespace

int ExportCommand::run(int& argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const InterruptWatch interrupts;
    const MessagesFail messagesFail;
    return commandline::run(QStringLiteral("ostrand-export"),
                            [&] {
                                QTextStream out(stdout);
                                QTextStream err(stderr);
                                const auto request = parseRequest(arguments);
                                if (!request)
                                    return static_cast<int>(ExitOk);
                                // The options dialog comes with the script library's own widget
                                // application; everything else runs on this program's.
                                std::unique_ptr<QCoreApplication> application;
                                if (!request->editParams)
                                    application = std::make_unique<QCoreApplication>(argc, argv);
                                return exportQuery(*request, out, err);
                            },
                            {QStringLiteral("; no query file was written"), {}});
}
