// A spectrum holding a value that is not a finite number (from a damaged file, say) is refused:
// a NaN intensity used to leave the profile search stepping in place while memory ran out.
#include "kestrum/peakfinder/peakfinderfactory.h"

#include "errors/numberederror.h"
#include "kestrum/centroidablespectrum.h"
#include "profilebuilder.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(PeakFinderInput, ValuesThatAreNotFiniteAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    kestrum::testing::ProfileBuilder profile;
    profile.grid().peak(500, 1000);
    const std::size_t apex = profile.mz.size() / 2;
    const struct {
        const char* name;
        std::size_t point;
        double mz;
        double intensity;
    } cases[] = {{"NaN intensity at a peak", apex, profile.mz[apex], nan},
                 {"infinite intensity", apex, profile.mz[apex], inf},
                 {"NaN m/z", 10, nan, 1.0}};
    QString options;
    const auto finder = kestrum::PeakFinderFactory().CreatePeakFinder(options, 1, 1);
    for (const auto& c : cases) {
        kestrum::CentroidableSpectrum spectrum(profile.mz, profile.intensity);
        spectrum.SetPoint(static_cast<int>(c.point) + 1, c.mz, c.intensity);
        try {
            finder->FindPeaks(1, spectrum, -1, 0, 0, options);
            ADD_FAILURE() << c.name << " was searched";
        } catch (const errors::NumberedError& error) {
            EXPECT_TRUE(error.description().contains(QStringLiteral("not a finite number"))) << c.name;
        }
    }
}

} // namespace
