#pragma once
// Checks of numeric text fields for the option dialogs and the batch driver: whether a text is a
// whole or decimal number within bounds, and reading a field with the message the user sees
// when it is not.

#include "shared_utils_export.h"

#include <QString>
#include <cstdint>

class QLineEdit;

namespace MNumberUtils {

// True when `text` is a whole number from `minimum` to `maximum`. The text converted to a 16-bit
// integer (halves rounded to even) is stored in `value` whenever that conversion succeeds.
SHARED_UTILS_EXPORT bool IsIntegerInRange(const QString& text, std::int16_t minimum, std::int16_t maximum,
                                          std::int16_t& value);
// The field's whole number; otherwise focuses the field, selects its text and raises the
// system's error "This field must be an integer between <minimum> and <maximum>."
SHARED_UTILS_EXPORT std::int16_t GetIntegerFromTextBox(QLineEdit& textBox, std::int16_t minimum,
                                                       std::int16_t maximum);

// True when `text` is a number from `minimum` to `maximum`; the number is stored in `value`
// whenever the text converts.
SHARED_UTILS_EXPORT bool IsNumberInRange(const QString& text, double minimum, double maximum, double& value);
// The field's number; otherwise focuses the field, selects its text and raises the system's
// error "This field must be a number between <minimum> and <maximum>."
SHARED_UTILS_EXPORT double GetNumberFromTextBox(QLineEdit& textBox, double minimum, double maximum);

} // namespace MNumberUtils
