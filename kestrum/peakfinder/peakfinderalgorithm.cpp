#include "kestrum/peakfinder/peakfinderalgorithm.h"

#include "kestrum/kestrumerror.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace kestrum {

namespace {

// Centroids of a peak are good to a fraction of its width; isotope peaks are searched within
// this share of the width at half height. Weak peaks are centroided from a few ions only, which
// puts their centroids up to this far from where their isotope spacing says.
constexpr double toleranceShareOfWidth = 0.4;
// Isotope peaks closer than this share of the width at half height are not resolved.
constexpr double resolvedShareOfWidth = 1.2;
// Neighbouring profile points of a peak sit closer than this (parts per million of the m/z).
constexpr double profileSpacingPpm = 300;
constexpr std::size_t spacingsSampled = 512;
// Peak lists of high-resolution data put isotope peaks within a few thousandths of 1.00335; of
// low-resolution data, within about a tenth.
constexpr double highResolutionWindow = 0.01;
constexpr double lowResolutionWindow = 0.1;
constexpr double highResolutionPpm = 15;
constexpr double highResolutionAbsolute = 0.002;
constexpr int fewestIsotopePairs = 5;
// A profile peak below the signal-to-noise cut is still a peak when an isotope peak stands beside
// it, down to this share of the cut: two hills one isotope spacing apart with the intensities of
// a peptide's pattern are seldom noise, and weak fragments are what identifies weak spectra. The
// isotope peaks of a weak fragment are weaker still (a singly charged one below m/z 1000 has a
// second peak a quarter to a half as high as its first), so they are looked for, and kept with
// their cluster, down to here.
constexpr double isotopeEvidenceShare = 0.1;
// Where weak hills crowd the spectrum (a profile that keeps its noise), any of them has another one
// an isotope spacing away by chance: isotope evidence then counts for nothing. It counts while a
// weak hill expects fewer than this many chance partners over all charges searched.
constexpr double chancePartnersAllowed = 0.1;
// Crowding is judged on the weak hills that rise at least this share of the way to the cut: in
// ion-counting data the faint hills below them lie everywhere, yet seldom follow an isotope
// pattern's intensities, and counting them would call every spectrum crowded.
constexpr double crowdingShare = 0.5;

bool isWeak(const Peak& peak, double minSignalToNoise) {
    return peak.signalToNoise > 0 && peak.signalToNoise < minSignalToNoise;
}

} // namespace

PeakFinderAlgorithm::PeakFinderAlgorithm() = default;
PeakFinderAlgorithm::~PeakFinderAlgorithm() = default;

bool PeakFinderAlgorithm::looksLikeProfile(std::span<const double> mz) {
    if (mz.size() < 3)
        return false;
    // Spacings spread evenly over the spectrum tell as well as all of them.
    const std::size_t spacings = mz.size() - 1;
    const std::size_t step = std::max<std::size_t>(1, spacings / spacingsSampled);
    std::size_t close = 0;
    std::size_t sampled = 0;
    for (std::size_t i = 1; i < mz.size(); i += step, ++sampled)
        if ((mz[i] - mz[i - 1]) * 1e6 < profileSpacingPpm * mz[i])
            ++close;
    return 2 * close > sampled;
}

IsotopeTolerance PeakFinderAlgorithm::centroidedTolerance() const {
    // Compares how many peaks have a partner one isotope spacing above them within a narrow
    // window with how many fall in the wider one around it: accurate data crowd the narrow one.
    int narrow = 0;
    int wide = 0;
    for (std::size_t i = 0; i < m_peaks.size(); ++i) {
        const double target = m_peaks[i].mz + IsotopeClusterer::isotopeSpacing;
        double nearest = lowResolutionWindow;
        for (std::size_t j = i + 1; j < m_peaks.size() && m_peaks[j].mz <= target + lowResolutionWindow; ++j)
            nearest = std::min(nearest, std::abs(m_peaks[j].mz - target));
        if (nearest <= highResolutionWindow)
            ++narrow;
        else if (nearest < lowResolutionWindow)
            ++wide;
    }
    const double narrowDensity = narrow / highResolutionWindow;
    const double wideDensity = wide / (lowResolutionWindow - highResolutionWindow);
    if (narrow >= fewestIsotopePairs && narrowDensity >= 4 * wideDensity)
        return {highResolutionAbsolute, highResolutionPpm * 1e-6, 0};
    return {lowResolutionWindow, 0, 0};
}

bool PeakFinderAlgorithm::weakHillsCrowd(const IsotopeTolerance& tolerance,
                                         const PeakFinderOptions& options) const {
    const double minimum = options.minSignalToNoise;
    const auto crowding = std::count_if(m_peaks.begin(), m_peaks.end(), [minimum](const Peak& peak) {
        return isWeak(peak, minimum) && peak.signalToNoise >= crowdingShare * minimum;
    });
    if (crowding == 0)
        return false;
    const double middleMz = (m_peaks.front().mz + m_peaks.back().mz) / 2;
    const double span = std::max(m_peaks.back().mz - m_peaks.front().mz, 1.0);
    const double chancePartners =
        static_cast<double>(crowding) / span * 2 * tolerance.at(middleMz) * options.chargeLimit();
    return chancePartners > chancePartnersAllowed;
}

const std::vector<Peak>& PeakFinderAlgorithm::findPeaks(std::span<const double> mz,
                                                        std::span<const double> intensity, bool centroided,
                                                        const PeakFinderOptions& options) {
    if (mz.size() != intensity.size())
        throw KestrumError::system(
            QStringLiteral("Peak finder: the spectrum has %1 m/z values but %2 intensities.")
                .arg(mz.size())
                .arg(intensity.size()),
            QStringLiteral("PeakFinder"));
    m_peaks.clear();
    IsotopeTolerance& tolerance = m_tolerance;
    if (centroided) {
        m_resolution = 0;
        for (std::size_t i = 0; i < mz.size(); ++i)
            if (intensity[i] > 0)
                m_peaks.push_back({mz[i], intensity[i], intensity[i], 0, mz[i], true, 0, false});
        tolerance = centroidedTolerance();
    } else {
        m_profile.detect(mz, intensity, options.heightPercent,
                         options.minSignalToNoise * isotopeEvidenceShare, m_peaks);
        m_resolution = m_profile.resolution();
        tolerance = {0, toleranceShareOfWidth / m_resolution, resolvedShareOfWidth / m_resolution};
    }
    const double minimum = options.minSignalToNoise;
    const auto weak = [minimum](const Peak& peak) { return isWeak(peak, minimum); };
    // Where isotope evidence counts for nothing, the weak hills go before clusters are formed (set
    // aside as lone peaks when asked for).
    m_setAside.clear();
    if (!centroided && weakHillsCrowd(tolerance, options)) {
        if (options.reportWeakLonePeaks)
            std::copy_if(m_peaks.begin(), m_peaks.end(), std::back_inserter(m_setAside), weak);
        std::erase_if(m_peaks, weak);
    }
    m_clusterer.assign(m_peaks, tolerance, options.chargeLimit());
    // Weak peaks stay only as members of an isotope cluster, which keeps every cluster whole, or
    // flagged for callers that weigh other evidence.
    const auto lone = [&weak](const Peak& peak) { return peak.charge == 0 && weak(peak); };
    if (!options.reportWeakLonePeaks) {
        std::erase_if(m_peaks, lone);
        return m_peaks;
    }
    for (Peak& peak : m_peaks)
        peak.lacksEvidence = lone(peak);
    if (!m_setAside.empty()) {
        for (Peak& peak : m_setAside)
            peak.lacksEvidence = true;
        m_merged.clear();
        std::merge(m_peaks.begin(), m_peaks.end(), m_setAside.begin(), m_setAside.end(),
                   std::back_inserter(m_merged), [](const Peak& a, const Peak& b) { return a.mz < b.mz; });
        std::swap(m_peaks, m_merged);
    }
    return m_peaks;
}

} // namespace kestrum
