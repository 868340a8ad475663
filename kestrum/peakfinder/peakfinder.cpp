#include "kestrum/peakfinder/peakfinder.h"

#include "kestrum/centroidablespectrum.h"
#include "kestrum/kestrumerror.h"

#include <algorithm>
#include <cmath>

namespace kestrum {

namespace {

[[noreturn]] void raise(const QString& description) {
    throw KestrumError::system(description, QStringLiteral("PeakFinder"));
}

bool allFinite(const std::vector<double>& values) {
    return std::all_of(values.begin(), values.end(), [](double value) { return std::isfinite(value); });
}

} // namespace

PeakFinder::PeakFinder() = default;
PeakFinder::~PeakFinder() = default;

std::shared_ptr<PeakList> PeakFinder::FindPeaks(int mode, const SpectrumData& spectrum, int maxPeaks,
                                                double lowMz, double highMz, const QString& options) {
    if (mode != massSpectrumMode)
        raise(QStringLiteral("The peak finder has no mode %1; mode 1 finds the peaks of a mass spectrum.")
                  .arg(mode));
    // A NaN never compares higher or lower, so a search over it would never end.
    if (!allFinite(spectrum.mzValues()) || !allFinite(spectrum.intensities()))
        raise(
            QStringLiteral("The peak finder cannot search a spectrum with an m/z or intensity that is not a "
                           "finite number."));
    // Callers pass the same options for spectrum after spectrum; they are read once.
    if (!m_optionsRead || options != m_optionsText) {
        m_options = PeakFinderOptions::fromText(options);
        m_optionsText = options;
        m_optionsRead = true;
    }
    return FindPeaks(spectrum, m_options, maxPeaks, lowMz, highMz);
}

std::shared_ptr<PeakList> PeakFinder::FindPeaks(const SpectrumData& spectrum,
                                                const PeakFinderOptions& options, int maxPeaks, double lowMz,
                                                double highMz) {
    const std::vector<double>& x = spectrum.mzValues();
    const auto first = lowMz > 0 ? std::lower_bound(x.begin(), x.end(), lowMz) : x.begin();
    const auto last = highMz > 0 ? std::upper_bound(first, x.end(), highMz) : x.end();
    const auto offset = static_cast<std::size_t>(first - x.begin());
    const auto count = static_cast<std::size_t>(last - first);
    const std::span<const double> mz(x.data() + offset, count);
    const std::span<const double> intensity(spectrum.intensities().data() + offset, count);

    const auto* centroidable = dynamic_cast<const CentroidableSpectrum*>(&spectrum);
    const bool centroided =
        (centroidable && centroidable->IsCentroided()) || !PeakFinderAlgorithm::looksLikeProfile(mz);
    std::vector<Peak> peaks = m_algorithm.findPeaks(mz, intensity, centroided, options);

    if (maxPeaks >= 0 && static_cast<std::size_t>(maxPeaks) < peaks.size()) {
        // Keeps the highest peaks, still in ascending m/z.
        std::vector<Peak> highest = peaks;
        std::nth_element(highest.begin(), highest.begin() + maxPeaks, highest.end(),
                         [](const Peak& a, const Peak& b) { return a.height > b.height; });
        const double cutoff = highest[static_cast<std::size_t>(maxPeaks)].height;
        std::erase_if(peaks, [cutoff](const Peak& p) { return p.height <= cutoff; });
    }
    return std::make_shared<PeakList>(std::move(peaks), m_algorithm.tolerance());
}

} // namespace kestrum
