// vesk: command-line access to Vesk acquisition files.
#include "veskcommand.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vesk"));
    return runVesk(QCoreApplication::arguments());
}
