#include "variant.h"

#include "automationerror.h"
#include "dispatch.h"

#include <cmath>
#include <limits>

namespace automation {

namespace {

[[noreturn]] void typeMismatch() {
    throw AutomationError::standard(TypeMismatch);
}

} // namespace

int VariantArray::upperBound() const {
    return lowerBound + static_cast<int>(items.size()) - 1;
}

Variant& VariantArray::at(int index) {
    if (index < lowerBound || index > upperBound())
        throw AutomationError::standard(SubscriptOutOfRange);
    return items[static_cast<std::size_t>(index - lowerBound)];
}

const Variant& VariantArray::at(int index) const {
    return const_cast<VariantArray*>(this)->at(index);
}

bool Variant::toBool() const {
    switch (type()) {
    case Type::Empty:
        return false;
    case Type::Boolean:
        return std::get<bool>(m_value);
    case Type::String:
        return numbers::textToBool(std::get<QString>(m_value));
    case Type::Object:
    case Type::Array:
        typeMismatch();
    default:
        return toDouble() != 0.0;
    }
}

std::int16_t Variant::toInteger() const {
    if (type() == Type::Integer)
        return std::get<std::int16_t>(m_value);
    return numbers::checkedRound<std::int16_t>(toDouble());
}

std::int32_t Variant::toLong() const {
    if (type() == Type::Long)
        return std::get<std::int32_t>(m_value);
    return numbers::checkedRound<std::int32_t>(toDouble());
}

float Variant::toSingle() const {
    const double value = toDouble();
    if (std::fabs(value) > static_cast<double>(std::numeric_limits<float>::max()))
        throw AutomationError::standard(Overflow);
    return static_cast<float>(value);
}

double Variant::toDouble() const {
    switch (type()) {
    case Type::Empty:
        return 0.0;
    case Type::Boolean:
        return std::get<bool>(m_value) ? -1.0 : 0.0;
    case Type::Integer:
        return std::get<std::int16_t>(m_value);
    case Type::Long:
        return std::get<std::int32_t>(m_value);
    case Type::Single:
        return std::get<float>(m_value);
    case Type::Double:
        return std::get<double>(m_value);
    case Type::String:
        return numbers::textToDouble(std::get<QString>(m_value));
    case Type::Object:
    case Type::Array:
        break;
    }
    typeMismatch();
}

QString Variant::toString() const {
    switch (type()) {
    case Type::Empty:
        return {};
    case Type::Boolean:
        return numbers::booleanText(std::get<bool>(m_value));
    case Type::Integer:
        return QString::number(std::get<std::int16_t>(m_value));
    case Type::Long:
        return QString::number(std::get<std::int32_t>(m_value));
    case Type::Single:
        return numbers::numberText(std::get<float>(m_value), 7);
    case Type::Double:
        return numbers::numberText(std::get<double>(m_value), 15);
    case Type::String:
        return std::get<QString>(m_value);
    case Type::Object:
    case Type::Array:
        break;
    }
    typeMismatch();
}

std::shared_ptr<Dispatch> Variant::toObject() const {
    if (type() != Type::Object)
        typeMismatch();
    return std::get<std::shared_ptr<Dispatch>>(m_value);
}

const VariantArray& Variant::toArray() const {
    if (type() != Type::Array)
        typeMismatch();
    return std::get<VariantArray>(m_value);
}

VariantArray& Variant::toArray() {
    if (type() != Type::Array)
        typeMismatch();
    return std::get<VariantArray>(m_value);
}

bool VariantArray::operator==(const VariantArray& other) const {
    return lowerBound == other.lowerBound && items == other.items;
}

bool Variant::operator==(const Variant& other) const {
    return m_value == other.m_value;
}

} // namespace automation
