// vesk import: mzML and mzXML files into one Vesk file, one sample per input.
#include "progressreporter.h"
#include "veskcommand.h"

#include "kestrum/import/acquisitionimporter.h"
#include "kestrum/scantype.h"

#include "files/savefile.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>
#include <optional>

namespace {

// Reads a scan-type code option into `code` when it was given; false when its value is no code.
bool readScanTypeOption(const QCommandLineParser& parser, const QString& name, std::optional<int>& code,
                        QTextStream& err) {
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < kestrum::Q1Scan || value > kestrum::MultiplyCharged) {
        err << "vesk import: --" << name << " needs a scan-type code from 0 to 16, not '"
            << parser.value(name) << "'\n";
        return false;
    }
    code = value;
    return true;
}

int runImport(const QStringList& arguments) {
    QTextStream err(stderr);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Imports mzML and mzXML files into one Vesk file, each input as one sample. Each survey "
        "scan starts a cycle as experiment 0; the MS/MS scans after it are experiments 1, 2, ..."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("inputs"),
                                 QStringLiteral("mzML or mzXML files, one per sample."),
                                 QStringLiteral("IN..."));
    const QCommandLineOption output(
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("The Vesk file to write (replaced only when the import succeeds)."),
        QStringLiteral("OUT.vesk"));
    const QCommandLineOption ms1Type(
        QStringLiteral("ms1-scan-type"),
        QStringLiteral("Scan-type code for every MS1 scan (default: from the analyser: "
                       "TOF 8, orbitrap or FT-ICR 12, ion trap 15, else 0)."),
        QStringLiteral("CODE"));
    const QCommandLineOption ms2Type(
        QStringLiteral("ms2-scan-type"),
        QStringLiteral("Scan-type code for every MS2 scan (default: from the analyser: "
                       "TOF 9, ion trap 11, else 6)."),
        QStringLiteral("CODE"));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   QStringLiteral("Do not show progress."));
    parser.addOptions({output, ms1Type, ms2Type, quiet});
    if (const auto exitCode = parseCommandLine(parser, QStringLiteral("import"), arguments))
        return *exitCode;
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty() || !parser.isSet(output)) {
        err << "vesk import: give at least one input file and the output with -o OUT.vesk\n";
        return ExitUsage;
    }
    const QString outputPath = parser.value(output);
    for (const QString& input : inputs)
        if (files::isSameFile(input, outputPath)) {
            err << "vesk import: the output " << outputPath << " would replace the input file\n";
            return ExitUsage;
        }

    kestrum::AcquisitionImporter importer;
    if (!readScanTypeOption(parser, ms1Type.names().constFirst(), importer.scanTypes.surveyOverride, err) ||
        !readScanTypeOption(parser, ms2Type.names().constFirst(), importer.scanTypes.productOverride, err))
        return ExitUsage;
    ProgressReporter reporter(parser.isSet(quiet));
    importer.reportProgress = [&reporter](const kestrum::ImportProgress& progress) {
        const QString label = QStringLiteral("Importing %1 (%2 of %3)")
                                  .arg(QFileInfo(progress.path).fileName())
                                  .arg(progress.input + 1)
                                  .arg(progress.inputCount);
        reporter.update(label, progress.spectrum, progress.spectrumCount);
    };
    return reporter.run(QStringLiteral("vesk import"), outputPath,
                        [&] { importer.importFiles(inputs, outputPath); });
}

const VeskCommandRegistrar registrar({QStringLiteral("import"),
                                      QStringLiteral("Import mzML/mzXML files into a Vesk file"), runImport});

} // namespace
