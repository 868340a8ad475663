// vesk generate: seeded synthetic acquisitions with their ground truth and protein list.
#include "progressreporter.h"
#include "veskcommand.h"

#include "kestrum/simulation/acquisitiongenerator.h"

#include <QCommandLineParser>
#include <QTextStream>
#include <exception>

namespace {

using kestrum::simulation::AcquisitionMode;
using kestrum::simulation::GenerationOptions;

struct NumberOption {
    QCommandLineOption option;
    double low, high;
    bool wholeNumber;
};

// Reads a numeric option within its bounds; leaves `value` alone when the option is absent.
template <typename T>
bool readNumber(const QCommandLineParser& parser, const NumberOption& number, T& value, QTextStream& err) {
    const QString name = number.option.names().constLast();
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const double parsed = parser.value(name).toDouble(&ok);
    if (!ok || !(parsed >= number.low && parsed <= number.high) ||
        (number.wholeNumber && parsed != static_cast<qint64>(parsed))) {
        err << "vesk generate: --" << name << " needs "
            << (number.wholeNumber ? "a whole number" : "a number") << " from "
            << QString::number(number.low, 'g', 16) << " to " << QString::number(number.high, 'g', 16)
            << ", not '" << parser.value(name) << "'\n";
        return false;
    }
    value = static_cast<T>(parsed);
    return true;
}

int runGenerate(const QStringList& arguments) {
    QTextStream err(stderr);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Generates a synthetic acquisition with known answers: OUT.vesk, its ground truth OUT.truth.json "
        "(peptide, charge, precursor and fragment m/z of every product scan) and the protein list "
        "OUT.fasta to search it against. The same options and seed give the same files."));
    parser.addHelpOption();
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The Vesk file to write."), QStringLiteral("OUT.vesk"));
    const QCommandLineOption mode(
        QStringLiteral("mode"),
        QStringLiteral("dda: survey scans and data-dependent product scans (default); "
                       "fixed: product scans of fixed precursors in periods."),
        QStringLiteral("dda|fixed"), QStringLiteral("dda"));
    auto numberOption = [](const QString& name, const QString& help, const QString& valueName, double low,
                           double high, bool wholeNumber) {
        return NumberOption{QCommandLineOption(name, help, valueName), low, high, wholeNumber};
    };
    const NumberOption seed = numberOption(QStringLiteral("seed"), QStringLiteral("Random seed (default 1)."),
                                           QStringLiteral("N"), 0, 9007199254740991.0, true);
    const NumberOption minutes =
        numberOption(QStringLiteral("minutes"), QStringLiteral("Run length of each sample (default 30)."),
                     QStringLiteral("MIN"), 0.05, 1440, false);
    const NumberOption samples =
        numberOption(QStringLiteral("samples"), QStringLiteral("Samples in the file (default 1)."),
                     QStringLiteral("N"), 1, 100, true);
    const NumberOption periods = numberOption(
        QStringLiteral("periods"), QStringLiteral("Periods per sample, fixed mode only (default 1)."),
        QStringLiteral("N"), 1, 100, true);
    const NumberOption experiments =
        numberOption(QStringLiteral("experiments"),
                     QStringLiteral("Product experiments per period, fixed mode only (default 4)."),
                     QStringLiteral("N"), 1, 50, true);
    const NumberOption top = numberOption(
        QStringLiteral("top"), QStringLiteral("Product scans per cycle, dda mode only (default 6)."),
        QStringLiteral("N"), 1, 50, true);
    const NumberOption exclusion =
        numberOption(QStringLiteral("exclusion"),
                     QStringLiteral("Seconds a fragmented precursor is excluded, dda mode only (default 8)."),
                     QStringLiteral("SEC"), 0, 3600, false);
    const NumberOption resolution = numberOption(
        QStringLiteral("resolution"), QStringLiteral("Resolving power, m/z over FWHM (default 15000)."),
        QStringLiteral("R"), 1000, 1000000, false);
    const QCommandLineOption centroid(QStringLiteral("centroid"), QStringLiteral("Record centroided scans."));
    const QCommandLineOption negative(QStringLiteral("negative"), QStringLiteral("Negative ions."));
    const QCommandLineOption easy(
        QStringLiteral("easy"),
        QStringLiteral("Clean scans: gentle counting noise, no chemical noise, no co-isolated precursors, "
                       "no co-eluting near-isobaric pairs, elution peaks that widen with the run length. By "
                       "default the scans are as hard to read as real instrument data."));
    const QCommandLineOption noCharges(
        QStringLiteral("no-charges"), QStringLiteral("Do not record the precursor charge of product scans."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Do not show progress."));
    const std::vector<const NumberOption*> numbers{&seed,        &minutes, &samples,   &periods,
                                                   &experiments, &top,     &exclusion, &resolution};
    parser.addOptions({output, mode, centroid, negative, easy, noCharges, quiet});
    for (const NumberOption* number : numbers)
        parser.addOption(number->option);
    if (const auto exitCode = parseCommandLine(parser, QStringLiteral("generate"), arguments))
        return *exitCode;
    if (!parser.isSet(output) || !parser.positionalArguments().isEmpty()) {
        err << "vesk generate: give the output with -o OUT.vesk and no other arguments\n";
        return ExitUsage;
    }

    GenerationOptions options;
    options.outputPath = parser.value(output);
    const QString modeName = parser.value(mode);
    if (modeName != QStringLiteral("dda") && modeName != QStringLiteral("fixed")) {
        err << "vesk generate: --mode is dda or fixed, not '" << modeName << "'\n";
        return ExitUsage;
    }
    options.mode =
        modeName == QStringLiteral("dda") ? AcquisitionMode::DataDependent : AcquisitionMode::FixedPrecursor;
    if (!readNumber(parser, seed, options.seed, err) || !readNumber(parser, minutes, options.minutes, err) ||
        !readNumber(parser, samples, options.samples, err) ||
        !readNumber(parser, periods, options.periods, err) ||
        !readNumber(parser, experiments, options.experiments, err) ||
        !readNumber(parser, top, options.topN, err) ||
        !readNumber(parser, exclusion, options.exclusionSeconds, err) ||
        !readNumber(parser, resolution, options.resolution, err))
        return ExitUsage;
    options.centroid = parser.isSet(centroid);
    options.negative = parser.isSet(negative);
    options.realistic = !parser.isSet(easy);
    options.recordCharges = !parser.isSet(noCharges);
    try {
        kestrum::simulation::validateOptions(options);
    } catch (const std::exception& error) {
        err << "vesk generate: " << error.what() << '\n';
        return ExitUsage;
    }

    ProgressReporter reporter(parser.isSet(quiet));
    return reporter.run(QStringLiteral("vesk generate"), options.outputPath, [&] {
        const auto result = kestrum::simulation::generateAcquisition(options, [&reporter](double fraction) {
            reporter.update(QStringLiteral("Generating"), static_cast<qint64>(fraction * 1000), 1000);
        });
        reporter.finish();
        QTextStream(stdout) << "Wrote " << result.acquisitionPath << " (" << result.surveyScans
                            << " survey scans, " << result.productScans
                            << " product scans)\n  ground truth: " << result.truthPath
                            << "\n  proteins: " << result.fastaPath << '\n';
    });
}

const VeskCommandRegistrar registrar({QStringLiteral("generate"),
                                      QStringLiteral("Generate a synthetic acquisition with known answers"),
                                      runGenerate});

} // namespace
