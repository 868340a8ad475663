#include "kestrum/peakfinder/noiseestimator.h"

#include <algorithm>

namespace kestrum {

namespace {

// Wide enough to hold plenty of noise, narrow enough to follow a noise floor that changes along
// the spectrum.
constexpr double windowWidthMz = 100;
constexpr std::size_t fewestApexes = 30;
constexpr int clippingPasses = 10;
constexpr std::size_t fewestFootPoints = 20;
// Profiles stored without their noise are mostly zeros; those that keep it, mostly not.
constexpr double zeroShareOfNoiseFreeData = 0.4;
// Hills at or above this multiple of the first median are peaks, not noise.
constexpr double signalFactor = 4;

double medianOf(std::vector<double>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

} // namespace

double NoiseEstimator::footLevel(std::span<const double> intensity) {
    m_scratch.clear();
    for (double y : intensity)
        if (y > 0)
            m_scratch.push_back(y);
    if (m_scratch.size() < fewestFootPoints)
        return 0;
    const auto foot = m_scratch.begin() + static_cast<std::ptrdiff_t>(m_scratch.size() / 10);
    std::nth_element(m_scratch.begin(), foot, m_scratch.end());
    return *foot;
}

double NoiseEstimator::hillLevel(std::span<const Apex> apexes) {
    m_scratch.clear();
    for (const Apex& apex : apexes)
        if (apex.height > 0)
            m_scratch.push_back(apex.height);
    if (m_scratch.size() < fewestApexes)
        return 0;
    // Leaves out the hills that clearly are peaks until only the noise is left: with few noise
    // hills among many peaks, one pass would still mistake weak peaks for noise.
    double level = medianOf(m_scratch);
    for (int pass = 0; pass < clippingPasses; ++pass) {
        std::erase_if(m_scratch, [level](double y) { return y >= signalFactor * level; });
        const double next = medianOf(m_scratch);
        if (next >= level)
            break;
        level = next;
    }
    return level;
}

void NoiseEstimator::estimate(std::span<const double> mz, std::span<const double> intensity,
                              std::span<const Apex> apexes) {
    m_windows.clear();
    m_overallLevel = 0;
    std::size_t begin = 0;
    std::size_t apexBegin = 0;
    while (begin < mz.size()) {
        std::size_t end = begin;
        const double limit = mz[begin] + windowWidthMz;
        while (end < mz.size() && mz[end] < limit)
            ++end;
        std::size_t apexEnd = apexBegin;
        while (apexEnd < apexes.size() && apexes[apexEnd].mz < limit)
            ++apexEnd;
        const std::span<const double> points = intensity.subspan(begin, end - begin);
        const auto zeros = static_cast<double>(std::count(points.begin(), points.end(), 0.0));
        const double level = zeros >= zeroShareOfNoiseFreeData * static_cast<double>(points.size())
                                 ? footLevel(points)
                                 : hillLevel(apexes.subspan(apexBegin, apexEnd - apexBegin));
        if (level > 0)
            m_windows.push_back({(mz[begin] + mz[end - 1]) / 2, level});
        begin = end;
        apexBegin = apexEnd;
    }
    if (m_windows.empty())
        m_overallLevel = hillLevel(apexes);
}

double NoiseEstimator::levelAt(double mz) const {
    if (m_windows.empty())
        return m_overallLevel;
    if (mz <= m_windows.front().centreMz)
        return m_windows.front().level;
    if (mz >= m_windows.back().centreMz)
        return m_windows.back().level;
    const auto next = std::upper_bound(m_windows.begin(), m_windows.end(), mz,
                                       [](double value, const Window& w) { return value < w.centreMz; });
    const Window& before = *(next - 1);
    const double fraction = (mz - before.centreMz) / (next->centreMz - before.centreMz);
    return before.level + fraction * (next->level - before.level);
}

} // namespace kestrum
