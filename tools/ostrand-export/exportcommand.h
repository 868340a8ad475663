#pragma once
// The ostrand-export program: exports the MS/MS spectra of a Vesk acquisition (or, with --survey,
// the survey-scan peaks of one sample) to a query file through the public export classes, with
// the stored processing parameters or ones given on the command line. The query file appears only
// when the export is complete; a failed or interrupted export leaves no file behind.

#include <QStringList>

class ExportCommand {
public:
    // Chooses the window system before the application starts: the options dialog needs a widget
    // application, and works offscreen unless --edit-params shows it. False, after saying why,
    // when the dialog is to be shown and there is no display.
    static bool preparePlatform(int argc, char* argv[]);

    // Runs the whole command (arguments with the program name first) and returns its exit code;
    // results go to stdout, progress and errors to stderr. Ctrl+C cancels the export.
    int run(const QStringList& arguments);
};
