// The vesk program: picks the command named by the first argument.
#include "veskcommand.h"

#include "common/commandline.h"

#include <QCommandLineParser>
#include <QTextStream>
#include <algorithm>

std::vector<VeskCommand>& veskCommands() {
    static std::vector<VeskCommand> commands;
    return commands;
}

std::optional<int> parseCommandLine(QCommandLineParser& parser, const QString& command,
                                    const QStringList& arguments) {
    try {
        if (commandline::parseArguments(parser, QStringLiteral("vesk ") + command, arguments))
            return std::nullopt;
        return ExitOk;
    } catch (const commandline::UsageError& error) {
        QTextStream(stderr) << "vesk " << command << ": " << error.message() << '\n';
        return ExitUsage;
    }
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

int runVesk(QStringList arguments) {
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
