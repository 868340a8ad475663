#include "peakproperties.h"

#include "automation/automationerror.h"

namespace kestrum {

automation::Variant PeakProperty(const PeakList& peaks, int index, int property) {
    switch (property) {
    case ChargeProperty:
        return automation::Variant(static_cast<std::int16_t>(peaks.PeakCharge(index)));
    case StandsForItselfProperty:
        return automation::Variant(peaks.StandsForItself(index));
    default:
        // The peak is checked first, so a wrong index is reported before a wrong property.
        peaks.PeakValue(index);
        throw automation::AutomationError(
            automation::SubscriptOutOfRange,
            QStringLiteral("A peak has no property %1; properties are 3 and 8.").arg(property),
            QStringLiteral("PeakList"));
    }
}

} // namespace kestrum
