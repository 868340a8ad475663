#pragma once
// The export's progress as a bar redrawn in place on a terminal's stderr, with the name of the
// sample being exported beside it.

#include "export/exportprogress.h"

class TerminalProgressBar : public ostrand::ExportProgress, public ostrand::SampleLabel {
public:
    explicit TerminalProgressBar(double max) : m_max(max) {}
    ~TerminalProgressBar() override;
    TerminalProgressBar(const TerminalProgressBar&) = delete;
    TerminalProgressBar& operator=(const TerminalProgressBar&) = delete;

    double Max() const override { return m_max; }
    double Value() const override { return m_value; }
    void setValue(double value) override;
    void setCaption(const QString& caption) override;
    // Ends the bar's line, so that later messages start on a line of their own.
    void finish();

private:
    void draw();

    double m_max;
    double m_value = 0;
    QString m_caption;
    int m_drawnPercent = -1;
    bool m_lineOpen = false;
};
