#include "spectrumrenderer.h"

#include <algorithm>
#include <cmath>

namespace kestrum::simulation {

namespace {

// Step of the flight-time grid in units of sqrt(m/z): about four points per peak width at m/z 200
// and twelve at m/z 2000 for a resolving power of 15,000.
constexpr double GridStep = 1.2e-4;
// Profile points are whole ion counts: anything that rounds to zero is not recorded, and peaks are
// cut where they fall below it.
constexpr double RecordedMinimum = 0.5;
constexpr double FwhmPerSigma = 2.354820045;

double gridMz(std::int64_t index) {
    const double root = static_cast<double>(index) * GridStep;
    return root * root;
}

std::int64_t gridIndexBelow(double mz) {
    return static_cast<std::int64_t>(std::floor(std::sqrt(mz) / GridStep));
}

} // namespace

SpectrumRenderer::SpectrumRenderer(const InstrumentSettings& settings) : m_settings(settings) {}

double SpectrumRenderer::withCountingNoise(double value, SimulationRandom& random) const {
    if (!m_settings.poissonCounts)
        return std::max(0.0, value + 0.25 * std::sqrt(value) * random.normal());
    const double counted = random.poisson(value);
    return std::max(0.0, counted * (1.0 + m_settings.pointNoise * random.normal()));
}

ScanPoints SpectrumRenderer::render(std::vector<Peak> ions, MzRange range, SimulationRandom& random) const {
    std::erase_if(ions, [range](const Peak& p) { return p.mz < range.low || p.mz > range.high; });
    const double shift =
        m_settings.calibrationErrorPpm > 0 ? m_settings.calibrationErrorPpm * random.normal() : 0;
    for (Peak& ion : ions)
        ion.mz *= 1.0 + (shift + m_settings.massErrorPpm * random.normal()) * 1e-6;
    addNoisePeaks(ions, range, random);
    std::sort(ions.begin(), ions.end(), [](const Peak& a, const Peak& b) { return a.mz < b.mz; });
    return m_settings.centroid ? centroids(ions, random) : profile(ions, range, random);
}

void SpectrumRenderer::addNoisePeaks(std::vector<Peak>& peaks, MzRange range,
                                     SimulationRandom& random) const {
    const int count = random.poisson(m_settings.noisePeaksPerMz * (range.high - range.low));
    for (int i = 0; i < count; ++i)
        peaks.push_back({random.uniform(range.low, range.high), random.exponential(m_settings.noiseHeight)});
}

ScanPoints SpectrumRenderer::profile(const std::vector<Peak>& peaks, MzRange range,
                                     SimulationRandom& random) const {
    // Contributions of every peak to the grid points it covers, summed where peaks overlap.
    std::vector<std::pair<std::int64_t, double>> samples;
    samples.reserve(peaks.size() * 16);
    for (const Peak& peak : peaks) {
        if (peak.height < RecordedMinimum)
            continue;
        const double sigma = peakWidth(peak.mz) / FwhmPerSigma;
        const double reach = std::min(4.0, std::sqrt(2.0 * std::log(peak.height / RecordedMinimum))) * sigma;
        const std::int64_t first = gridIndexBelow(std::max(range.low, peak.mz - reach)) + 1;
        const std::int64_t last = gridIndexBelow(std::min(range.high, peak.mz + reach));
        for (std::int64_t i = first; i <= last; ++i) {
            const double offset = (gridMz(i) - peak.mz) / sigma;
            samples.emplace_back(i, peak.height * std::exp(-0.5 * offset * offset));
        }
    }
    std::sort(samples.begin(), samples.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    ScanPoints points;
    points.mz.reserve(samples.size() + samples.size() / 4);
    points.intensity.reserve(points.mz.capacity());
    std::int64_t lastRecorded = -2;
    auto record = [&points](std::int64_t index, double value) {
        points.mz.push_back(gridMz(index));
        points.intensity.push_back(value);
    };
    for (std::size_t s = 0; s < samples.size();) {
        const std::int64_t index = samples[s].first;
        double value = 0;
        for (; s < samples.size() && samples[s].first == index; ++s)
            value += samples[s].second;
        value = std::round(withCountingNoise(value, random));
        if (value < RecordedMinimum)
            continue;
        if (index != lastRecorded + 1) {
            if (lastRecorded >= 0)
                record(lastRecorded + 1, 0.0);
            if (index - 1 != lastRecorded + 1)
                record(index - 1, 0.0);
        }
        record(index, value);
        lastRecorded = index;
    }
    if (lastRecorded >= 0)
        record(lastRecorded + 1, 0.0);
    return points;
}

ScanPoints SpectrumRenderer::centroids(std::vector<Peak>& peaks, SimulationRandom& random) const {
    // Peaks closer than half a peak width to their neighbour are not resolved: they make one centroid.
    ScanPoints points;
    for (std::size_t i = 0; i < peaks.size();) {
        double weighted = 0, total = 0;
        std::size_t j = i;
        for (; j < peaks.size() && (j == i || peaks[j].mz - peaks[j - 1].mz <= 0.5 * peakWidth(peaks[j].mz));
             ++j) {
            weighted += peaks[j].mz * peaks[j].height;
            total += peaks[j].height;
        }
        i = j;
        const double height = withCountingNoise(total, random);
        if (height < RecordedMinimum)
            continue;
        points.mz.push_back(weighted / total);
        points.intensity.push_back(height);
    }
    return points;
}

} // namespace kestrum::simulation
