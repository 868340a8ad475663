// vesk: command-line access to Vesk acquisition files.
#include "veskcommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>
#include <algorithm>

std::vector<VeskCommand>& veskCommands() {
    static std::vector<VeskCommand> commands;
    return commands;
}

std::optional<int> parseCommandLine(QCommandLineParser& parser, const QString& command,
                                    const QStringList& arguments) {
    if (!parser.parse(arguments)) {
        QTextStream(stderr) << "vesk " << command << ": " << parser.errorText() << '\n';
        return ExitUsage;
    }
    if (!parser.isSet(QStringLiteral("help")))
        return std::nullopt;
    // Qt names the program by the path it was started with; users know the command by its name.
    QString help = parser.helpText();
    const QString started = QCoreApplication::arguments().constFirst();
    if (const qsizetype at = help.indexOf(started); at >= 0)
        help.replace(at, started.size(), QStringLiteral("vesk ") + command);
    QTextStream(stdout) << help;
    return ExitOk;
}

namespace {

int printUsage(QTextStream& out) {
    out << "Usage: vesk COMMAND [options]\n\nCommands:\n";
    auto commands = veskCommands();
    std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const VeskCommand& command : commands)
        out << "  " << command.name.leftJustified(10) << command.summary << '\n';
    out << "\nRun 'vesk COMMAND --help' for the options of a command.\n";
    return ExitUsage;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vesk"));
    QStringList arguments = QCoreApplication::arguments();
    QTextStream err(stderr);
    if (arguments.size() < 2)
        return printUsage(err);
    const QString name = arguments.takeAt(1);
    for (const VeskCommand& command : veskCommands())
        if (command.name == name)
            return command.run(arguments);
    if (name == QStringLiteral("--help") || name == QStringLiteral("-h")) {
        QTextStream out(stdout);
        printUsage(out);
        return ExitOk;
    }
    err << "vesk: unknown command '" << name << "'\n\n";
    return printUsage(err);
}
