#include "commandline.h"

#include "exitcodes.h"

#include "errors/numberederror.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace commandline {

bool parseArguments(QCommandLineParser& parser, const QString& program, const QStringList& arguments) {
    if (!parser.parse(arguments))
        throw UsageError(parser.errorText());
    if (!parser.isSet(QStringLiteral("help")))
        return true;
    // Qt names the program by the path it was started with; users know it by its name.
    QString help = parser.helpText();
    const QString started = QCoreApplication::instance() ? QCoreApplication::arguments().constFirst()
                                                         : QStringLiteral("<executable_name>");
    if (const qsizetype at = help.indexOf(started); at >= 0)
        help.replace(at, started.size(), program);
    QTextStream(stdout) << help;
    return false;
}

int run(const QString& program, const std::function<int()>& work, const FailureNotes& notes) {
    QTextStream err(stderr);
    try {
        return work();
    } catch (const UsageError& error) {
        err << program << ": " << error.message() << "\nRun '" << program << " --help' for the options.\n";
        return ExitUsage;
    } catch (const Interrupted&) {
        err << program << ": interrupted" << notes.afterInterruption << '\n';
        return ExitCancelled;
    } catch (const errors::NumberedError& error) {
        err << program << ": " << error.description() << notes.afterError << '\n';
    } catch (const std::exception& error) {
        err << program << ": " << error.what() << notes.afterError << '\n';
    }
    return ExitFailure;
}

} // namespace commandline
