#include "tracepoints.h"

#include <algorithm>
#include <cmath>

namespace host {

namespace {

// The index of the point whose x lies nearest `x` (the earlier on a tie); none for no points.
std::optional<std::size_t> nearestPoint(const std::vector<double>& xs, double x) {
    if (xs.empty())
        return std::nullopt;
    const auto after = std::size_t(std::lower_bound(xs.begin(), xs.end(), x) - xs.begin());
    if (after == 0)
        return 0;
    if (after == xs.size())
        return xs.size() - 1;
    return x - xs[after - 1] <= xs[after] - x ? after - 1 : after;
}

} // namespace

std::optional<std::size_t> pointUnder(const std::vector<double>& xs, const std::vector<double>& intensities,
                                      double x, double reach) {
    const auto first = std::size_t(std::lower_bound(xs.begin(), xs.end(), x - reach) - xs.begin());
    const auto last = std::size_t(std::upper_bound(xs.begin(), xs.end(), x + reach) - xs.begin());
    if (first == last)
        return nearestPoint(xs, x);
    const auto tallest = std::max_element(intensities.begin() + std::ptrdiff_t(first),
                                          intensities.begin() + std::ptrdiff_t(last));
    return std::size_t(tallest - intensities.begin());
}

std::vector<std::size_t> tallestPeaks(const std::vector<double>& xs, const std::vector<double>& intensities,
                                      bool peakList, double xMin, double xMax, double minSpacing,
                                      std::size_t count) {
    const auto first = std::size_t(std::lower_bound(xs.begin(), xs.end(), xMin) - xs.begin());
    const auto last = std::size_t(std::upper_bound(xs.begin(), xs.end(), xMax) - xs.begin());
    std::vector<std::size_t> candidates;
    for (std::size_t i = first; i < last; ++i) {
        const bool aboveLeft = i == 0 || intensities[i] >= intensities[i - 1];
        const bool aboveRight = i + 1 == xs.size() || intensities[i] >= intensities[i + 1];
        if (intensities[i] > 0 && (peakList || (aboveLeft && aboveRight)))
            candidates.push_back(i);
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](std::size_t a, std::size_t b) { return intensities[a] > intensities[b]; });
    std::vector<std::size_t> chosen;
    for (const std::size_t candidate : candidates) {
        if (chosen.size() == count)
            break;
        const bool crowded = std::any_of(chosen.begin(), chosen.end(), [&](std::size_t taken) {
            return std::abs(xs[taken] - xs[candidate]) < minSpacing;
        });
        if (!crowded)
            chosen.push_back(candidate);
    }
    return chosen;
}

std::optional<int> neighbouringScan(const std::vector<double>& ionCurrents, int from, int step) {
    const int cycles = static_cast<int>(ionCurrents.size());
    for (int cycle = from + step; cycle >= 0 && cycle < cycles; cycle += step)
        if (ionCurrents[std::size_t(cycle)] > 0)
            return cycle;
    return std::nullopt;
}

} // namespace host
