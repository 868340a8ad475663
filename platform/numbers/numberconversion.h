#pragma once
// The system's conversions between numbers and text, shared by the automation layer's values and
// by plain code that reads settings or writes query files: number text always uses a full stop
// whatever the locale, whole numbers round halves to even and overflow outside their range, and
// "True"/"False" count as -1 and 0.

#include "errors/numberederror.h"
#include "platform_export.h"

#include <QString>
#include <cmath>
#include <cstdint>
#include <limits>

namespace numbers {

// Number text as the system writes it: the shortest form with at most `significantDigits`
// significant digits, a full stop as decimal separator and "E+NN" for large or small magnitudes.
PLATFORM_EXPORT QString numberText(double value, int significantDigits = 15);
// Parses number text written with a full stop; surrounding blanks are allowed. Raises
// "Type mismatch" (13) for anything that is not a number.
PLATFORM_EXPORT double parseNumber(const QString& text);
// Rounds to the nearest whole number, halves to the even neighbour.
PLATFORM_EXPORT double roundHalfEven(double value);

// Text as a number: "True" is -1, "False" 0, anything else number text.
PLATFORM_EXPORT double textToDouble(const QString& text);
// Text as a Boolean: "True"/"False", or number text that is not 0.
PLATFORM_EXPORT bool textToBool(const QString& text);
// "True" or "False".
PLATFORM_EXPORT QString booleanText(bool value);

// A number as a whole number of type Int, halves to even; raises "Overflow" (6) outside its range.
template <typename Int> Int checkedRound(double value) {
    if (std::isnan(value))
        throw errors::NumberedError::standard(errors::Overflow);
    const double rounded = roundHalfEven(value);
    if (rounded < static_cast<double>(std::numeric_limits<Int>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<Int>::max()))
        throw errors::NumberedError::standard(errors::Overflow);
    return static_cast<Int>(rounded);
}

// Text as a 16-bit whole number, as settings store them.
inline std::int16_t textToInteger(const QString& text) {
    return checkedRound<std::int16_t>(textToDouble(text));
}

// Text as a 32-bit whole number, as settings store choices.
inline std::int32_t textToLong(const QString& text) {
    return checkedRound<std::int32_t>(textToDouble(text));
}

} // namespace numbers
