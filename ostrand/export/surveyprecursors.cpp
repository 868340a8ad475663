#include "surveyprecursors.h"

#include "mmathutils.h"

#include "kestrum/peakfinder/isotopeclusterer.h"
#include "kestrum/peakfinder/peaklist.h"
#include "kestrum/spectrumdata.h"

#include <algorithm>
#include <cmath>

namespace ostrand {

namespace {

// A survey peak this close to a product scan's recorded precursor m/z is taken as that precursor.
constexpr double surveyPeakWindow = 0.1;
// Instruments select the most intense isotope peak, which for peptides of up to about 4500 Da is
// the first, second or third of the cluster. A cluster that seems to start further below the
// selected peak more likely took in a neighbouring ion's peaks.
constexpr int furthestIsotopeSelected = 2;

bool within(double a, double b, double accuracy) {
    return std::abs(a - b) <= accuracy;
}

} // namespace

bool PrecursorIon::differsFrom(const PrecursorIon& other) const {
    if (!known() || !other.known())
        return false;
    if (charge != 0 && other.charge != 0 && charge != other.charge)
        return true;
    const double tolerance = std::max(accuracy, other.accuracy);
    return !within(selectedMz, other.selectedMz, tolerance) &&
           !within(monoisotopicMz, other.monoisotopicMz, tolerance);
}

SurveyPrecursors::SurveyPrecursors() = default;
SurveyPrecursors::~SurveyPrecursors() = default;

void SurveyPrecursors::findPeaks(const kestrum::SpectrumData& survey) {
    m_peaks = survey.PointCount() == 0 ? nullptr : MMathUtils::FindPeaksNative(survey);
}

PrecursorIon SurveyPrecursors::ionAt(double recordedMz) const {
    if (!m_peaks)
        return {};
    const auto& peaks = m_peaks->peaks();
    const auto first = std::lower_bound(peaks.begin(), peaks.end(), recordedMz - surveyPeakWindow,
                                        [](const kestrum::Peak& peak, double mz) { return peak.mz < mz; });
    auto best = peaks.end();
    for (auto peak = first; peak != peaks.end() && peak->mz <= recordedMz + surveyPeakWindow; ++peak)
        if (best == peaks.end() || peak->area > best->area)
            best = peak;
    if (best == peaks.end())
        return {};
    PrecursorIon ion{best->mz, best->mz, static_cast<std::int16_t>(std::max(best->charge, 0)),
                     m_peaks->accuracyAt(best->mz)};
    if (ion.charge > 0 && !best->standsForItself) {
        const double isotopes =
            (best->mz - best->monoisotopicMz) * ion.charge / kestrum::IsotopeClusterer::isotopeSpacing;
        if (std::lround(isotopes) <= furthestIsotopeSelected)
            ion.monoisotopicMz = best->monoisotopicMz;
    }
    return ion;
}

} // namespace ostrand
