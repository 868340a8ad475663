#include "variant.h"

#include "automationerror.h"
#include "dispatch.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace automation {

namespace {

[[noreturn]] void typeMismatch() {
    throw AutomationError::standard(TypeMismatch);
}

template <typename Int> Int checkedRound(double value) {
    if (std::isnan(value))
        throw AutomationError::standard(Overflow);
    const double rounded = roundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        throw AutomationError::standard(Overflow);
    return static_cast<Int>(rounded);
}

std::optional<bool> parseBooleanWord(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return std::nullopt;
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

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

QString numberText(double value, int significantDigits) {
    if (value == 0.0)
        return QStringLiteral("0");
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significantDigits);
    std::string text(buffer, result.ptr);
    // to_chars writes "1e+20"; the system writes "1E+20".
    if (const auto e = text.find('e'); e != std::string::npos)
        text[e] = 'E';
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

double parseNumber(const QString& text) {
    const QByteArray latin = text.trimmed().toLatin1();
    const char* begin = latin.constData();
    const char* end = begin + latin.size();
    if (begin != end && *begin == '+')
        ++begin;
    if (begin == end || *begin == '+')
        typeMismatch();
    double value = 0;
    const auto result = std::from_chars(begin, end, value);
    if (result.ec == std::errc::result_out_of_range)
        throw AutomationError::standard(Overflow);
    if (result.ec != std::errc() || result.ptr != end || std::isnan(value) || std::isinf(value))
        typeMismatch();
    return value;
}

bool Variant::toBool() const {
    switch (type()) {
    case Type::Empty:
        return false;
    case Type::Boolean:
        return std::get<bool>(m_value);
    case Type::String: {
        const QString& text = std::get<QString>(m_value);
        if (const auto word = parseBooleanWord(text))
            return *word;
        return parseNumber(text) != 0.0;
    }
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
    return checkedRound<std::int16_t>(toDouble());
}

std::int32_t Variant::toLong() const {
    if (type() == Type::Long)
        return std::get<std::int32_t>(m_value);
    return checkedRound<std::int32_t>(toDouble());
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
    case Type::String: {
        const QString& text = std::get<QString>(m_value);
        if (const auto word = parseBooleanWord(text))
            return *word ? -1.0 : 0.0;
        return parseNumber(text);
    }
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
        return std::get<bool>(m_value) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Integer:
        return QString::number(std::get<std::int16_t>(m_value));
    case Type::Long:
        return QString::number(std::get<std::int32_t>(m_value));
    case Type::Single:
        return numberText(std::get<float>(m_value), 7);
    case Type::Double:
        return numberText(std::get<double>(m_value), 15);
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
