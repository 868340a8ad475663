// vesk info: what a Vesk file holds, for people.
#include "veskcommand.h"

#include "errors/numberederror.h"
#include "kestrum/veskfile.h"
#include "kestrum/veskfiledescription.h"

#include <QCommandLineParser>
#include <QTextStream>

namespace {

int runInfo(const QStringList& arguments) {
    QTextStream err(stderr);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Describes a Vesk file: its samples, periods, experiments with their scan types, cycles and "
        "scans, and whether each sample is a data-dependent run."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The Vesk file to describe."),
                                 QStringLiteral("FILE"));
    if (const auto exitCode = parseCommandLine(parser, QStringLiteral("info"), arguments))
        return *exitCode;
    if (parser.positionalArguments().size() != 1) {
        err << "vesk info: give exactly one Vesk file\n";
        return ExitUsage;
    }
    try {
        QTextStream(stdout) << kestrum::describeVeskFile(
            *kestrum::VeskFile::open(parser.positionalArguments().front()));
    } catch (const errors::NumberedError& error) {
        err << "vesk info: " << error.description() << '\n';
        return ExitFailure;
    }
    return ExitOk;
}

const VeskCommandRegistrar registrar({QStringLiteral("info"),
                                      QStringLiteral("Describe what a Vesk file holds"), runInfo});

} // namespace
