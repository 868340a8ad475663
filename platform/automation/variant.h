#pragma once
// The values that cross the automation layer, with the conversions the system's callers rely on:
// Booleans are -1 when true, 16-bit Integers round halves to even and overflow outside their
// range, and number text always uses a full stop whatever the locale.

#include "numbers/numberconversion.h"
#include "platform_export.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

namespace automation {

class Dispatch;
class Variant;

// A one-dimensional array with any lower bound; elements keep the array's element type.
struct PLATFORM_EXPORT VariantArray {
    int lowerBound = 0;
    std::vector<Variant> items;

    int upperBound() const;
    // Element at a bound-relative index; raises "Subscript out of range" (9) outside the bounds.
    Variant& at(int index);
    const Variant& at(int index) const;
    bool operator==(const VariantArray& other) const;
};

class PLATFORM_EXPORT Variant {
public:
    enum class Type { Empty, Boolean, Integer, Long, Single, Double, String, Object, Array };

    Variant() = default;
    Variant(bool value) : m_value(value) {}
    Variant(std::int16_t value) : m_value(value) {}
    Variant(std::int32_t value) : m_value(value) {}
    Variant(float value) : m_value(value) {}
    Variant(double value) : m_value(value) {}
    Variant(QString value) : m_value(std::move(value)) {}
    Variant(const char* utf8) : m_value(QString::fromUtf8(utf8)) {}
    Variant(std::shared_ptr<Dispatch> object) : m_value(std::move(object)) {}
    Variant(VariantArray array) : m_value(std::move(array)) {}

    Type type() const { return static_cast<Type>(m_value.index()); }
    bool isEmpty() const { return type() == Type::Empty; }
    // True for an object reference, including a reference to nothing.
    bool isObject() const { return type() == Type::Object; }

    bool toBool() const;
    std::int16_t toInteger() const;
    std::int32_t toLong() const;
    float toSingle() const;
    double toDouble() const;
    QString toString() const;
    std::shared_ptr<Dispatch> toObject() const;
    const VariantArray& toArray() const;
    VariantArray& toArray();

    bool operator==(const Variant& other) const;

private:
    std::variant<std::monostate, bool, std::int16_t, std::int32_t, float, double, QString,
                 std::shared_ptr<Dispatch>, VariantArray>
        m_value;
};

} // namespace automation
