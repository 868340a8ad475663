#pragma once
// The export's progress and the name of the sample being exported, shown on the terminal's
// progress bar.

#include "common/terminalprogress.h"
#include "export/exportprogress.h"

class TerminalProgressBar : public ostrand::ExportProgress, public ostrand::SampleLabel {
public:
    explicit TerminalProgressBar(double max) : m_max(max) {}

    double Max() const override { return m_max; }
    double Value() const override { return m_value; }
    void setValue(double value) override {
        m_value = value;
        m_bar.update(m_caption, m_value, m_max);
    }
    void setCaption(const QString& caption) override {
        m_caption = caption;
        m_bar.update(m_caption, m_value, m_max);
    }

private:
    double m_max;
    double m_value = 0;
    QString m_caption;
    TerminalProgress m_bar{TerminalProgress::WhenNotATerminal::ShowNothing};
};
