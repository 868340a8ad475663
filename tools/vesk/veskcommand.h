#pragma once
// The sub-commands of the vesk tool. Each command's source file registers it with a static
// VeskCommandRegistrar; main() picks the command named by the first argument.

#include "common/exitcodes.h"

#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QCommandLineParser;

struct VeskCommand {
    QString name;
    QString summary;
    // Receives the arguments after the command name, with the program name first.
    std::function<int(const QStringList& arguments)> run;
};

std::vector<VeskCommand>& veskCommands();

struct VeskCommandRegistrar {
    explicit VeskCommandRegistrar(VeskCommand command) { veskCommands().push_back(std::move(command)); }
};

// Runs the vesk program: the command named after the program, with the arguments after it.
int runVesk(QStringList arguments);

// Parses a command's arguments. When they are wrong (after saying why) or ask for help (after
// printing it) gives the exit code to end with; nothing when the command goes on.
std::optional<int> parseCommandLine(QCommandLineParser& parser, const QString& command,
                                    const QStringList& arguments);
