#pragma once
// What an export tells whoever watches it, as small interfaces that a window's progress bar and
// label, a terminal progress bar or a test can each serve: a bounded progress count, the name of
// the sample being exported, and a chance for pending user events (a Cancel click, an interrupt)
// to run once per step. Late-bound objects with Max/Value and Caption properties are adapted too.

#include <QString>
#include <memory>

namespace automation {
class Dispatch;
class Variant;
} // namespace automation

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

// A progress-bar object reached by name: its Max and Value properties.
class DispatchProgress : public ExportProgress {
public:
    explicit DispatchProgress(std::shared_ptr<automation::Dispatch> bar) : m_bar(std::move(bar)) {}
    double Max() const override;
    double Value() const override;
    void setValue(double value) override;

private:
    std::shared_ptr<automation::Dispatch> m_bar;
};

// A label object reached by name: its Caption property.
class DispatchLabel : public SampleLabel {
public:
    explicit DispatchLabel(std::shared_ptr<automation::Dispatch> label) : m_label(std::move(label)) {}
    void setCaption(const QString& caption) override;

private:
    std::shared_ptr<automation::Dispatch> m_label;
};

// The progress or label argument of a late-bound call: none for an empty argument or a
// reference to nothing, else the object adapted.
std::unique_ptr<ExportProgress> progressArgument(const automation::Variant& argument);
std::unique_ptr<SampleLabel> labelArgument(const automation::Variant& argument);
