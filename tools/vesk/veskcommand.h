#pragma once
// The sub-commands of the vesk tool. Each command's source file registers it with a static
// VeskCommandRegistrar; main() picks the command named by the first argument.

#include <QStringList>
#include <functional>
#include <vector>

// Exit codes shared by the project's command-line tools.
enum ExitCode : int {
    ExitOk = 0,
    ExitFailure = 1,     // the work itself failed (bad input file, unwritable output)
    ExitUsage = 2,       // the command line was wrong
    ExitCancelled = 130, // the user interrupted the work
};

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
