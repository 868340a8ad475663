// vesk-viewer: shows Vesk acquisitions and runs processing scripts on what is shown.
//   vesk-viewer [FILE.vesk] [--run-script SCRIPT]

#include "host/viewer/viewerwindow.h"

#include "shared/messageboxpresenter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vesk-viewer"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows Vesk acquisitions and runs processing scripts on them."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The Vesk file to show."),
                                 QStringLiteral("[FILE.vesk]"));
    const QCommandLineOption runScript(
        QStringLiteral("run-script"),
        QStringLiteral("Runs the script (.so or .aasf) once the file is shown."), QStringLiteral("SCRIPT"));
    parser.addOption(runScript);
    parser.process(application);

    messages::installMessageBoxPresenter();
    host::ViewerWindow window;
    window.show();
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty())
        window.openFile(files.front());
    if (parser.isSet(runScript))
        QTimer::singleShot(0, &window,
                           [&window, script = parser.value(runScript)] { window.runScript(script); });
    return QApplication::exec();
}
