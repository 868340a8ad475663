#pragma once
// Progress of a long command on stderr, and Ctrl-C turned into an orderly stop: while a reporter
// lives, an interrupt makes its next update() throw Interrupted, so the work unwinds and removes
// whatever it had half-written.

#include <QString>
#include <QtGlobal>
#include <functional>

class ProgressReporter {
public:
    struct Interrupted {};

    explicit ProgressReporter(bool quiet);
    ~ProgressReporter();
    ProgressReporter(const ProgressReporter&) = delete;
    ProgressReporter& operator=(const ProgressReporter&) = delete;

    // Shows "label: N%" whenever the percentage changes; throws Interrupted after Ctrl-C.
    void update(const QString& label, qint64 done, qint64 total);
    // Ends the current progress line.
    void finish();
    // Runs a command's work and returns its exit code; a failure or an interruption is reported on
    // stderr as "command: reason", saying that `output` was not written.
    int run(const QString& command, const QString& output, const std::function<void()>& work);

private:
    bool m_quiet;
    bool m_terminal;
    bool m_lineOpen = false;
    QString m_label;
    int m_percent = -1;
};
