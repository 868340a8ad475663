#pragma once
// The peaks a PeakFinder found in one spectrum, in ascending m/z, numbered from 1. Callers read a
// peak's numbers through PeakField and PeakValue and its cluster membership through PeakCharge and
// StandsForItself.

#include "kestrum/peakfinder/isotopeclusterer.h"
#include "kestrum/peakfinder/peak.h"

#include "kestrum_peakfinder_export.h"

#include <utility>
#include <vector>

namespace kestrum {

class KESTRUM_PEAKFINDER_EXPORT PeakList {
public:
    enum Field : int {
        CentroidField = 0,
        HeightField = 1,
        SignalToNoiseField = 2,
        AreaField = 4,
        MonoisotopicMzField = 6,
    };

    // `accuracy` is how far the spectrum's centroids of one peak may scatter (from its peak
    // widths in a profile, from its isotope spacings in a peak list); unknown (0) by default.
    explicit PeakList(std::vector<Peak> peaks, IsotopeTolerance accuracy = {});

    int PeakCount() const;
    // Index from 1; fields other than those above raise an error that names them.
    double PeakField(int index, int field) const;
    // The charge of the peak's isotope cluster, 0 when unknown.
    int PeakCharge(int index) const;
    // A monoisotopic or lone peak, as opposed to a heavier isotope of a cluster.
    bool StandsForItself(int index) const;
    // The centroid m/z and the height.
    std::pair<double, double> PeakValue(int index) const;

    const std::vector<Peak>& peaks() const { return m_peaks; }
    // How far apart two centroids near `mz` may lie and still be one peak; 0 when unknown.
    double accuracyAt(double mz) const { return m_accuracy.at(mz); }

private:
    const Peak& peakAt(int index) const;

    std::vector<Peak> m_peaks;
    IsotopeTolerance m_accuracy;
};

} // namespace kestrum
