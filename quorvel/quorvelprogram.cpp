#include "quorvelprogram.h"

#include "common/exitcodes.h"
#include "quorvelform.h"
#include "shared/messageboxpresenter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QTextStream>

std::optional<int> QuorvelProgram::parse(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Replays a batch acquisition on a processing script: creates the script's ProcessClass and calls\n"
        "BatchStart, SampleStart and SampleEnd for every sample of every data file, then BatchEnd."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption script(
        QStringLiteral("script"), QStringLiteral("The processing script (.so library or .aasf script file)."),
        QStringLiteral("PATH"));
    const QCommandLineOption run(
        QStringLiteral("run"),
        QStringLiteral("Press Run at once and quit when the run ends; an error goes to "
                       "standard error and makes the exit code non-zero."));
    parser.addOption(script);
    parser.addOption(run);
    parser.addPositionalArgument(
        QStringLiteral("FILE_OR_FOLDER"),
        QStringLiteral("Vesk data files, and folders whose .vesk files are added as Add "
                       "Folder does; they replace the saved list."),
        QStringLiteral("[FILE_OR_FOLDER...]"));
    if (!parser.parse(arguments)) {
        QTextStream(stderr) << "quorvel: " << parser.errorText() << "\nTry 'quorvel --help'.\n";
        return ExitUsage;
    }
    if (parser.isSet(help)) {
        // Without an application object Qt names the program by a placeholder; users know it as quorvel.
        QTextStream(stdout) << parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                         QStringLiteral("quorvel"));
        return ExitOk;
    }
    if (parser.isSet(script))
        m_script = QFileInfo(parser.value(script)).absoluteFilePath();
    m_paths = parser.positionalArguments();
    m_runAtOnce = parser.isSet(run);
    return std::nullopt;
}

int QuorvelProgram::run() {
    QTextStream err(stderr);
    messages::installMessageBoxPresenter();
    QuorvelForm form;
    if (!m_script.isEmpty())
        form.SetScriptPath(m_script);
    if (!m_paths.isEmpty()) {
        form.RemoveAllFiles();
        for (const QString& path : std::as_const(m_paths)) {
            const QFileInfo info(path);
            // Files go in as given, so that the run's validation reports a missing one.
            if (!info.isDir()) {
                form.AddDataFile(info.absoluteFilePath());
                continue;
            }
            try {
                form.AddFolderRecursive(info.absoluteFilePath());
            } catch (const std::exception& error) {
                err << "quorvel: " << QString::fromUtf8(error.what()) << '\n';
                return ExitFailure;
            }
        }
    }
    form.show();
    if (!m_runAtOnce)
        return QApplication::exec();
    const QString error = form.Run();
    if (!error.isEmpty()) {
        err << "quorvel: " << error << '\n';
        return ExitFailure;
    }
    return ExitOk;
}
