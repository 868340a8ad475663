#include "kestrum/peakfinder/peakfinderoptions.h"

#include "kestrum/kestrumerror.h"

#include <QStringList>

#include <algorithm>
#include <limits>
#include <type_traits>

namespace kestrum {

namespace {

constexpr int highestSupportedCharge = 10;

[[noreturn]] void rejectField(int field, const QString& value, const QString& expected) {
    throw KestrumError::system(
        QStringLiteral("Peak finder options: field %1 (\"%2\") must be %3.").arg(field).arg(value, expected),
        QStringLiteral("PeakFinderOptions"));
}

// Field `field` (from 1) as a number of type T between `low` and `high`.
template <typename T>
T numericField(const QStringList& fields, int field, T low, T high, const QString& expected) {
    const QString text = fields.at(field - 1).trimmed();
    bool ok = false;
    T value;
    if constexpr (std::is_integral_v<T>)
        value = text.toInt(&ok);
    else
        value = text.toDouble(&ok);
    if (!ok || value < low || value > high)
        rejectField(field, text, expected);
    return value;
}

} // namespace

QString PeakFinderOptions::toText() const {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(QString::number(heightPercent, 'g', 15))
        .arg(chargeState)
        .arg(QString::number(minSignalToNoise, 'g', 15))
        .arg(maxCharge);
}

void PeakFinderOptions::setChargeState(int charge) {
    // Precursors may carry more charges than a fragment cluster can show; such a bound means
    // "any charge we can tell apart".
    chargeState = std::min(charge, highestSupportedCharge);
}

PeakFinderOptions PeakFinderOptions::fromText(const QString& text) {
    PeakFinderOptions options;
    if (text.trimmed().isEmpty())
        return options;
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() > 4)
        rejectField(5, fields.at(4), QStringLiteral("absent: the options have four fields"));
    const int charges = highestSupportedCharge;
    options.heightPercent =
        numericField<double>(fields, 1, 1, 99, QStringLiteral("a percentage from 1 to 99"));
    if (fields.size() >= 2)
        options.setChargeState(numericField<int>(fields, 2, 0, std::numeric_limits<int>::max(),
                                                 QStringLiteral("a charge state of 0 or more")));
    if (fields.size() >= 3)
        options.minSignalToNoise =
            numericField<double>(fields, 3, 0, 1e6, QStringLiteral("a ratio of 0 or more"));
    if (fields.size() >= 4)
        options.maxCharge =
            numericField<int>(fields, 4, 1, charges, QStringLiteral("a charge from 1 to %1").arg(charges));
    return options;
}

} // namespace kestrum
