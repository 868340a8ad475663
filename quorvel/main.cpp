// quorvel: replays a batch acquisition on a processing script.
#include "quorvelprogram.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    // Help and a wrong command line are answered before the window system is needed.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QuorvelProgram program;
    if (const auto exitCode = program.parse(arguments))
        return *exitCode;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvel"));
    return program.run();
}
