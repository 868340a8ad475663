#include "kestrum/peakfinder/profilepeakdetector.h"

#include "kestrum/peakfinder/cancellation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kestrum {

namespace {

constexpr std::size_t peaksMeasured = 25;
constexpr double strongestShare = 0.01;
// Points that may dip below half height inside one peak of a jagged sum.
constexpr std::size_t dipsBridged = 3;
// The smoothing kernel's half width as a share of the peak width: enough to even out jagged sums
// and noise, little enough to keep isotope peaks apart.
constexpr double kernelShareOfWidth = 0.35;
// Each point is smoothed with at most this many neighbours on either side. Profiles, and sums of
// profiles on interleaved grids, have far fewer within a kernel; a crafted or degenerate scan
// (a million points at one m/z) would otherwise take time growing with the square of its size.
constexpr std::size_t mostNeighbours = 256;
// Smoothing asks whether to stop after this many points.
constexpr std::size_t pointsBetweenCancellationChecks = 1 << 16;
// Two hills whose valley stays above this share of the lower one are one peak.
constexpr double valleyShareOfApex = 0.7;
constexpr double lowestResolution = 300;
constexpr double highestResolution = 2e6;

// The m/z at which the profile crosses `level` between two neighbouring points.
double crossing(std::span<const double> mz, std::span<const double> intensity, std::size_t above,
                std::size_t below, double level) {
    const double drop = intensity[above] - intensity[below];
    const double fraction = drop > 0 ? (intensity[above] - level) / drop : 0;
    return mz[above] + fraction * (mz[below] - mz[above]);
}

// Walks from the apex outwards (step +1 or -1) to the last point at or above half height,
// bridging the short dips of a jagged sum. Returns false when the walk runs off the spectrum or
// into a higher peak, as the width is then unknown.
bool lastPointAboveHalf(std::span<const double> intensity, std::size_t apex, int step, std::size_t& last) {
    const double half = intensity[apex] / 2;
    const auto count = static_cast<std::ptrdiff_t>(intensity.size());
    auto index = static_cast<std::ptrdiff_t>(apex);
    for (;;) {
        std::ptrdiff_t next = -1;
        for (std::size_t k = 1; k <= dipsBridged; ++k) {
            const std::ptrdiff_t candidate = index + step * static_cast<std::ptrdiff_t>(k);
            if (candidate < 0 || candidate >= count)
                break;
            if (intensity[static_cast<std::size_t>(candidate)] >= half) {
                next = candidate;
                break;
            }
        }
        if (next < 0)
            break;
        if (intensity[static_cast<std::size_t>(next)] > intensity[apex])
            return false;
        index = next;
    }
    const std::ptrdiff_t beyond = index + step;
    if (beyond < 0 || beyond >= count)
        return false;
    last = static_cast<std::size_t>(index);
    return true;
}

// The highest intensity, kept in four running maxima so that the comparisons need not wait for
// one another.
double highest(std::span<const double> intensity) {
    std::array<double, 4> top;
    top.fill(intensity.front());
    const std::size_t whole = intensity.size() / top.size() * top.size();
    for (std::size_t i = 0; i < whole; i += top.size())
        for (std::size_t k = 0; k < top.size(); ++k)
            top[k] = std::max(top[k], intensity[i + k]);
    for (std::size_t i = whole; i < intensity.size(); ++i)
        top[0] = std::max(top[0], intensity[i]);
    return *std::max_element(top.begin(), top.end());
}

} // namespace

double ProfilePeakDetector::measureResolution(std::span<const double> mz, std::span<const double> intensity) {
    // Only the strongest peaks are measured, so maxima far below the highest point are not collected.
    const double floor = highest(intensity) * strongestShare;
    // Without branches: whether a noisy point is a maximum is a coin toss that the processor would
    // mispredict half the time. Every point is written, and the count only moves past maxima.
    m_maxima.resize(intensity.size());
    std::size_t found = 0;
    for (std::size_t i = 1; i + 1 < intensity.size(); ++i) {
        const double here = intensity[i];
        m_maxima[found] = i;
        found +=
            static_cast<std::size_t>((here > floor) & (here >= intensity[i - 1]) & (here > intensity[i + 1]));
    }
    m_maxima.resize(found);
    const std::size_t measured = std::min(peaksMeasured, m_maxima.size());
    std::partial_sort(m_maxima.begin(), m_maxima.begin() + static_cast<std::ptrdiff_t>(measured),
                      m_maxima.end(),
                      [intensity](std::size_t a, std::size_t b) { return intensity[a] > intensity[b]; });
    m_widths.clear();
    for (std::size_t k = 0; k < measured; ++k) {
        const std::size_t apex = m_maxima[k];
        std::size_t left = 0;
        std::size_t right = 0;
        if (!lastPointAboveHalf(intensity, apex, -1, left) || !lastPointAboveHalf(intensity, apex, +1, right))
            continue;
        const double half = intensity[apex] / 2;
        const double width =
            crossing(mz, intensity, right, right + 1, half) - crossing(mz, intensity, left, left - 1, half);
        if (width > 0)
            m_widths.push_back(width / mz[apex]);
    }
    if (m_widths.empty())
        return defaultResolution;
    const auto middle = m_widths.begin() + static_cast<std::ptrdiff_t>(m_widths.size() / 2);
    std::nth_element(m_widths.begin(), middle, m_widths.end());
    return std::clamp(1 / *middle, lowestResolution, highestResolution);
}

void ProfilePeakDetector::smooth(std::span<const double> mz, std::span<const double> intensity) {
    // A biweight kernel weighted by the points actually present, so that unevenly spaced and
    // interleaved grids average correctly. Each pair of neighbours is weighed once, for both, so
    // the cap on neighbours keeps the weights symmetric.
    const std::size_t count = mz.size();
    m_smoothed.assign(intensity.begin(), intensity.end());
    m_weights.assign(count, 1.0);
    const double share = kernelShareOfWidth / m_resolution;
    for (std::size_t i = 0; i < count; ++i) {
        if (i % pointsBetweenCancellationChecks == pointsBetweenCancellationChecks - 1)
            CancellationScope::throwIfRequested();
        const double inverseHalfWidth = 1 / (share * mz[i]);
        double weighted = 0;
        double weights = 0;
        const std::size_t end = std::min(count, i + 1 + mostNeighbours);
        for (std::size_t j = i + 1; j < end; ++j) {
            const double u = (mz[j] - mz[i]) * inverseHalfWidth;
            if (u >= 1)
                break;
            const double w = (1 - u * u) * (1 - u * u);
            weighted += w * intensity[j];
            weights += w;
            m_smoothed[j] += w * intensity[i];
            m_weights[j] += w;
        }
        m_smoothed[i] += weighted;
        m_weights[i] += weights;
    }
    for (std::size_t i = 0; i < count; ++i)
        m_smoothed[i] /= m_weights[i];
}

void ProfilePeakDetector::findHills(std::size_t count) {
    const std::vector<double>& s = m_smoothed;
    m_hills.clear();
    std::size_t start = 0;
    while (start + 1 < count) {
        std::size_t j = start;
        while (j + 1 < count && s[j + 1] >= s[j])
            ++j;
        const std::size_t apex = j;
        while (j + 1 < count && s[j + 1] <= s[j])
            ++j;
        m_hills.push_back({start, apex, j});
        start = j;
    }
}

Peak ProfilePeakDetector::describe(const Hill& hill, std::span<const double> mz,
                                   std::span<const double> intensity, double heightPercent) const {
    const std::vector<double>& s = m_smoothed;
    Peak peak;
    std::size_t rawApex = hill.apex;
    for (std::size_t i = hill.left; i <= hill.right; ++i)
        if (intensity[i] > intensity[rawApex])
            rawApex = i;
    peak.height = intensity[rawApex];

    // The centroid of the part of the peak above the height percentage, each point weighted by
    // how far it rises above that level so that points entering or leaving the part do not jump.
    const double share = heightPercent / 100;
    const double smoothedLevel = share * s[hill.apex];
    std::size_t first = hill.apex;
    while (first > hill.left && s[first - 1] >= smoothedLevel)
        --first;
    std::size_t last = hill.apex;
    while (last < hill.right && s[last + 1] >= smoothedLevel)
        ++last;
    const double level = share * peak.height;
    double weights = 0;
    double weighted = 0;
    for (std::size_t i = first; i <= last; ++i) {
        const double w = intensity[i] - level;
        if (w > 0) {
            weights += w;
            weighted += w * mz[i];
        }
    }
    peak.mz = weights > 0 ? weighted / weights : mz[rawApex];

    for (std::size_t i = hill.left; i < hill.right; ++i)
        peak.area += (mz[i + 1] - mz[i]) * (intensity[i] + intensity[i + 1]) / 2;
    peak.monoisotopicMz = peak.mz;
    return peak;
}

void ProfilePeakDetector::detect(std::span<const double> mz, std::span<const double> intensity,
                                 double heightPercent, double minSignalToNoise, std::vector<Peak>& peaks) {
    const std::size_t count = mz.size();
    if (count < 3)
        return;
    m_resolution = measureResolution(mz, intensity);
    smooth(mz, intensity);
    findHills(count);
    m_apexes.clear();
    for (const Hill& hill : m_hills)
        m_apexes.push_back({mz[hill.apex], m_smoothed[hill.apex]});
    m_noise.estimate(mz, intensity, m_apexes);

    const std::vector<double>& s = m_smoothed;
    auto significant = [&](const Hill& hill) {
        const double noise = m_noise.levelAt(mz[hill.apex]);
        return s[hill.apex] > 0 && (noise <= 0 || s[hill.apex] >= minSignalToNoise * noise);
    };
    // Join hills split only by a shallow valley: what is left of a jagged sum, or noise riding
    // on a peak's flank.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < m_hills.size(); ++i) {
        const Hill hill = m_hills[i];
        if (kept > 0) {
            Hill& previous = m_hills[kept - 1];
            const double lower = std::min(s[previous.apex], s[hill.apex]);
            if ((significant(previous) || significant(hill)) && s[hill.left] >= valleyShareOfApex * lower) {
                previous.right = hill.right;
                if (s[hill.apex] > s[previous.apex])
                    previous.apex = hill.apex;
                continue;
            }
        }
        m_hills[kept++] = hill;
    }
    m_hills.resize(kept);

    for (const Hill& hill : m_hills) {
        if (!significant(hill))
            continue;
        Peak peak = describe(hill, mz, intensity, heightPercent);
        const double noise = m_noise.levelAt(mz[hill.apex]);
        peak.signalToNoise = noise > 0 ? s[hill.apex] / noise : 0;
        peaks.push_back(peak);
    }
}

} // namespace kestrum
