// ostrand-export: writes the query file of a Vesk acquisition for a search engine.
#include "exportcommand.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("ostrand-export"));
    return ExportCommand().run(argc, argv);
}
