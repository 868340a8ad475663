#pragma once
// Which points of a trace the viewer points at, worked out without drawing: the point under the
// pointer, the tallest peaks worth a label, and the neighbouring cycle of an experiment that holds
// a scan. A trace's x values ascend; a chromatogram has one point per cycle of its period.

#include "host_viewer_export.h"

#include <cstddef>
#include <optional>
#include <vector>

namespace host {

// The point a pointer at `x` shows: the tallest within `reach` of it (a profile has many points
// to a pixel), else the nearest (the earlier on a tie); none for no points.
HOST_VIEWER_EXPORT std::optional<std::size_t>
pointUnder(const std::vector<double>& xs, const std::vector<double>& intensities, double x, double reach);

// Up to `count` peaks within [xMin, xMax], tallest first, each at least `minSpacing` (x units) from
// every taller one chosen, so that their labels do not run into each other. Every stick of a peak
// list (`peakList`) with an intensity above zero is a peak; of a profile or a trace, every such
// point no lower than its neighbours.
HOST_VIEWER_EXPORT std::vector<std::size_t> tallestPeaks(const std::vector<double>& xs,
                                                         const std::vector<double>& intensities,
                                                         bool peakList, double xMin, double xMax,
                                                         double minSpacing, std::size_t count);

// The cycle after (`step` 1) or before (`step` -1) `from` whose total ion current is above zero,
// i.e. whose experiment recorded a scan; from -1 (step 1) or the cycle count (step -1) finds the
// first or last. None when there is no such cycle.
HOST_VIEWER_EXPORT std::optional<int> neighbouringScan(const std::vector<double>& ionCurrents, int from,
                                                       int step);

} // namespace host
