#include "export/mmathutils.h"

#include "kestrum/centroidablespectrum.h"

#include <cmath>
#include <gtest/gtest.h>

using kestrum::CentroidableSpectrum;

namespace {

CentroidableSpectrum peakList(std::vector<double> mz, std::vector<double> intensity) {
    CentroidableSpectrum spectrum(std::move(mz), std::move(intensity));
    spectrum.SetCentroided(true);
    return spectrum;
}

// A profile spectrum: Gaussian peaks (centre, height, FWHM) on a 0.002 m/z grid over a flat
// baseline of small alternating noise.
CentroidableSpectrum profile(double from, double to, const std::vector<std::array<double, 3>>& peaks) {
    std::vector<double> mz, intensity;
    int i = 0;
    for (double x = from; x <= to; x += 0.002, ++i) {
        double y = 1.0 + (i % 2) * 0.5;
        for (const auto& [centre, height, fwhm] : peaks) {
            const double sigma = fwhm / 2.3548;
            y += height * std::exp(-0.5 * (x - centre) * (x - centre) / (sigma * sigma));
        }
        mz.push_back(x);
        intensity.push_back(y);
    }
    return CentroidableSpectrum(mz, intensity);
}

} // namespace

TEST(ThresholdByPercent, KeepsPointsAtOrAboveTheShareOfTheHighest) {
    CentroidableSpectrum spectrum = peakList({100, 200, 300, 400}, {1000, 50, 49.99, 700});
    spectrum.SetChargeAt(2, 2);
    MMathUtils::ThresholdByPercent(spectrum, 5);
    ASSERT_EQ(spectrum.PointCount(), 3);
    EXPECT_EQ(spectrum.PointAt(2), std::make_pair(200.0, 50.0));
    EXPECT_EQ(spectrum.ChargeAt(2), 0) << "charges are not carried over";

    CentroidableSpectrum untouched = peakList({100, 200}, {1000, 1});
    MMathUtils::ThresholdByPercent(untouched, 0);
    MMathUtils::ThresholdByPercent(untouched, -3);
    EXPECT_EQ(untouched.PointCount(), 2);
}

TEST(CopyPointRange, CopiesARangeOrToTheEnd) {
    const CentroidableSpectrum source = peakList({1, 2, 3, 4}, {10, 20, 30, 40});
    CentroidableSpectrum target = peakList({9}, {9});
    MMathUtils::CopyPointRange(source, 2, 3, target);
    ASSERT_EQ(target.PointCount(), 2);
    EXPECT_EQ(target.PointAt(1), std::make_pair(2.0, 20.0));
    MMathUtils::CopyPointRange(source, 2, 0, target);
    EXPECT_EQ(target.PointCount(), 3);
    EXPECT_EQ(target.PointAt(3), std::make_pair(4.0, 40.0));
}

TEST(SpectrumToText, OneLinePerPointInTheGeneralNumberForm) {
    EXPECT_EQ(MMathUtils::SpectrumToText(peakList({100.5, 200}, {0.1 + 0.2, 1e20})),
              QStringLiteral("100.5\t0.3\r\n200\t1E+20\r\n"));
    EXPECT_EQ(MMathUtils::SpectrumToText(CentroidableSpectrum()), QString());
}

TEST(DoCentroidNative, EmptyInputGivesAnEmptyCentroidedSpectrum) {
    const CentroidableSpectrum empty;
    const auto result = MMathUtils::DoCentroidNative(empty, true, true, false, 0, -1);
    EXPECT_EQ(result->PointCount(), 0);
    EXPECT_TRUE(result->IsCentroided());
}

TEST(DoCentroidNative, ProfilePeaksGiveCentroidsWithHeightOrAreaAndTheInputStaysAsItWas) {
    const CentroidableSpectrum input = profile(400, 420, {{{405.0, 1000, 0.03}}, {{415.0, 400, 0.03}}});
    const CentroidableSpectrum before = input;
    const auto heights = MMathUtils::DoCentroidNative(input, false, false, true, 0, -1);
    const auto areas = MMathUtils::DoCentroidNative(input, false, false, false, 0, -1);
    EXPECT_EQ(input.mzValues(), before.mzValues());
    EXPECT_EQ(input.intensities(), before.intensities());
    ASSERT_EQ(heights->PointCount(), 2);
    ASSERT_EQ(areas->PointCount(), 2);
    EXPECT_NEAR(heights->XAt(1), 405.0, 0.001);
    EXPECT_NEAR(heights->YAt(1), 1000.0, 60.0);
    EXPECT_LT(areas->YAt(1), heights->YAt(1)) << "a peak 0.03 wide has less area than height";
    EXPECT_NEAR(areas->YAt(1) / areas->YAt(2), 2.5, 0.2);

    // A height threshold: the peak at exactly the threshold passes, a lower one does not.
    const auto thresholded = MMathUtils::DoCentroidNative(input, false, false, true, heights->YAt(2), -1);
    EXPECT_EQ(thresholded->PointCount(), 2);
    const auto higher = MMathUtils::DoCentroidNative(input, false, false, true, heights->YAt(2) + 1, -1);
    ASSERT_EQ(higher->PointCount(), 1);
    EXPECT_NEAR(higher->XAt(1), 405.0, 0.001);
}

TEST(DoCentroidNative, IsotopePeaksFoldIntoTheirMonoisotopicPointWithTheirCharge) {
    // A doubly charged cluster at 600.3 (spacing 0.5017) and a lone peak at 700.
    const double spacing = 1.003355 / 2;
    const CentroidableSpectrum input =
        peakList({600.3, 600.3 + spacing, 600.3 + 2 * spacing, 700.0}, {1000, 650, 250, 300});
    const auto folded = MMathUtils::DoCentroidNative(input, true, false, false, 0, -1);
    ASSERT_EQ(folded->PointCount(), 2);
    EXPECT_DOUBLE_EQ(folded->XAt(1), 600.3);
    EXPECT_DOUBLE_EQ(folded->YAt(1), 1900.0);
    EXPECT_EQ(folded->ChargeAt(1), 2);
    EXPECT_DOUBLE_EQ(folded->XAt(2), 700.0);

    // A heavy 2+ ion whose first isotope outgrows its monoisotopic peak: with the monoisotopic
    // peak below the height threshold, its isotopes are dropped rather than added to the point of
    // another ion nearby.
    const CentroidableSpectrum heavy = profile(1497, 1503,
                                               {{{1500.0, 400, 0.06}},
                                                {{1500.0 + spacing, 640, 0.06}},
                                                {{1500.0 + 2 * spacing, 500, 0.06}},
                                                {{1497.7, 1000, 0.06}}});
    const auto all = MMathUtils::DoCentroidNative(heavy, true, false, true, 0, -1);
    ASSERT_EQ(all->PointCount(), 2) << "the cluster folds into its monoisotopic point";
    const auto loud = MMathUtils::DoCentroidNative(heavy, true, false, true, 450, -1);
    ASSERT_EQ(loud->PointCount(), 1);
    EXPECT_NEAR(loud->XAt(1), 1497.7, 0.001);
    EXPECT_NEAR(loud->YAt(1), 1000.0, 60.0);

    const auto kept = MMathUtils::DoCentroidNative(input, false, false, false, 0, -1);
    EXPECT_EQ(kept->PointCount(), 4) << "without de-isotoping every peak is a point";

    // Fragments of a 1+ precursor carry one charge at most: no 2+ cluster is formed.
    const auto singly = MMathUtils::DoCentroidNative(input, true, false, false, 0, 1);
    for (int i = 1; i <= singly->PointCount(); ++i)
        EXPECT_LE(singly->ChargeAt(i), 1);
    EXPECT_GT(singly->PointCount(), 2) << "the 0.5-spaced peaks no longer fold into one point";
}

TEST(DoCentroidNative, ReporterIonIsotopesStayWhenITraqIsOn) {
    // 113.1 and 114.1 look like one 1+ cluster; in the reporter region both are reporters.
    const CentroidableSpectrum reporters = peakList({113.1073, 114.1107, 300.0}, {1000, 80, 50});
    const auto plain = MMathUtils::DoCentroidNative(reporters, true, false, false, 0, -1);
    const auto iTraq = MMathUtils::DoCentroidNative(reporters, true, true, false, 0, -1);
    EXPECT_EQ(plain->PointCount(), 2);
    EXPECT_EQ(iTraq->PointCount(), 3);
    EXPECT_DOUBLE_EQ(iTraq->XAt(2), 114.1107);

    // The reporter region ends strictly inside 112.5 and 121.5: an isotope at 121.5 is folded.
    const CentroidableSpectrum edge = peakList({121.5 - 1.003355, 121.5, 300.0}, {1000, 80, 50});
    EXPECT_EQ(MMathUtils::DoCentroidNative(edge, true, true, false, 0, -1)->PointCount(), 2);
}
