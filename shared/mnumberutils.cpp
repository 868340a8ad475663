#include "mnumberutils.h"

#include "errors/numberederror.h"
#include "numbers/numberconversion.h"

#include <QLineEdit>
#include <cmath>

namespace MNumberUtils {

namespace {

// Puts the user back on the field that holds a bad value, its text selected for retyping; the
// message names the field by its accessible name.
[[noreturn]] void rejectField(QLineEdit& textBox, bool whole, const QString& minimum,
                              const QString& maximum) {
    textBox.setFocus();
    textBox.selectAll();
    throw errors::NumberedError::system(
        numbers::rangeRefusal(textBox.accessibleName(), whole, minimum, maximum, textBox.text()));
}

} // namespace

bool IsIntegerInRange(const QString& text, std::int16_t minimum, std::int16_t maximum, std::int16_t& value) {
    try {
        const double number = numbers::textToDouble(text);
        // The integer conversion rounds, so a fractional text differs from its double.
        value = numbers::checkedRound<std::int16_t>(number);
        return std::fabs(value - number) <= 1e-16 && minimum <= value && value <= maximum;
    } catch (const errors::NumberedError&) {
        return false;
    }
}

std::int16_t GetIntegerFromTextBox(QLineEdit& textBox, std::int16_t minimum, std::int16_t maximum) {
    std::int16_t value = 0;
    if (!IsIntegerInRange(textBox.text(), minimum, maximum, value))
        rejectField(textBox, true, QString::number(minimum), QString::number(maximum));
    return value;
}

bool IsNumberInRange(const QString& text, double minimum, double maximum, double& value) {
    try {
        value = numbers::textToDouble(text);
        return minimum <= value && value <= maximum;
    } catch (const errors::NumberedError&) {
        return false;
    }
}

double GetNumberFromTextBox(QLineEdit& textBox, double minimum, double maximum) {
    double value = 0;
    if (!IsNumberInRange(textBox.text(), minimum, maximum, value))
        rejectField(textBox, false, numbers::numberText(minimum), numbers::numberText(maximum));
    return value;
}

} // namespace MNumberUtils
