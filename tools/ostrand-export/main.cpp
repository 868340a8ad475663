// ostrand-export: writes the query file of a Vesk acquisition for a search engine.
#include "exportcommand.h"

#include "common/exitcodes.h"

#include <QCoreApplication>

#include <memory>

int main(int argc, char* argv[]) {
    if (!ExportCommand::preparePlatform(argc, argv))
        return ExitUsage;
    QCoreApplication::setApplicationName(QStringLiteral("ostrand-export"));
    std::unique_ptr<QCoreApplication> application;
    if (!ExportCommand::usesBatchInterface(argc, argv))
        application = std::make_unique<QCoreApplication>(argc, argv);
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return ExportCommand().run(arguments);
}
