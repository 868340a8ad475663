// Spectrum points: 1-based access, nearest-point search, merging with a tolerance, charges and
// the centroided flag.
#include "kestrum/centroidablespectrum.h"
#include "kestrum/scantype.h"

#include "errors/numberederror.h"

#include <gtest/gtest.h>

using namespace kestrum;

namespace {

TEST(SpectrumData, PointsCountFromOneAndOutOfRangeIndexesRaise) {
    SpectrumData spectrum({100.0, 200.0}, {5.0, 7.0});
    EXPECT_EQ(spectrum.PointAt(1), std::pair(100.0, 5.0));
    EXPECT_EQ(spectrum.XAt(2), 200.0);
    EXPECT_EQ(spectrum.YAt(2), 7.0);
    for (int bad : {0, 3, -1}) {
        try {
            spectrum.YAt(bad);
            FAIL() << "index " << bad << " must raise";
        } catch (const errors::NumberedError& error) {
            EXPECT_EQ(error.number(), errors::SubscriptOutOfRange);
            EXPECT_TRUE(error.description().contains(QStringLiteral("points 1 to 2")));
        }
    }
    EXPECT_THROW(spectrum.SetChargeAt(3, 2), errors::NumberedError);
    EXPECT_THROW(spectrum.SetPointCount(-1), errors::NumberedError);
}

TEST(SpectrumData, EditingPointsKeepsChargesAlignedAndYRangeCurrent) {
    SpectrumData spectrum;
    EXPECT_EQ(spectrum.YRange(), std::pair(0.0, 0.0));
    spectrum.AppendPoint(100.0, 4.0);
    spectrum.AppendPoint(101.0, 9.0);
    spectrum.SetChargeAt(2, 3);
    EXPECT_EQ(spectrum.YRange(), std::pair(4.0, 9.0));
    spectrum.SetPointCount(3);
    EXPECT_EQ(spectrum.PointAt(3), std::pair(0.0, 0.0));
    EXPECT_EQ(spectrum.ChargeAt(2), 3);
    EXPECT_EQ(spectrum.ChargeAt(3), 0);
    spectrum.SetPoint(3, 102.0, 1.0);
    EXPECT_EQ(spectrum.YRange(), std::pair(1.0, 9.0));
    spectrum.SetPointCount(0);
    spectrum.AppendPoint(50.0, 2.0);
    EXPECT_EQ(spectrum.ChargeAt(1), 0); // no charge survives from the removed point
}

TEST(SpectrumData, FindPointIndexGivesThePointAtOrNearestToTheMz) {
    SpectrumData spectrum({100.0, 101.0, 103.0}, {1, 1, 1});
    EXPECT_EQ(spectrum.FindPointIndex(101.0, 1), 2);
    EXPECT_EQ(spectrum.FindPointIndex(101.9, 1), 2);
    EXPECT_EQ(spectrum.FindPointIndex(102.1, 1), 3);
    EXPECT_EQ(spectrum.FindPointIndex(102.0, 1), 3); // a tie goes to the higher point
    EXPECT_EQ(spectrum.FindPointIndex(1.0, 1), 1);
    EXPECT_EQ(spectrum.FindPointIndex(1e9, 1), 3);
    EXPECT_EQ(SpectrumData().FindPointIndex(100.0, 1), 0);
    EXPECT_THROW(spectrum.FindPointIndex(100.0, 2), errors::NumberedError);
}

TEST(SpectrumData, MergeSpectrumSumsPointsWithinTheToleranceAndKeepsOrder) {
    SpectrumData sum({100.0, 200.0, 300.0}, {1, 2, 3});
    sum.SetChargeAt(2, 2);
    SpectrumData scan({100.0005, 150.0, 200.002, 400.0}, {10, 20, 30, 40});
    scan.SetChargeAt(1, 4);
    scan.SetChargeAt(3, 3);
    sum.MergeSpectrum(scan, 0.001);
    EXPECT_EQ(sum.mzValues(), (std::vector<double>{100.0, 150.0, 200.0, 200.002, 300.0, 400.0}));
    EXPECT_EQ(sum.intensities(), (std::vector<double>{11, 20, 2, 30, 3, 40}));
    // A merged point keeps the first charge it was given; new points bring their own.
    EXPECT_EQ(sum.charges(), (std::vector<int>{4, 0, 2, 3, 0, 0}));

    // Merging into an empty spectrum copies, and points appended out of order still sum.
    SpectrumData empty;
    SpectrumData unordered;
    unordered.AppendPoint(300.0, 1);
    unordered.AppendPoint(100.0, 2);
    unordered.AppendPoint(300.0005, 4);
    empty.MergeSpectrum(unordered, 0.001);
    EXPECT_EQ(empty.mzValues(), (std::vector<double>{100.0, 300.0}));
    EXPECT_EQ(empty.intensities(), (std::vector<double>{2, 5}));
}

TEST(SpectrumData, CopySpectrumIsIndependentAndKeepsTheCentroidedFlag) {
    CentroidableSpectrum peaks({100.0}, {5.0});
    peaks.SetCentroided(true);
    peaks.SetChargeAt(1, 2);
    peaks.setTitle(QStringLiteral("+TOF MS: 1.000 min"));
    const auto copy = peaks.CopySpectrum();
    copy->SetPoint(1, 200.0, 1.0);
    EXPECT_EQ(peaks.XAt(1), 100.0);
    EXPECT_TRUE(copy->IsCentroided());
    EXPECT_EQ(copy->ChargeAt(1), 2);
    EXPECT_EQ(copy->Title(), peaks.Title());
    copy->ResetFlag(CentroidedFlag);
    EXPECT_FALSE(copy->IsCentroided());
    EXPECT_TRUE(peaks.IsCentroided());
    EXPECT_THROW(copy->ResetFlag(5), errors::NumberedError);
}

TEST(ScanType, TextsAndClassification) {
    EXPECT_EQ(scanTypeText(TOFMS), QStringLiteral("TOF MS"));
    EXPECT_EQ(scanTypeText(TOFProduct), QStringLiteral("TOF Product"));
    EXPECT_EQ(scanTypeText(Q1Scan), QStringLiteral("Q1 scan"));
    EXPECT_EQ(scanTypeText(MultiplyCharged), QStringLiteral("Multiply Charged"));
    EXPECT_EQ(scanTypeText(17), QStringLiteral("UNKNOWN SCAN TYPE"));
    EXPECT_EQ(scanTypeText(-1), QStringLiteral("UNKNOWN SCAN TYPE"));
    for (int code = -1; code <= 17; ++code) {
        const bool product = code == 6 || code == 9 || code == 11 || code == 13 || code == 14;
        EXPECT_EQ(isProductScanType(code), product) << code;
    }
    EXPECT_TRUE(isDataDependentProductScan(TOFProduct, 30.99));
    EXPECT_FALSE(isDataDependentProductScan(TOFProduct, 31.0));
    EXPECT_FALSE(isDataDependentProductScan(TOFMS, 0.0));
}

} // namespace
