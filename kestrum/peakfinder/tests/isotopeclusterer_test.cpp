#include "kestrum/peakfinder/isotopeclusterer.h"

#include <gtest/gtest.h>

#include <algorithm>

using kestrum::IsotopeClusterer;
using kestrum::IsotopeTolerance;
using kestrum::Peak;

namespace {

constexpr double spacing = IsotopeClusterer::isotopeSpacing;
const IsotopeTolerance tolerance{0.002, 10e-6, 0};

Peak at(double mz, double height) {
    Peak peak;
    peak.mz = mz;
    peak.height = height;
    return peak;
}

void addCluster(std::vector<Peak>& peaks, double monoisotopicMz, int charge,
                const std::vector<double>& heights) {
    for (std::size_t k = 0; k < heights.size(); ++k)
        peaks.push_back(at(monoisotopicMz + static_cast<double>(k) * spacing / charge, heights[k]));
}

std::vector<Peak> clustered(std::vector<Peak> peaks, int chargeLimit = 4) {
    std::sort(peaks.begin(), peaks.end(), [](const Peak& a, const Peak& b) { return a.mz < b.mz; });
    IsotopeClusterer().assign(peaks, tolerance, chargeLimit);
    return peaks;
}

const Peak& peakAt(const std::vector<Peak>& peaks, double mz) {
    const auto it =
        std::find_if(peaks.begin(), peaks.end(), [mz](const Peak& p) { return std::abs(p.mz - mz) < 1e-6; });
    EXPECT_NE(it, peaks.end()) << mz;
    return *it;
}

} // namespace

TEST(IsotopeClusterer, GroupsAClusterAndNamesItsMonoisotopicPeak) {
    for (int charge = 1; charge <= 4; ++charge) {
        std::vector<Peak> input;
        addCluster(input, 700.3, charge, {1000, 700, 300, 90});
        input.push_back(at(690.0, 50)); // a lone peak nearby
        const std::vector<Peak> peaks = clustered(input);
        const Peak& mono = peakAt(peaks, 700.3);
        EXPECT_TRUE(mono.standsForItself);
        EXPECT_EQ(mono.charge, charge);
        for (int k = 1; k < 4; ++k) {
            const Peak& isotope = peakAt(peaks, 700.3 + k * spacing / charge);
            EXPECT_FALSE(isotope.standsForItself) << "charge " << charge << " isotope " << k;
            EXPECT_EQ(isotope.charge, charge);
            EXPECT_DOUBLE_EQ(isotope.monoisotopicMz, mono.mz);
        }
        const Peak& lone = peakAt(peaks, 690.0);
        EXPECT_TRUE(lone.standsForItself);
        EXPECT_EQ(lone.charge, 0);
        EXPECT_DOUBLE_EQ(lone.monoisotopicMz, 690.0);
    }
}

TEST(IsotopeClusterer, FindsTheMonoisotopicPeakOfHeavyIonsBelowTheStrongestOne) {
    // A 3,000 Da fragment at charge 2: its second isotope is the strongest.
    std::vector<Peak> input;
    addCluster(input, 1500.7, 2, {600, 1000, 800, 450, 200});
    const std::vector<Peak> peaks = clustered(input);
    EXPECT_TRUE(peakAt(peaks, 1500.7).standsForItself);
    EXPECT_FALSE(peakAt(peaks, 1500.7 + spacing / 2).standsForItself);
    EXPECT_EQ(peakAt(peaks, 1500.7).charge, 2);
}

TEST(IsotopeClusterer, PeakTooStrongForThePatternStartsItsOwnCluster) {
    // A weaker charge-1 cluster whose third isotope coincides with a strong monoisotopic peak of
    // another charge-1 cluster, and a charge-2 cluster interleaved with the first.
    std::vector<Peak> input;
    addCluster(input, 500.0, 1, {400, 120});
    addCluster(input, 500.0 + 2 * spacing, 1, {2000, 600, 150});
    addCluster(input, 500.25, 2, {300, 160});
    const std::vector<Peak> peaks = clustered(input);
    EXPECT_TRUE(peakAt(peaks, 500.0).standsForItself);
    EXPECT_EQ(peakAt(peaks, 500.0).charge, 1);
    EXPECT_FALSE(peakAt(peaks, 500.0 + spacing).standsForItself);
    const Peak& second = peakAt(peaks, 500.0 + 2 * spacing);
    EXPECT_TRUE(second.standsForItself);
    EXPECT_EQ(second.charge, 1);
    EXPECT_FALSE(peakAt(peaks, 500.0 + 3 * spacing).standsForItself);
    EXPECT_DOUBLE_EQ(peakAt(peaks, 500.0 + 3 * spacing).monoisotopicMz, second.mz);
    EXPECT_TRUE(peakAt(peaks, 500.25).standsForItself);
    EXPECT_EQ(peakAt(peaks, 500.25).charge, 2);
    EXPECT_DOUBLE_EQ(peakAt(peaks, 500.25 + spacing / 2).monoisotopicMz, 500.25);
}

TEST(IsotopeClusterer, RejectsNeighboursThatDoNotFollowAnIsotopePattern) {
    // A tiny peak one spacing above a strong one, and a strong one one spacing below a weak one.
    std::vector<Peak> input{at(400.0, 1000), at(400.0 + spacing, 5), at(800.0, 50),
                            at(800.0 + spacing, 1000)};
    for (const Peak& peak : clustered(input)) {
        EXPECT_TRUE(peak.standsForItself) << peak.mz;
        EXPECT_EQ(peak.charge, 0) << peak.mz;
    }
}

TEST(IsotopeClusterer, SearchesChargesOnlyUpToTheLimit) {
    std::vector<Peak> input;
    addCluster(input, 600.0, 3, {1000, 900, 450});
    // With the limit at 2, the peaks 1/3 apart are no cluster at all.
    for (const Peak& peak : clustered(input, 2)) {
        EXPECT_TRUE(peak.standsForItself);
        EXPECT_EQ(peak.charge, 0);
    }
    EXPECT_EQ(clustered(input, 3).front().charge, 3);
    // Charges the data cannot resolve are not searched either.
    std::vector<Peak> peaks = input;
    IsotopeClusterer().assign(peaks, {0, 0, 1.0 / 1500}, 4);
    EXPECT_EQ(peaks.front().charge, 0);
}
