#pragma once
// The peak finder's work on plain arrays: profile spectra are centroided, centroided spectra give
// one peak per point, and the peaks of both are then grouped into isotope clusters with charges.
// Buffers are kept between calls, so one object serves many spectra without reallocating.

#include "kestrum/peakfinder/isotopeclusterer.h"
#include "kestrum/peakfinder/peak.h"
#include "kestrum/peakfinder/peakfinderoptions.h"
#include "kestrum/peakfinder/profilepeakdetector.h"

#include "kestrum_peakfinder_export.h"

#include <span>
#include <vector>

namespace kestrum {

class KESTRUM_PEAKFINDER_EXPORT PeakFinderAlgorithm {
public:
    PeakFinderAlgorithm();
    ~PeakFinderAlgorithm();

    // Peaks in ascending m/z; m/z values must ascend. The result stays valid until the next call.
    const std::vector<Peak>& findPeaks(std::span<const double> mz, std::span<const double> intensity,
                                       bool centroided, const PeakFinderOptions& options);

    // Whether points this far apart are a profile rather than a peak list, for spectra that do
    // not say which they hold.
    static bool looksLikeProfile(std::span<const double> mz);

    // Resolving power measured on the last profile spectrum, 0 after a centroided one.
    double resolution() const { return m_resolution; }
    // How far the last spectrum's isotope peaks were searched from where their spacing puts them:
    // the accuracy of its centroids.
    const IsotopeTolerance& tolerance() const { return m_tolerance; }

private:
    IsotopeTolerance centroidedTolerance() const;
    // Whether the weak profile hills lie so close together that any of them would find an isotope
    // partner by chance (a profile that keeps its noise).
    bool weakHillsCrowd(const IsotopeTolerance& tolerance, const PeakFinderOptions& options) const;

    ProfilePeakDetector m_profile;
    IsotopeClusterer m_clusterer;
    std::vector<Peak> m_peaks;
    // Weak hills of a crowded profile, reported as lone peaks when asked for, and the list they
    // are merged into.
    std::vector<Peak> m_setAside;
    std::vector<Peak> m_merged;
    double m_resolution = 0;
    IsotopeTolerance m_tolerance;
};

} // namespace kestrum
