#include "kestrum/peakfinder/peaklist.h"

#include "kestrum/kestrumerror.h"

namespace kestrum {

namespace {

const QString source = QStringLiteral("PeakList");

} // namespace

PeakList::PeakList(std::vector<Peak> peaks, IsotopeTolerance accuracy)
    : m_peaks(std::move(peaks)), m_accuracy(accuracy) {}

int PeakList::PeakCount() const {
    return static_cast<int>(m_peaks.size());
}

const Peak& PeakList::peakAt(int index) const {
    if (index < 1 || index > PeakCount())
        throw KestrumError(
            errors::SubscriptOutOfRange,
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
        throw KestrumError(errors::SubscriptOutOfRange,
                           QStringLiteral("A peak has no field %1; fields are 0, 1, 2, 4 and 6.").arg(field),
                           source);
    }
}

int PeakList::PeakCharge(int index) const {
    return peakAt(index).charge;
}

bool PeakList::StandsForItself(int index) const {
    return peakAt(index).standsForItself;
}

std::pair<double, double> PeakList::PeakValue(int index) const {
    const Peak& peak = peakAt(index);
    return {peak.mz, peak.height};
}

} // namespace kestrum
