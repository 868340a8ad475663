#pragma once
// Progress bars and labels that late-bound callers hand to an export: objects reached by name,
// adapted to the export's progress and label interfaces.

#include "export/exportprogress.h"

#include "automation/dispatch.h"

#include <memory>

// A progress-bar object reached by name: its Max and Value properties.
class DispatchProgress : public ostrand::ExportProgress {
public:
    explicit DispatchProgress(std::shared_ptr<automation::Dispatch> bar) : m_bar(std::move(bar)) {}
    double Max() const override;
    double Value() const override;
    void setValue(double value) override;

private:
    std::shared_ptr<automation::Dispatch> m_bar;
};

// A label object reached by name: its Caption property.
class DispatchLabel : public ostrand::SampleLabel {
public:
    explicit DispatchLabel(std::shared_ptr<automation::Dispatch> label) : m_label(std::move(label)) {}
    void setCaption(const QString& caption) override;

private:
    std::shared_ptr<automation::Dispatch> m_label;
};

// The progress or label argument of a late-bound call: none for an empty argument or a
// reference to nothing, else the object adapted.
std::unique_ptr<ostrand::ExportProgress> progressArgument(const automation::Variant& argument);
std::unique_ptr<ostrand::SampleLabel> labelArgument(const automation::Variant& argument);
