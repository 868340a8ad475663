#include "kestrum/peakfinder/cancellation.h"
#include "kestrum/peakfinder/profilepeakdetector.h"
#include "profilebuilder.h"

#include <gtest/gtest.h>

#include <algorithm>

using kestrum::Peak;
using kestrum::ProfilePeakDetector;
using kestrum::testing::ProfileBuilder;

namespace {

std::vector<Peak> detect(const ProfileBuilder& profile, double heightPercent = 50,
                         double minSignalToNoise = 3) {
    ProfilePeakDetector detector;
    std::vector<Peak> peaks;
    detector.detect(profile.mz, profile.intensity, heightPercent, minSignalToNoise, peaks);
    return peaks;
}

const Peak* peakNear(const std::vector<Peak>& peaks, double mz, double tolerance = 0.01) {
    const auto it = std::find_if(peaks.begin(), peaks.end(),
                                 [&](const Peak& p) { return std::abs(p.mz - mz) <= tolerance; });
    return it == peaks.end() ? nullptr : &*it;
}

} // namespace

TEST(ProfilePeakDetector, CentroidHeightAndAreaOfAGaussianPeak) {
    ProfileBuilder profile;
    profile.grid().peak(500.0123, 1000);
    const std::vector<Peak> peaks = detect(profile);
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_NEAR(peaks[0].mz, 500.0123, 500 * 2e-6);
    EXPECT_NEAR(peaks[0].height, 1000, 30);
    // Area of a Gaussian: height * sigma * sqrt(2 pi), plus the noise floor under it.
    const double sigma = 500.0123 / 15000 / 2.354820045;
    EXPECT_NEAR(peaks[0].area, 1000 * sigma * std::sqrt(2 * M_PI), 0.05 * 1000 * sigma * 2.5066);
    EXPECT_GT(peaks[0].signalToNoise, 100);
    EXPECT_DOUBLE_EQ(peaks[0].monoisotopicMz, peaks[0].mz);
}

TEST(ProfilePeakDetector, MeasuresTheResolvingPowerOfTheData) {
    for (double resolution : {8000.0, 20000.0}) {
        ProfileBuilder profile;
        profile.resolution = resolution;
        profile.step = 0.002;
        profile.grid();
        for (double mz = 410; mz < 600; mz += 7.3)
            profile.peak(mz, 500);
        ProfilePeakDetector detector;
        std::vector<Peak> peaks;
        detector.detect(profile.mz, profile.intensity, 50, 3, peaks);
        EXPECT_NEAR(detector.resolution(), resolution, 0.1 * resolution);
        EXPECT_EQ(peaks.size(), 27u);
    }
}

TEST(ProfilePeakDetector, KeepsPeaksAboveTheNoiseAndDropsTheNoise) {
    ProfileBuilder profile;
    profile.grid(7).peak(450, 8).peak(520, 2.5).peak(580, 300);
    const std::vector<Peak> peaks = detect(profile, 50, 3);
    EXPECT_NE(peakNear(peaks, 450), nullptr);
    EXPECT_NE(peakNear(peaks, 580), nullptr);
    EXPECT_EQ(peakNear(peaks, 520), nullptr);
    EXPECT_EQ(peaks.size(), 2u) << "noise hills must not be reported";
    // A stricter ratio drops the weak peak too.
    EXPECT_EQ(detect(profile, 50, 20).size(), 1u);
}

TEST(ProfilePeakDetector, SeparatesResolvedNeighboursAndJoinsShoulders) {
    ProfileBuilder profile;
    profile.grid().peak(500, 1000).peak(500.25, 400);
    const std::vector<Peak> resolved = detect(profile);
    ASSERT_EQ(resolved.size(), 2u);
    EXPECT_NEAR(resolved[0].mz, 500, 0.002);
    EXPECT_NEAR(resolved[1].mz, 500.25, 0.003);

    // A second component within a fraction of the peak width makes one peak, not two.
    ProfileBuilder shoulder;
    shoulder.grid().peak(500, 1000).peak(500.012, 300);
    EXPECT_EQ(detect(shoulder).size(), 1u);
}

TEST(ProfilePeakDetector, CopesWithJaggedSumsOfInterleavedGrids) {
    // Two scans of one peak recorded on grids offset by a fraction of their step, summed point by
    // point into one list whose intensities alternate between the scans' levels.
    ProfileBuilder first;
    first.grid(3).peak(512.3456, 900);
    ProfileBuilder second;
    second.firstMz = 400.0015;
    second.grid(4).peak(512.3456, 250);
    ProfileBuilder sum;
    for (std::size_t i = 0; i < first.mz.size(); ++i) {
        sum.mz.push_back(first.mz[i]);
        sum.intensity.push_back(first.intensity[i]);
        if (i < second.mz.size()) {
            sum.mz.push_back(second.mz[i]);
            sum.intensity.push_back(second.intensity[i]);
        }
    }
    const std::vector<Peak> peaks = detect(sum);
    ASSERT_EQ(peaks.size(), 1u);
    EXPECT_NEAR(peaks[0].mz, 512.3456, 512.3456 * 3e-6);
}

TEST(ProfilePeakDetector, CentroidFollowsTheHeightPercentage) {
    // A tailing peak: the lower the height percentage, the further the centroid moves into the tail.
    ProfileBuilder profile;
    profile.grid().peak(500, 1000).peak(500.02, 350).peak(500.04, 120);
    const std::vector<Peak> high = detect(profile, 80);
    const std::vector<Peak> low = detect(profile, 20);
    ASSERT_EQ(high.size(), 1u);
    ASSERT_EQ(low.size(), 1u);
    EXPECT_LT(high[0].mz, low[0].mz - 0.002);
}

TEST(ProfilePeakDetector, TakesTheNoiseFromThePeaksFootWhenTheInstrumentDroppedIt) {
    // Only the peaks are stored, each bracketed by zeros, as instruments that remove their noise do.
    ProfileBuilder profile;
    profile.noiseFloor = 0;
    profile.grid();
    for (double mz = 410; mz < 600; mz += 4.1)
        profile.peak(mz, mz < 500 ? 4000 : 40000);
    for (double& y : profile.intensity)
        if (y < 50)
            y = 0;
    const std::vector<Peak> peaks = detect(profile);
    EXPECT_EQ(peaks.size(), 47u) << "weak stored peaks are still peaks";
}

TEST(ProfilePeakDetector, ToleratesTinyAndFlatSpectra) {
    ProfilePeakDetector detector;
    std::vector<Peak> peaks;
    const std::vector<double> two{100, 100.01};
    detector.detect(two, two, 50, 3, peaks);
    EXPECT_TRUE(peaks.empty());
    const std::vector<double> mz{100, 100.01, 100.02, 100.03};
    const std::vector<double> flat{0, 0, 0, 0};
    detector.detect(mz, flat, 50, 3, peaks);
    EXPECT_TRUE(peaks.empty());
}

// A scan of 300,000 points at one m/z (crafted, or a degenerate sum) is smoothed with a bounded
// number of neighbours per point, and a caller's cancel request stops the work half-way, however
// long the scan; without a request the same scan gives its one peak.
TEST(ProfilePeakDetector, DenseScansFinishAndStopWhenCancelled) {
    const std::vector<double> mz(300'000, 500.0);
    std::vector<double> intensity(mz.size(), 10.0);
    intensity[mz.size() / 2] = 1000.0;
    ProfilePeakDetector detector;
    std::vector<Peak> peaks;
    int asked = 0;
    {
        const kestrum::CancellationScope scope([&asked] { return ++asked >= 2; });
        EXPECT_THROW(detector.detect(mz, intensity, 50, 3, peaks), kestrum::Cancelled);
    }
    EXPECT_EQ(asked, 2) << "asked at its next check after the request";
    detector.detect(mz, intensity, 50, 3, peaks);
    ASSERT_EQ(peaks.size(), 1U);
    EXPECT_DOUBLE_EQ(peaks[0].mz, 500.0);
}
