#include "progressreporter.h"

#include "veskcommand.h"

#include "automation/automationerror.h"

#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t interruptRequested = 0;

extern "C" void requestInterrupt(int) {
    interruptRequested = 1;
}

} // namespace

ProgressReporter::ProgressReporter(bool quiet) : m_quiet(quiet), m_terminal(isatty(STDERR_FILENO) != 0) {
    interruptRequested = 0;
    std::signal(SIGINT, requestInterrupt);
    std::signal(SIGTERM, requestInterrupt);
}

ProgressReporter::~ProgressReporter() {
    finish();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

void ProgressReporter::update(const QString& label, qint64 done, qint64 total) {
    if (interruptRequested)
        throw Interrupted{};
    if (m_quiet)
        return;
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (label != m_label) {
        finish();
        m_label = label;
        m_percent = -1;
    }
    // On a terminal the line is redrawn in place; in a log, one line per tenth keeps it short.
    const bool newTenth = m_percent < 0 || percent / 10 != m_percent / 10;
    if (percent == m_percent || (!m_terminal && !newTenth))
        return;
    m_percent = percent;
    const QByteArray text = QStringLiteral("%1: %2%").arg(label).arg(percent).toLocal8Bit();
    std::fprintf(stderr, m_terminal ? "\r%s" : "%s\n", text.constData());
    std::fflush(stderr);
    m_lineOpen = m_terminal;
}

void ProgressReporter::finish() {
    if (m_lineOpen)
        std::fputc('\n', stderr);
    m_lineOpen = false;
}

int ProgressReporter::run(const QString& command, const QString& output, const std::function<void()>& work) {
    QTextStream err(stderr);
    try {
        work();
        finish();
        return ExitOk;
    } catch (const Interrupted&) {
        finish();
        err << command << ": interrupted; " << output << " was not written\n";
        return ExitCancelled;
    } catch (const automation::AutomationError& error) {
        finish();
        err << command << ": " << error.description() << '\n';
    } catch (const std::exception& error) {
        finish();
        err << command << ": " << error.what() << '\n';
    }
    return ExitFailure;
}
