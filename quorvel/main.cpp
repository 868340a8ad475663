// quorvel: replays a batch acquisition on a processing script.
#include "quorvelprogram.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorvel"));
    return QuorvelProgram().run(QApplication::arguments());
}
