#include "mnumberutils.h"

#include "errors/numberederror.h"
#include "numbers/numberconversion.h"

#include <QLineEdit>
#include <cmath>

namespace MNumberUtils {

namespace {

// Puts the user back on the field that holds a bad value, its text selected for retyping. A field
// with an accessible name is named in the message, so that it is clear which one is meant.
[[noreturn]] void rejectField(QLineEdit& textBox, const QString& kind, const QString& minimum,
                              const QString& maximum, const QString& hint = {}) {
    textBox.setFocus();
    textBox.selectAll();
    const QString name = textBox.accessibleName();
    const QString field =
        name.isEmpty() ? QStringLiteral("This field") : QStringLiteral("This field (%1)").arg(name);
    throw errors::NumberedError::system(
        QStringLiteral("%1 must be %2 between %3 and %4.").arg(field, kind, minimum, maximum) + hint);
}

// Numbers are written with a decimal point whatever the desktop's language: a comma gets a hint.
QString decimalPointHint(const QString& text) {
    if (!text.contains(QLatin1Char(',')))
        return {};
    return QStringLiteral(" Write decimals with a point: %1.").arg(QString(text).replace(u',', u'.'));
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
        rejectField(textBox, QStringLiteral("an integer"), QString::number(minimum),
                    QString::number(maximum));
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
        rejectField(textBox, QStringLiteral("a number"), numbers::numberText(minimum),
                    numbers::numberText(maximum), decimalPointHint(textBox.text()));
    return value;
}

} // namespace MNumberUtils
