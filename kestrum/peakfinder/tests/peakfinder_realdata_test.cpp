// The peak finder on a real profile product scan (an Orbitrap HCD spectrum stored without its
// noise, each peak bracketed by zeros).
#include "kestrum/import/spectrumsource.h"
#include "kestrum/peakfinder/peakfinderfactory.h"

#include "kestrum/spectrumdata.h"

#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>

using kestrum::Peak;
using kestrum::SpectrumData;

namespace {

struct Stretch {
    double firstMz;
    double lastMz;
    double highest;
};

// The runs of non-zero points between zeros.
std::vector<Stretch> stretchesOf(const std::vector<double>& mz, const std::vector<double>& intensity) {
    std::vector<Stretch> stretches;
    bool open = false;
    for (std::size_t i = 0; i < mz.size(); ++i) {
        if (intensity[i] <= 0) {
            open = false;
            continue;
        }
        if (!open)
            stretches.push_back({mz[i], mz[i], 0});
        open = true;
        stretches.back().lastMz = mz[i];
        stretches.back().highest = std::max(stretches.back().highest, intensity[i]);
    }
    return stretches;
}

} // namespace

TEST(PeakFinderOnRealData, FindsEveryStrongPeakOfAnOrbitrapProductScan) {
    const QString path = QStringLiteral(OSTRAND_SHARED_DATA_DIR "/MS2_profile.mzML");
    if (!QFileInfo::exists(path))
        GTEST_SKIP() << "the public data file " << path.toStdString() << " is absent";
    const kestrum::SourceSpectrum scan = kestrum::SpectrumSource(path).read(0);
    ASSERT_FALSE(scan.centroided);
    const SpectrumData spectrum(scan.mz, scan.intensity);
    QString options;
    const auto list = kestrum::PeakFinderFactory()
                          .CreatePeakFinder(options, 1, 1)
                          ->FindPeaks(1, spectrum, -1, 0, 0, options);
    const std::vector<Peak>& peaks = list->peaks();

    const std::vector<Stretch> stretches = stretchesOf(scan.mz, scan.intensity);
    const double basePeak = *std::max_element(scan.intensity.begin(), scan.intensity.end());
    int strong = 0;
    for (const Stretch& stretch : stretches) {
        if (stretch.highest < 0.01 * basePeak)
            continue;
        ++strong;
        const bool found = std::any_of(peaks.begin(), peaks.end(), [&](const Peak& p) {
            return p.mz >= stretch.firstMz && p.mz <= stretch.lastMz && p.height == stretch.highest;
        });
        EXPECT_TRUE(found) << "no peak for the stretch at " << stretch.firstMz;
    }
    EXPECT_EQ(strong, 104);
    // Weak stored peaks are kept too, and no stretch is split into noise.
    EXPECT_GE(peaks.size(), 150u);
    EXPECT_LE(peaks.size(), stretches.size() + 10);

    // The immonium-like fragment at 164.105 and its first isotope one dalton above.
    const auto at = [&](double mz) {
        return std::find_if(peaks.begin(), peaks.end(),
                            [mz](const Peak& p) { return std::abs(p.mz - mz) < 0.003; });
    };
    const auto mono = at(164.1051);
    const auto isotope = at(165.1078);
    ASSERT_NE(mono, peaks.end());
    ASSERT_NE(isotope, peaks.end());
    EXPECT_TRUE(mono->standsForItself);
    EXPECT_EQ(mono->charge, 1);
    EXPECT_FALSE(isotope->standsForItself);
    EXPECT_DOUBLE_EQ(isotope->monoisotopicMz, mono->mz);
}
