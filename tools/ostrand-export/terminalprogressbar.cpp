#include "terminalprogressbar.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr int barWidth = 30;

} // namespace

TerminalProgressBar::~TerminalProgressBar() {
    finish();
}

void TerminalProgressBar::setValue(double value) {
    m_value = value;
    const int percent = m_max > 0 ? static_cast<int>(std::clamp(value / m_max, 0.0, 1.0) * 100) : 0;
    // Redrawing only when the percentage changes keeps a long export from flooding the terminal.
    if (percent == m_drawnPercent)
        return;
    m_drawnPercent = percent;
    draw();
}

void TerminalProgressBar::setCaption(const QString& caption) {
    m_caption = caption;
    draw();
}

void TerminalProgressBar::draw() {
    const int percent = std::max(m_drawnPercent, 0);
    const int filled = percent * barWidth / 100;
    const QString line =
        QStringLiteral("\r[%1%2] %3% %4\x1b[K")
            .arg(QString(filled, QLatin1Char('#')), QString(barWidth - filled, QLatin1Char('.')))
            .arg(percent, 3)
            .arg(m_caption);
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    m_lineOpen = true;
}

void TerminalProgressBar::finish() {
    if (m_lineOpen)
        std::fputc('\n', stderr);
    m_lineOpen = false;
}
