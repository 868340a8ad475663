// Weak fragments kept on the evidence of their complementary ions: in an ion-counting product
// spectrum, a b ion too weak to pass the peak finder's cut is listed when its y partner is, for
// the charge the query is searched with, while lone peaks of the same height are not.
#include "export/complementaryions.h"
#include "export/mmathutils.h"

#include "kestrum/centroidablespectrum.h"
#include "kestrum/peakfinder/isotopeclusterer.h"
#include "kestrum/peakfinder/tests/profilebuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using kestrum::testing::ProfileBuilder;

namespace {

constexpr double protonMass = kestrum::IsotopeClusterer::protonMass;
// A doubly charged precursor of neutral mass 1800.
constexpr double peptideMass = 1800;
constexpr double precursorMz = peptideMass / 2 + protonMass;

struct Case {
    double mz;
    bool fragment; // a weak b ion whose y partner is strong, or a lone peak of the same height
};

struct Product {
    kestrum::CentroidableSpectrum spectrum;
    std::vector<Case> cases;
};

Product productSpectrum() {
    ProfileBuilder scan;
    scan.firstMz = 300;
    scan.lastMz = 1550;
    scan.noiseFloor = 0;
    scan.grid().background(11, 4);
    Product product;
    for (int k = 0; k < 40; ++k)
        product.cases.push_back({scan.firstMz + 10.25 + 19.5 * k, k % 2 == 0});
    for (const Case& c : product.cases) {
        scan.peak(c.mz, 4);
        if (c.fragment) // b + y = M + 2 protons, with the y ion's isotope peaks
            scan.cluster(peptideMass + 2 * protonMass - c.mz, 1, {80, 60, 25});
    }
    scan.countIons();
    product.spectrum = kestrum::CentroidableSpectrum(scan.mz, scan.intensity);
    return product;
}

bool listed(const kestrum::CentroidableSpectrum& peaks, double mz) {
    for (int i = 1; i <= peaks.PointCount(); ++i)
        if (std::abs(peaks.XAt(i) - mz) < mz * 20e-6)
            return true;
    return false;
}

TEST(ComplementaryIons, WeakFragmentWithAListedPartnerIsKeptAndLoneNoiseOfItsHeightIsNot) {
    const Product product = productSpectrum();
    struct Row {
        const char* what;
        double precursorMz;
        std::vector<int> charges;
        bool evidence; // whether the weak fragments are to be kept
    };
    const std::vector<Row> rows = {
        {"no complementary-ion evidence asked for", precursorMz, {}, false},
        {"the precursor's own charge", precursorMz, {2}, true},
        {"an unknown charge searched as 2+ and 3+", precursorMz, {2, 3}, true},
        {"a precursor selected on its second isotope peak",
         precursorMz + kestrum::IsotopeClusterer::isotopeSpacing / 2,
         {2},
         true},
        {"a wrong charge, whose complements fall elsewhere", precursorMz, {3}, false},
    };
    for (const Row& row : rows) {
        const ostrand::ComplementaryIons complements(row.precursorMz, row.charges);
        const auto peaks = MMathUtils::DoCentroidNative(product.spectrum, true, false, true, 0, 0,
                                                        row.charges.empty() ? nullptr : &complements);
        int fragmentsKept = 0;
        int loneKept = 0;
        for (const Case& c : product.cases)
            (c.fragment ? fragmentsKept : loneKept) += listed(*peaks, c.mz) ? 1 : 0;
        if (row.evidence)
            EXPECT_GE(fragmentsKept, 18) << row.what << ": of 20 weak b ions with a listed y partner";
        else
            EXPECT_LE(fragmentsKept, 2) << row.what << ": of 20 weak b ions with a listed y partner";
        EXPECT_LE(loneKept, 2) << row.what << ": of 20 lone peaks of the same height";
        // The strong partners are listed whatever the evidence asked for.
        for (const Case& c : product.cases) {
            if (c.fragment) {
                EXPECT_TRUE(listed(*peaks, peptideMass + 2 * protonMass - c.mz)) << row.what << c.mz;
            }
        }
    }
}

} // namespace
