#pragma once
// The ostrand-export program: exports the MS/MS spectra of a Vesk acquisition (or, with --survey,
// the survey-scan peaks of one sample) to a query file through the public export classes, with
// the stored processing parameters or ones given on the command line. The query file appears only
// when the export is complete; a failed or interrupted export leaves no file behind.

#include <QStringList>

class ExportCommand {
public:
    // Runs the whole command (arguments with the program name first, as main() has them) and
    // returns its exit code; results go to stdout, progress and errors to stderr. Ctrl+C cancels
    // the export. The program's Qt application lives as long as the command, except with
    // --edit-params, where the script library brings the widget application its dialog needs.
    int run(int& argc, char* argv[]);
};
