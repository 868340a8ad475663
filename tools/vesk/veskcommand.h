#pragma once
// The sub-commands of the vesk tool. Each command's source file registers it with a static
// VeskCommandRegistrar; main() picks the command named by the first argument.

#include "common/exitcodes.h"

#include <QStringList>
#include <functional>
#include <vector>

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
