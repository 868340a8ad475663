#include "kestrum/simulation/productscansimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace kestrum::simulation;

namespace {

constexpr int ScansPerCheck = 200;

// Local maxima of a scan: points higher than the one before and not lower than the one after,
// as the plainest peak picker sees them.
std::vector<double> localMaxima(const kestrum::ScanRecord& scan) {
    std::vector<double> maxima;
    for (std::size_t i = 1; i + 1 < scan.mz.size(); ++i)
        if (scan.intensity[i] > scan.intensity[i - 1] && scan.intensity[i] >= scan.intensity[i + 1])
            maxima.push_back(scan.mz[i]);
    return maxima;
}

bool anyWithin(const std::vector<double>& sortedMz, double mz, double tolerance) {
    auto it = std::lower_bound(sortedMz.begin(), sortedMz.end(), mz - tolerance);
    return it != sortedMz.end() && *it <= mz + tolerance;
}

// The highest intensity recorded within `tolerance` of an m/z.
double highestNear(const kestrum::ScanRecord& scan, double mz, double tolerance) {
    double highest = 0;
    auto it = std::lower_bound(scan.mz.begin(), scan.mz.end(), mz - tolerance);
    for (; it != scan.mz.end() && *it <= mz + tolerance; ++it)
        highest = std::max(highest, scan.intensity[it - scan.mz.begin()]);
    return highest;
}

TEST(ProductScanSimulator, ProfileScansLookLikeInstrumentData) {
    InstrumentSettings instrument;
    const ProductScanSimulator simulator(instrument, Polarity::Positive);
    double trueMaxima = 0, allMaxima = 0, strongFragments = 0;
    for (int i = 0; i < ScansPerCheck; ++i) {
        const SimulatedProductScan product = simulator.randomScan(7, i);
        ASSERT_TRUE(std::is_sorted(product.scan.mz.begin(), product.scan.mz.end()));
        ASSERT_FALSE(product.scan.centroided);
        const std::vector<double> maxima = localMaxima(product.scan);
        allMaxima += static_cast<double>(maxima.size());
        for (const FragmentTruth& fragment : product.truth.fragments) {
            const double width = fragment.mz / instrument.resolution;
            strongFragments += fragment.height >= 10 * product.truth.noiseLevel ? 1 : 0;
            trueMaxima += anyWithin(maxima, fragment.mz, width / 2) ? 1 : 0;
            // A fragment well above the noise is recorded where the answer says, at about its height.
            if (fragment.height >= 20 * product.truth.noiseLevel) {
                const double recorded = highestNear(product.scan, fragment.mz, width / 2);
                EXPECT_GT(recorded, 0.6 * fragment.height)
                    << product.truth.peptide.toStdString() << ' ' << fragment.ion.toStdString();
            }
        }
    }
    // A plain local-maximum picker keeps about one true fragment in ten of the maxima it finds,
    // while fragments ten times above the noise are common.
    EXPECT_GT(trueMaxima / allMaxima, 0.05);
    EXPECT_LT(trueMaxima / allMaxima, 0.2);
    EXPECT_GT(strongFragments / ScansPerCheck, 8.0);
}

TEST(ProductScanSimulator, CentroidScansHoldOnePointPerResolvedPeak) {
    InstrumentSettings instrument;
    instrument.centroid = true;
    const ProductScanSimulator simulator(instrument, Polarity::Positive);
    for (int i = 0; i < 50; ++i) {
        const SimulatedProductScan product = simulator.randomScan(3, i);
        ASSERT_TRUE(product.scan.centroided);
        ASSERT_TRUE(std::is_sorted(product.scan.mz.begin(), product.scan.mz.end()));
        for (const FragmentTruth& fragment : product.truth.fragments) {
            if (fragment.height >= 20 * product.truth.noiseLevel) {
                EXPECT_GT(highestNear(product.scan, fragment.mz, 20e-6 * fragment.mz), 0.6 * fragment.height);
            }
        }
        for (std::size_t k = 1; k < product.scan.mz.size(); ++k)
            ASSERT_GT(product.scan.mz[k] - product.scan.mz[k - 1],
                      0.5 * product.scan.mz[k] / instrument.resolution);
    }
}

TEST(ProductScanSimulator, FragmentChargesFollowThePrecursorCharge) {
    const PeptidePool& pool = PeptidePool::builtIn();
    const Peptide& peptide = pool.peptides[10];
    const ProductScanSimulator simulator(InstrumentSettings{}, Polarity::Positive);
    SimulationRandom random(5);
    std::set<int> chargesSeen[5];
    for (int charge = 1; charge <= 4; ++charge)
        for (int i = 0; i < 20; ++i)
            for (const FragmentTruth& f :
                 simulator.simulate({&peptide, charge, 0, 5000}, {}, random).truth.fragments)
                chargesSeen[charge].insert(f.charge);
    EXPECT_EQ(chargesSeen[1], std::set<int>{1});
    EXPECT_EQ(chargesSeen[2], std::set<int>{1});
    EXPECT_EQ(chargesSeen[3], (std::set<int>{1, 2}));
    EXPECT_EQ(chargesSeen[4], (std::set<int>{1, 2}));
}

TEST(ProductScanSimulator, PrecursorReportedIsTheIsolatedPeak) {
    const PeptidePool& pool = PeptidePool::builtIn();
    const auto heavy = std::find_if(pool.peptides.begin(), pool.peptides.end(),
                                    [](const Peptide& p) { return p.mass > 2500; });
    ASSERT_NE(heavy, pool.peptides.end());
    const ProductScanSimulator simulator(InstrumentSettings{}, Polarity::Positive);
    SimulationRandom random(1);
    const SimulatedProductScan product =
        simulator.simulate({&*heavy, 3, 1, 800}, {2, 0, 3, 17, 42.5}, random);
    const double mono = (heavy->mass + 3 * ProtonMass) / 3;
    EXPECT_NEAR(product.truth.monoisotopicMz, mono, 1e-9);
    EXPECT_NEAR(product.truth.isolatedMz, mono + IsotopeSpacing / 3, 1e-9);
    EXPECT_EQ(*product.scan.precursorMz, product.truth.isolatedMz);
    EXPECT_EQ(product.scan.precursorCharge, 3);
    EXPECT_EQ(product.scan.sample, 2);
    EXPECT_EQ(product.scan.experiment, 3);
    EXPECT_EQ(product.scan.cycle, 17);
    EXPECT_EQ(product.scan.retentionTimeSeconds, 42.5);
    EXPECT_EQ(product.truth.peptide, heavy->sequence);
    EXPECT_FALSE(product.truth.proteins.isEmpty());
}

TEST(ProductScanSimulator, RandomScansDependOnlyOnSeedAndIndex) {
    const ProductScanSimulator simulator(InstrumentSettings{}, Polarity::Positive);
    const SimulatedProductScan first = simulator.randomScan(11, 4);
    simulator.randomScan(11, 5);
    const SimulatedProductScan again = simulator.randomScan(11, 4);
    EXPECT_EQ(first.scan.mz, again.scan.mz);
    EXPECT_EQ(first.scan.intensity, again.scan.intensity);
    EXPECT_EQ(first.truth.peptide, again.truth.peptide);
    EXPECT_NE(first.scan.intensity, simulator.randomScan(12, 4).scan.intensity);
}

} // namespace
