// Weak peaks in ion-counting data: a fragment too weak to pass the signal-to-noise cut on its own
// is still listed when its isotope peaks stand beside it, even though they are fainter still,
// while lone noise peaks of the same height are not.
#include "kestrum/peakfinder/peakfinderalgorithm.h"
#include "kestrum/peakfinder/peakfinderoptions.h"
#include "profilebuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using kestrum::testing::ProfileBuilder;

namespace {

constexpr double isotopeSpacing = 1.00335;

bool listedNear(const std::vector<kestrum::Peak>& peaks, double mz) {
    for (const kestrum::Peak& peak : peaks)
        if (peak.standsForItself && std::abs(peak.mz - mz) < mz * 20e-6)
            return true;
    return false;
}

TEST(WeakPeaks, FragmentWithFaintIsotopesIsKeptAndLoneNoiseOfItsHeightIsNot) {
    ProfileBuilder scan;
    scan.firstMz = 300;
    scan.lastMz = 1100;
    scan.noiseFloor = 0;
    scan.grid().background(7, 4);
    // Between the background ions: weak singly charged fragments whose second isotope peak is a
    // third of the first, and lone peaks of the same height with nothing an isotope spacing away.
    struct Case {
        double mz;
        bool fragment;
    };
    std::vector<Case> cases;
    for (int k = 0; k < 40; ++k)
        cases.push_back({scan.firstMz + 10.25 + 19.5 * k, k % 2 == 0});
    const double weakHeight = 4;
    for (const Case& c : cases) {
        scan.peak(c.mz, weakHeight);
        if (c.fragment)
            scan.peak(c.mz + isotopeSpacing, weakHeight / 3);
    }
    scan.countIons();

    kestrum::PeakFinderAlgorithm finder;
    const kestrum::PeakFinderOptions options;
    const std::vector<kestrum::Peak>& peaks = finder.findPeaks(scan.mz, scan.intensity, false, options);
    int fragmentsKept = 0;
    int loneKept = 0;
    for (const Case& c : cases) {
        const bool kept = listedNear(peaks, c.mz);
        (c.fragment ? fragmentsKept : loneKept) += kept ? 1 : 0;
        if (c.fragment && kept) {
            // The isotope peak is folded into the fragment rather than listed on its own.
            EXPECT_FALSE(listedNear(peaks, c.mz + isotopeSpacing)) << c.mz;
        }
    }
    // Whether these peaks are weak is the noise model's call: the test is only meaningful when
    // they fall below the cut.
    for (const kestrum::Peak& peak : peaks) {
        for (const Case& c : cases) {
            if (std::abs(peak.mz - c.mz) < 0.01) {
                ASSERT_LT(peak.signalToNoise, options.minSignalToNoise) << c.mz;
            }
        }
    }
    EXPECT_GE(fragmentsKept, 18) << "of 20 weak fragments with isotope peaks";
    EXPECT_LE(loneKept, 2) << "of 20 lone peaks of the same height";
}

} // namespace
