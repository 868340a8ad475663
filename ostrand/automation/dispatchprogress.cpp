#include "dispatchprogress.h"

double DispatchProgress::Max() const {
    return m_bar->call(QStringLiteral("Max")).toDouble();
}

double DispatchProgress::Value() const {
    return m_bar->call(QStringLiteral("Value")).toDouble();
}

void DispatchProgress::setValue(double value) {
    m_bar->put(QStringLiteral("Value"), automation::Variant(value));
}

void DispatchLabel::setCaption(const QString& caption) {
    m_label->put(QStringLiteral("Caption"), automation::Variant(caption));
}

namespace {

std::shared_ptr<automation::Dispatch> objectOrNothing(const automation::Variant& argument) {
    return argument.isObject() ? argument.toObject() : nullptr;
}

} // namespace

std::unique_ptr<ostrand::ExportProgress> progressArgument(const automation::Variant& argument) {
    auto bar = objectOrNothing(argument);
    return bar ? std::make_unique<DispatchProgress>(std::move(bar)) : nullptr;
}

std::unique_ptr<ostrand::SampleLabel> labelArgument(const automation::Variant& argument) {
    auto label = objectOrNothing(argument);
    return label ? std::make_unique<DispatchLabel>(std::move(label)) : nullptr;
}
