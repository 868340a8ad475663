#pragma once
// Summing point lists: what MergeSpectrum does for two spectra and LoadSpectrum for all scans of
// a time range. Points of all lists within a tolerance of the lowest m/z of their group become one
// point at that m/z with the summed intensity and the first charge any of them carried.
//
// Profile scans sample a signal, and the scans of one experiment sample it at (nearly) the same
// places; an instrument's sampling points may move by a fraction of their spacing from scan to
// scan. Summed as distinct points, a profile would grow with every scan. So profile lists are
// added onto the first one's sampling grid: after the tolerance, a point of a later list that lies
// within about half the local sampling interval (the spacing of neighbouring points in their own
// lists) of the nearest point of the sum is added to that point. A sum then stays the size of one
// scan's grid, keeps its m/z where the first scan put them (no drift however many scans are added)
// and holds every count of intensity exactly once.

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

enum class Sampling {
    Peaks,  // points merge within the tolerance only
    Profile // later lists are also added onto the first one's sampling grid
};

// Earlier lists' points come first on equal m/z. Points of one list given out of order are sorted
// first.
PointList mergeSorted(const std::vector<PointRun>& runs, double tolerance,
                      Sampling sampling = Sampling::Peaks);

} // namespace kestrum
