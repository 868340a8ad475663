#pragma once
// The quorvel program: the batch driver's window, filled from the command line when it names a
// script or data files, and with --run a batch run without a user (errors on standard error,
// the exit code saying whether the run completed).

#include "quorvel_form_export.h"

#include <QString>
#include <QStringList>
#include <optional>

class QUORVEL_FORM_EXPORT QuorvelProgram {
public:
    // Reads the arguments (the program name first). Returns the exit code when the program ends
    // here, having shown its help or reported a wrong command line; no window is needed for that.
    std::optional<int> parse(const QStringList& arguments);
    // Opens the window and, with --run, runs the batch; returns the exit code. Needs the widget
    // application to exist.
    int run();

private:
    QString m_script;
    QStringList m_paths;
    bool m_runAtOnce = false;
};
