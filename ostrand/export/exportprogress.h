#pragma once
// What an export tells whoever watches it, as small interfaces that a window's progress bar and
// label, a terminal progress bar or a test can each serve: a bounded progress count, the name of
// the sample being exported, and a chance for pending user events (a Cancel click, an interrupt)
// to run once per step.

#include <QString>

namespace ostrand {

// A bounded progress count: the export reads Max and Value and raises Value by its steps.
class ExportProgress {
public:
    virtual ~ExportProgress() = default;
    virtual double Max() const = 0;
    virtual double Value() const = 0;
    virtual void setValue(double value) = 0;
};

// Shows the name of the sample being exported.
class SampleLabel {
public:
    virtual ~SampleLabel() = default;
    virtual void setCaption(const QString& caption) = 0;
};

// Lets work waiting on the exporting thread run once; the export calls it before every cycle.
class PendingEvents {
public:
    virtual ~PendingEvents() = default;
    virtual void process() = 0;
};

// Runs the application's pending events when an application object exists, nothing otherwise.
class ApplicationPendingEvents : public PendingEvents {
public:
    void process() override;
};

} // namespace ostrand
