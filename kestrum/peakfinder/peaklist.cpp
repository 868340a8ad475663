#include "kestrum/peakfinder/peaklist.h"

#include "automation/automationerror.h"

namespace kestrum {

namespace {

const QString source = QStringLiteral("PeakList");

} // namespace

PeakList::PeakList(std::vector<Peak> peaks) : m_peaks(std::move(peaks)) {}

int PeakList::PeakCount() const {
    return static_cast<int>(m_peaks.size());
}

const Peak& PeakList::peakAt(int index) const {
    if (index < 1 || index > PeakCount())
        throw automation::AutomationError(
            automation::SubscriptOutOfRange,
            QStringLiteral("Peak %1 is outside the peak list's peaks 1 to %2.").arg(index).arg(PeakCount()),
            source);
    return m_peaks[static_cast<std::size_t>(index - 1)];
}

double PeakList::PeakField(int index, int field) const {
    const Peak& peak = peakAt(index);
    switch (field) {
    case CentroidField:
        return peak.mz;
    case HeightField:
        return peak.height;
    case SignalToNoiseField:
        return peak.signalToNoise;
    case AreaField:
        return peak.area;
    case MonoisotopicMzField:
        return peak.monoisotopicMz;
    default:
        throw automation::AutomationError(
            automation::SubscriptOutOfRange,
            QStringLiteral("A peak has no field %1; fields are 0, 1, 2, 4 and 6.").arg(field), source);
    }
}

automation::Variant PeakList::PeakProperty(int index, int property) const {
    const Peak& peak = peakAt(index);
    switch (property) {
    case ChargeProperty:
        return automation::Variant(static_cast<std::int16_t>(peak.charge));
    case StandsForItselfProperty:
        return automation::Variant(peak.standsForItself);
    default:
        throw automation::AutomationError(
            automation::SubscriptOutOfRange,
            QStringLiteral("A peak has no property %1; properties are 3 and 8.").arg(property), source);
    }
}

std::pair<double, double> PeakList::PeakValue(int index) const {
    const Peak& peak = peakAt(index);
    return {peak.mz, peak.height};
}

} // namespace kestrum
