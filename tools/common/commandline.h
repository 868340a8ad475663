#pragma once
// What every command-line program of the system shares: parsing with --help, one way of turning
// failures into messages on standard error and exit codes (exitcodes.h), and the wrong command
// line as an error of its own.

#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

class QCommandLineParser;

namespace commandline {

// A wrong command line, with what is wrong.
class UsageError : public std::exception {
public:
    explicit UsageError(QString message) : m_message(std::move(message)) {}
    const QString& message() const { return m_message; }
    const char* what() const noexcept override { return "wrong command line"; }

private:
    QString m_message;
};

// The user pressed Ctrl+C and the work stopped.
struct Interrupted {};

// Parses `arguments` (the program first) with a parser that has its help option. Raises
// UsageError with the parser's message when they are wrong; returns false when they ask for help,
// which has then been printed on standard output with the program named `program`.
bool parseArguments(QCommandLineParser& parser, const QString& program, const QStringList& arguments);

// What a failed command adds to its message: after an error, and after an interruption.
struct FailureNotes {
    QString afterError;
    QString afterInterruption;
};

// Runs the work and returns its exit code. A wrong command line, a failure and an interruption are
// reported on standard error as "PROGRAM: what happened" followed by the note, and end with
// ExitUsage, ExitFailure and ExitCancelled.
int run(const QString& program, const std::function<int()>& work, const FailureNotes& notes = {});

} // namespace commandline
