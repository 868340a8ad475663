// ostrand-export: writes the query file of a Vesk acquisition for a search engine.
#include "exportcommand.h"

#include "common/exitcodes.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (!ExportCommand::preparePlatform(argc, argv))
        return ExitUsage;
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("ostrand-export"));
    return ExportCommand().run(QCoreApplication::arguments());
}
