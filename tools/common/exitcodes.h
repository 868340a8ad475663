#pragma once
// Exit codes shared by the project's command-line programs, so that scripts driving them can
// tell a wrong command line from failed work and from an interruption.

enum ExitCode : int {
    ExitOk = 0,
    ExitFailure = 1,      // the work itself failed (bad input file, unwritable output)
    ExitUsage = 2,        // the command line was wrong
    ExitNothingFound = 3, // the work ran but found nothing to write (no valid spectra or peaks)
    ExitCancelled = 130,  // the user interrupted the work
};
