#pragma once
// Summing point lists: what MergeSpectrum does for two spectra and LoadSpectrum for all scans of
// a time range. Points of all lists within a tolerance of the lowest m/z of their group become one
// point at that m/z with the summed intensity and the first charge any of them carried.

#include <span>
#include <vector>

namespace kestrum {

struct PointRun {
    std::span<const double> x;
    std::span<const double> y;
    std::span<const int> charges; // empty when the list carries no charges
};

struct PointList {
    std::vector<double> x;
    std::vector<double> y;
    std::vector<int> charges;
};

PointList mergeSorted(const std::vector<PointRun>& runs, double tolerance);

} // namespace kestrum
