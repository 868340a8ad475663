#pragma once
// Progress of long work on standard error. On a terminal a bar is redrawn in place with a caption
// beside it ("[#######.......]  25% Sample 1"); in a log, one line per tenth ("Importing: 30%") keeps
// the log short, or nothing at all when the program asks for a terminal only.

#include <QString>

class TerminalProgress {
public:
    enum class WhenNotATerminal { LogTenths, ShowNothing };

    explicit TerminalProgress(WhenNotATerminal otherwise);
    // Ends the line, so that later messages start on a line of their own.
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;

    // Shows `done` of `total` under the caption; redraws only when the percentage or caption changes,
    // so that long work does not flood the terminal. Nothing to do counts as done.
    void update(const QString& caption, double done, double total);
    void finish();

private:
    bool m_terminal;
    WhenNotATerminal m_otherwise;
    QString m_caption;
    int m_percent = -1;
    bool m_lineOpen = false;
};
