// vesk-viewer: shows Vesk acquisitions and runs processing scripts on what is shown.
//   vesk-viewer [FILE.vesk] [--run-script SCRIPT]

#include "host/viewer/viewerwindow.h"

#include "shared/messageboxpresenter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <cstdio>

int main(int argc, char* argv[]) {
    // The command line is read before the window system is opened, so that --help and mistakes
    // are answered on a terminal without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Shows Vesk acquisitions and runs processing scripts on them."));
    const QCommandLineOption help = parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The Vesk file to show."),
                                 QStringLiteral("[FILE.vesk]"));
    const QCommandLineOption runScript(
        QStringLiteral("run-script"),
        QStringLiteral("Runs the script (.so or .aasf) once the file is shown."), QStringLiteral("SCRIPT"));
    parser.addOption(runScript);
    if (!parser.parse(arguments) || parser.positionalArguments().size() > 1) {
        std::fprintf(stderr, "vesk-viewer: %s\n",
                     qPrintable(parser.errorText().isEmpty() ? QStringLiteral("give at most one file")
                                                             : parser.errorText()));
        return 2;
    }
    if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        QString text = parser.helpText();
        std::fputs(
            qPrintable(text.replace(QStringLiteral("<executable_name>"), QStringLiteral("vesk-viewer"))),
            stdout);
        return 0;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vesk-viewer"));
    messages::installMessageBoxPresenter();
    host::ViewerWindow window;
    window.show();
    if (!parser.positionalArguments().isEmpty())
        window.openFile(parser.positionalArguments().front());
    if (parser.isSet(runScript))
        QTimer::singleShot(0, &window,
                           [&window, script = parser.value(runScript)] { window.runScript(script); });
    return QApplication::exec();
}
