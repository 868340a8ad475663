#pragma once
// Finds the peaks of a profile spectrum. It measures the data's resolving power from its
// strongest peaks, smooths the profile over a fraction of a peak width (which also evens out the
// jagged sums of profiles recorded on slightly different m/z grids), estimates the noise, and
// reports every hill of the smoothed profile that rises far enough above it: centroid m/z at the
// chosen height percentage, height, and area between the hill's bounds.

#include "kestrum/peakfinder/noiseestimator.h"
#include "kestrum/peakfinder/peak.h"

#include "kestrum_peakfinder_export.h"

#include <span>
#include <vector>

namespace kestrum {

class KESTRUM_PEAKFINDER_EXPORT ProfilePeakDetector {
public:
    // Used when the spectrum has no peak clear enough to measure.
    static constexpr double defaultResolution = 10000;

    // Appends the peaks found, in ascending m/z, to `peaks`.
    void detect(std::span<const double> mz, std::span<const double> intensity, double heightPercent,
                double minSignalToNoise, std::vector<Peak>& peaks);

    // m/z divided by peak width at half height, as measured on the last spectrum.
    double resolution() const { return m_resolution; }

private:
    struct Hill {
        std::size_t left;  // the low point that bounds it on the left
        std::size_t apex;  // its highest smoothed point
        std::size_t right; // the low point that bounds it on the right
    };

    double measureResolution(std::span<const double> mz, std::span<const double> intensity);
    void smooth(std::span<const double> mz, std::span<const double> intensity);
    void findHills(std::size_t count);
    Peak describe(const Hill& hill, std::span<const double> mz, std::span<const double> intensity,
                  double heightPercent) const;

    double m_resolution = defaultResolution;
    NoiseEstimator m_noise;
    std::vector<double> m_smoothed;
    std::vector<double> m_weights;
    std::vector<Hill> m_hills;
    std::vector<NoiseEstimator::Apex> m_apexes;
    std::vector<std::size_t> m_maxima;
    std::vector<double> m_widths;
};

} // namespace kestrum
