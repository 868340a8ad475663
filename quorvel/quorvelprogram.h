#pragma once
// The quorvel program: the batch driver's window, filled from the command line when it names a
// script or data files, and with --run a batch run without a user (errors on standard error,
// the exit code saying whether the run completed).

#include "quorvel_form_export.h"

#include <QStringList>

class QUORVEL_FORM_EXPORT QuorvelProgram {
public:
    // Runs the program on its arguments (the program name first) and returns its exit code.
    // Needs the widget application to exist.
    int run(const QStringList& arguments);
};
