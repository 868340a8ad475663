#pragma once
// Progress of a long vesk command on stderr, and Ctrl-C turned into an orderly stop: while a
// reporter lives, an interrupt makes its next update() throw, so the work unwinds and removes
// whatever it had half-written.

#include "common/interruptwatch.h"
#include "common/terminalprogress.h"

#include <QString>
#include <QtGlobal>
#include <functional>

class ProgressReporter {
public:
    explicit ProgressReporter(bool quiet) : m_quiet(quiet) {}

    // Shows the progress under `label`; throws commandline::Interrupted after Ctrl-C.
    void update(const QString& label, qint64 done, qint64 total);
    // Ends the current progress line.
    void finish() { m_progress.finish(); }
    // Runs a command's work and returns its exit code; a failure or an interruption is reported on
    // stderr as "command: reason", saying that `output` was not written.
    int run(const QString& command, const QString& output, const std::function<void()>& work);

private:
    InterruptWatch m_interrupts;
    TerminalProgress m_progress{TerminalProgress::WhenNotATerminal::LogTenths};
    bool m_quiet;
};
