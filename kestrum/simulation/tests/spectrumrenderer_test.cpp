#include "kestrum/simulation/spectrumrenderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace kestrum::simulation;

namespace {

InstrumentSettings noiselessInstrument(double resolution) {
    InstrumentSettings settings;
    settings.resolution = resolution;
    settings.massErrorPpm = 0;
    settings.noisePeaksPerMz = 0;
    return settings;
}

// Full width at half maximum of the single peak of a scan, from the half-height crossings.
double measuredWidth(const ScanPoints& points) {
    const auto apex =
        std::max_element(points.intensity.begin(), points.intensity.end()) - points.intensity.begin();
    const double half = points.intensity[apex] / 2;
    auto crossing = [&](int step) {
        std::ptrdiff_t i = apex;
        while (points.intensity[i + step] >= half)
            i += step;
        const double y0 = points.intensity[i], y1 = points.intensity[i + step];
        return points.mz[i] + (points.mz[i + step] - points.mz[i]) * (y0 - half) / (y0 - y1);
    };
    return crossing(1) - crossing(-1);
}

double weightedCentre(const ScanPoints& points) {
    double weighted = 0, total = 0;
    for (std::size_t i = 0; i < points.mz.size(); ++i) {
        weighted += points.mz[i] * points.intensity[i];
        total += points.intensity[i];
    }
    return weighted / total;
}

TEST(SpectrumRenderer, ProfilePeakWidthFollowsTheResolvingPower) {
    for (double resolution : {10000.0, 20000.0}) {
        for (double mz : {300.0, 1200.0}) {
            SimulationRandom random(1);
            const ScanPoints points =
                SpectrumRenderer(noiselessInstrument(resolution)).render({{mz, 20000}}, {100, 2000}, random);
            EXPECT_NEAR(measuredWidth(points), mz / resolution, 0.15 * mz / resolution)
                << resolution << ' ' << mz;
            EXPECT_NEAR(weightedCentre(points), mz, 3e-6 * mz);
        }
    }
}

TEST(SpectrumRenderer, ProfileIsZeroBracketedStretchesOnTheFlightTimeGrid) {
    InstrumentSettings settings;
    SimulationRandom random(2);
    const ScanPoints points = SpectrumRenderer(settings).render(
        {{400, 500}, {400.02, 300}, {900, 50}, {1500, 2000}}, {100, 2000}, random);
    ASSERT_GT(points.mz.size(), 50u);
    EXPECT_EQ(points.intensity.front(), 0.0);
    EXPECT_EQ(points.intensity.back(), 0.0);
    double firstStep = 0;
    for (std::size_t i = 1; i < points.mz.size(); ++i) {
        ASSERT_LT(points.mz[i - 1], points.mz[i]);
        // Whole ion counts, never negative.
        ASSERT_EQ(points.intensity[i], std::round(points.intensity[i]));
        ASSERT_GE(points.intensity[i], 0.0);
        // Neighbours on the grid are equal steps of sqrt(m/z) apart; a larger step is a gap, which
        // only a zero point on each side may border.
        const double step = std::sqrt(points.mz[i]) - std::sqrt(points.mz[i - 1]);
        if (firstStep == 0)
            firstStep = step;
        if (std::abs(step - firstStep) > 1e-3 * firstStep) {
            EXPECT_EQ(points.intensity[i - 1], 0.0);
            EXPECT_EQ(points.intensity[i], 0.0);
        }
    }
}

TEST(SpectrumRenderer, NoiseIsABaselineOfSmallPeaksOverTheWholeRange) {
    InstrumentSettings settings;
    SimulationRandom random(3);
    const ScanPoints points = SpectrumRenderer(settings).render({}, {100, 2000}, random);
    ASSERT_FALSE(points.mz.empty());
    EXPECT_LT(*std::max_element(points.intensity.begin(), points.intensity.end()), 10 * settings.noiseHeight);
    EXPECT_LT(points.mz.front(), 400);
    EXPECT_GT(points.mz.back(), 1700);
}

TEST(SpectrumRenderer, CentroidsMergeOnlyUnresolvedPeaks) {
    InstrumentSettings settings = noiselessInstrument(10000);
    settings.centroid = true;
    SimulationRandom random(4);
    // At m/z 1000 the width is 0.1: peaks 0.02 apart merge, 0.3 apart stay apart; too weak ones vanish.
    const ScanPoints points = SpectrumRenderer(settings).render(
        {{1000, 3000}, {1000.02, 1000}, {1000.3, 2000}, {1500, 0.1}}, {100, 2000}, random);
    ASSERT_EQ(points.mz.size(), 2u);
    EXPECT_NEAR(points.mz[0], 1000.005, 1e-9);
    EXPECT_NEAR(points.intensity[0], 4000, 200);
    EXPECT_NEAR(points.mz[1], 1000.3, 1e-9);
}

} // namespace
