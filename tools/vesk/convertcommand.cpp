// vesk convert: one sample of a Vesk file as an mzML file that other tools can read.
#include "progressreporter.h"
#include "veskcommand.h"

#include "kestrum/import/mzmlexporter.h"

#include "files/savefile.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

namespace {

int runConvert(const QStringList& arguments) {
    QTextStream err(stderr);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Writes one sample of a Vesk file as an indexed mzML file (zlib-compressed 64-bit arrays)."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The Vesk file to convert."),
                                 QStringLiteral("FILE.vesk"));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The mzML file to write (replaced only when the conversion succeeds)."),
        QStringLiteral("OUT.mzML"));
    const QCommandLineOption sample(QStringLiteral("sample"),
                                    QStringLiteral("The sample to convert, from 1 (default: 1)."),
                                    QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Do not show progress."));
    parser.addOptions({output, sample, quiet});
    if (const auto exitCode = parseCommandLine(parser, QStringLiteral("convert"), arguments))
        return *exitCode;
    if (parser.positionalArguments().size() != 1 || !parser.isSet(output)) {
        err << "vesk convert: give one Vesk file and the output with -o OUT.mzML\n";
        return ExitUsage;
    }
    bool ok = false;
    const int sampleNumber = parser.value(sample).toInt(&ok);
    if (!ok || sampleNumber < 1) {
        err << "vesk convert: --sample needs a sample number from 1, not '" << parser.value(sample) << "'\n";
        return ExitUsage;
    }
    const QString input = parser.positionalArguments().constFirst();
    const QString outputPath = parser.value(output);
    if (files::isSameFile(input, outputPath)) {
        err << "vesk convert: the output " << outputPath << " would replace the input file\n";
        return ExitUsage;
    }

    ProgressReporter reporter(parser.isSet(quiet));
    kestrum::MzmlExporter exporter;
    const QString label =
        QStringLiteral("Converting sample %1 of %2").arg(sampleNumber).arg(QFileInfo(input).fileName());
    exporter.reportProgress = [&](const kestrum::ConversionProgress& progress) {
        reporter.update(label, progress.spectrum, progress.spectrumCount);
    };
    return reporter.run(QStringLiteral("vesk convert"), outputPath,
                        [&] { exporter.exportSample(input, sampleNumber, outputPath); });
}

const VeskCommandRegistrar registrar({QStringLiteral("convert"),
                                      QStringLiteral("Write one sample of a Vesk file as mzML"), runConvert});

} // namespace
