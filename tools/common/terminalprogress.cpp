#include "terminalprogress.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

constexpr int barWidth = 30;

} // namespace

TerminalProgress::TerminalProgress(WhenNotATerminal otherwise)
    : m_terminal(isatty(STDERR_FILENO) != 0), m_otherwise(otherwise) {}

TerminalProgress::~TerminalProgress() {
    finish();
}

void TerminalProgress::update(const QString& caption, double done, double total) {
    const int percent = total > 0 ? static_cast<int>(std::clamp(done / total, 0.0, 1.0) * 100) : 100;
    const bool newCaption = caption != m_caption;
    QString line;
    if (m_terminal) {
        if (percent == m_percent && !newCaption)
            return;
        const int filled = percent * barWidth / 100;
        line = QStringLiteral("\r[%1%2] %3% %4\x1b[K")
                   .arg(QString(filled, QLatin1Char('#')), QString(barWidth - filled, QLatin1Char('.')))
                   .arg(percent, 3)
                   .arg(caption);
        m_lineOpen = true;
    } else {
        const bool newTenth = newCaption || m_percent < 0 || percent / 10 != m_percent / 10;
        if (m_otherwise == WhenNotATerminal::ShowNothing || !newTenth)
            return;
        line = QStringLiteral("%1: %2%\n").arg(caption).arg(percent);
    }
    m_caption = caption;
    m_percent = percent;
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

void TerminalProgress::finish() {
    if (m_lineOpen)
        std::fputc('\n', stderr);
    m_lineOpen = false;
}
