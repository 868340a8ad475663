#include "kestrum/peakfinder/peakfinderfactory.h"

#include "errors/numberederror.h"
#include "kestrum/centroidablespectrum.h"
#include "profilebuilder.h"

#include <gtest/gtest.h>

using kestrum::CentroidableSpectrum;
using kestrum::PeakFinder;
using kestrum::PeakFinderFactory;
using kestrum::PeakList;
using kestrum::SpectrumData;
using kestrum::testing::ProfileBuilder;

namespace {

constexpr double spacing = 1.00335;

std::shared_ptr<PeakFinder> defaultFinder(QString& options) {
    options.clear();
    return PeakFinderFactory().CreatePeakFinder(options, 1, 1);
}

// A peak list as instruments store it: a charge-2 cluster, a charge-1 cluster and a lone peak.
CentroidableSpectrum centroidedSpectrum() {
    CentroidableSpectrum spectrum(
        {300.0, 450.2, 450.2 + spacing / 2, 450.2 + spacing, 612.3, 612.3 + spacing},
        {40, 1000, 650, 250, 800, 300});
    spectrum.SetCentroided(true);
    return spectrum;
}

} // namespace

TEST(PeakFinder, FactoryHandsOutTheDefaultOptionsAndRefusesOtherKinds) {
    QString options;
    EXPECT_NE(defaultFinder(options), nullptr);
    EXPECT_EQ(options, QStringLiteral("50,0,2,8"));
    QString given = QStringLiteral("40,2");
    PeakFinderFactory().CreatePeakFinder(given, 1, 1);
    EXPECT_EQ(given, QStringLiteral("40,2"));
    EXPECT_THROW(PeakFinderFactory().CreatePeakFinder(options, 2, 1), errors::NumberedError);
    EXPECT_THROW(PeakFinderFactory().CreatePeakFinder(options, 1, 7), errors::NumberedError);
    QString broken = QStringLiteral("50,two");
    EXPECT_THROW(PeakFinderFactory().CreatePeakFinder(broken, 1, 1), errors::NumberedError);
}

TEST(PeakFinder, CentroidedPointsArePeaksWithTheirClusters) {
    QString options;
    const auto finder = defaultFinder(options);
    const CentroidableSpectrum spectrum = centroidedSpectrum();
    const auto list = finder->FindPeaks(1, spectrum, -1, 0, 0, options);
    ASSERT_EQ(list->PeakCount(), 6);
    for (int i = 1; i <= 6; ++i) {
        EXPECT_DOUBLE_EQ(list->PeakField(i, PeakList::CentroidField), spectrum.XAt(i));
        EXPECT_DOUBLE_EQ(list->PeakField(i, PeakList::AreaField), spectrum.YAt(i));
        EXPECT_DOUBLE_EQ(list->PeakValue(i).second, spectrum.YAt(i));
    }
    EXPECT_TRUE(list->StandsForItself(1));
    EXPECT_EQ(list->PeakCharge(1), 0);
    EXPECT_TRUE(list->StandsForItself(2));
    EXPECT_EQ(list->PeakCharge(2), 2);
    for (int i : {3, 4}) {
        EXPECT_FALSE(list->StandsForItself(i));
        EXPECT_DOUBLE_EQ(list->PeakField(i, PeakList::MonoisotopicMzField), 450.2);
    }
    EXPECT_EQ(list->PeakCharge(5), 1);
    EXPECT_FALSE(list->StandsForItself(6));
    EXPECT_DOUBLE_EQ(list->PeakField(1, PeakList::MonoisotopicMzField), 300.0);

    // A charge in the options bounds the charges searched: the charge-2 cluster falls apart, its
    // half-spaced peak standing alone and its third peak read as a charge-1 isotope.
    const auto bounded = finder->FindPeaks(1, spectrum, -1, 0, 0, QStringLiteral("50,1,3,4"));
    EXPECT_EQ(bounded->PeakCharge(2), 1);
    EXPECT_TRUE(bounded->StandsForItself(3));
    EXPECT_EQ(bounded->PeakCharge(3), 0);
    EXPECT_FALSE(bounded->StandsForItself(4));
    EXPECT_EQ(bounded->PeakCharge(5), 1);
}

TEST(PeakFinder, ProfileSpectraAreCentroidedAndLeftAsTheyWere) {
    ProfileBuilder profile;
    profile.grid().cluster(480.25, 2, {900, 480, 170}).peak(550.5, 300);
    const SpectrumData spectrum(profile.mz, profile.intensity);
    QString options;
    const auto list = defaultFinder(options)->FindPeaks(1, spectrum, -1, 0, 0, options);
    EXPECT_EQ(spectrum.mzValues(), profile.mz);
    EXPECT_EQ(spectrum.intensities(), profile.intensity);
    ASSERT_EQ(list->PeakCount(), 4);
    EXPECT_NEAR(list->PeakField(1, PeakList::CentroidField), 480.25, 0.002);
    EXPECT_EQ(list->PeakCharge(1), 2);
    EXPECT_FALSE(list->StandsForItself(2));
    EXPECT_DOUBLE_EQ(list->PeakField(3, PeakList::MonoisotopicMzField), list->PeakField(1, 0));
    EXPECT_NEAR(list->PeakField(4, PeakList::CentroidField), 550.5, 0.002);
    EXPECT_GT(list->PeakField(4, PeakList::AreaField), 0);
    // A profile flagged as centroided is taken at its word: every non-zero point is a peak.
    CentroidableSpectrum flagged(profile.mz, profile.intensity);
    flagged.SetCentroided(true);
    EXPECT_GT(defaultFinder(options)->FindPeaks(1, flagged, -1, 0, 0, options)->PeakCount(), 1000);
}

TEST(PeakFinder, InterleavedProfileClustersKeepTheirOwnMonoisotopicPeaks) {
    ProfileBuilder profile;
    profile.grid().cluster(500.0, 1, {1000, 300}).cluster(500.25, 2, {800, 500, 200});
    const SpectrumData spectrum(profile.mz, profile.intensity);
    QString options;
    const auto list = defaultFinder(options)->FindPeaks(1, spectrum, -1, 0, 0, options);
    ASSERT_EQ(list->PeakCount(), 5);
    const double expected[] = {500.0, 500.25, 500.25 + spacing / 2, 500.0 + spacing, 500.25 + spacing};
    const double monoisotopic[] = {500.0, 500.25, 500.25, 500.0, 500.25};
    const int charges[] = {1, 2, 2, 1, 2};
    for (int i = 1; i <= 5; ++i) {
        EXPECT_NEAR(list->PeakField(i, PeakList::CentroidField), expected[i - 1], 0.002) << i;
        EXPECT_NEAR(list->PeakField(i, PeakList::MonoisotopicMzField), monoisotopic[i - 1], 0.002) << i;
        EXPECT_EQ(list->PeakCharge(i), charges[i - 1]) << i;
        EXPECT_EQ(list->StandsForItself(i), i <= 2) << i;
    }
}

TEST(PeakFinder, RangeAndPeakLimitNarrowTheSearch) {
    QString options;
    const auto finder = defaultFinder(options);
    const CentroidableSpectrum spectrum = centroidedSpectrum();
    const auto ranged = finder->FindPeaks(1, spectrum, -1, 400, 500, options);
    EXPECT_EQ(ranged->PeakCount(), 3);
    const auto highest = finder->FindPeaks(1, spectrum, 2, 0, 0, options);
    ASSERT_EQ(highest->PeakCount(), 2);
    EXPECT_DOUBLE_EQ(highest->PeakField(1, 0), 450.2);
    EXPECT_DOUBLE_EQ(highest->PeakField(2, 0), 612.3);
    EXPECT_EQ(finder->FindPeaks(1, CentroidableSpectrum(), -1, 0, 0, options)->PeakCount(), 0);
}

TEST(PeakFinder, BadRequestsRaiseErrorsThatSayWhat) {
    QString options;
    const auto finder = defaultFinder(options);
    const CentroidableSpectrum spectrum = centroidedSpectrum();
    EXPECT_THROW(finder->FindPeaks(2, spectrum, -1, 0, 0, options), errors::NumberedError);
    EXPECT_THROW(finder->FindPeaks(1, spectrum, -1, 0, 0, QStringLiteral("50,0,3,99")),
                 errors::NumberedError);
    const auto list = finder->FindPeaks(1, spectrum, -1, 0, 0, options);
    try {
        list->PeakField(7, 0);
        FAIL() << "peak 7 of 6 was read";
    } catch (const errors::NumberedError& error) {
        EXPECT_EQ(error.number(), errors::SubscriptOutOfRange);
        EXPECT_TRUE(error.description().contains(QStringLiteral("1 to 6")));
    }
    EXPECT_THROW(list->PeakField(1, 5), errors::NumberedError);
}
