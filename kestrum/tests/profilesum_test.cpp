// Summing profile scans: whether all scans of a range are loaded at once or added one by one as an
// export does, a sum keeps the size of one scan's sampling grid even when each scan's grid is
// shifted against the others, its peak stays where the scans put it, and not one count of
// intensity is lost or doubled.
#include "veskfixture.h"

#include "kestrum/filespectrum.h"

#include <cmath>
#include <functional>
#include <numeric>

using namespace kestrum;
using namespace kestrum::testing;

namespace {

constexpr int scans = 50;
constexpr int gridPoints = 400;
// A flight-time grid like a TOF's: steps even in sqrt(m/z), so the interval grows with m/z.
constexpr double firstRoot = 20.0;
constexpr double rootStep = 1.2e-4;

constexpr double peakIndex = 200.3;
constexpr double peakSigma = 3.0;                                      // in grid steps
const double step = 2 * (firstRoot + peakIndex * rootStep) * rootStep; // in m/z, at the peak

double gridMz(double index) {
    const double root = firstRoot + index * rootStep;
    return root * root;
}

TEST_F(VeskFileTest, ProfileSumsStayOnOneGridAndKeepEveryCount) {
    const struct {
        const char* name;
        std::function<double(int scan)> shift; // of each scan's grid, in grid steps
    } cases[] = {
        {"one common grid", [](int) { return 0.0; }},
        {"every other scan half a step off", [](int scan) { return 0.5 * (scan % 2); }},
        {"thirds of a step", [](int scan) { return (scan % 3) / 3.0; }},
        {"slow drift over a whole step", [](int scan) { return std::fmod(0.037 * scan, 1.0); }},
        {"almost a full step back and forth", [](int scan) { return 0.999 * (scan % 2); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = pathOf(QStringLiteral("%1.vesk").arg(QString::fromLatin1(c.name)));
        double total = 0;
        double peakCounts = 0, peakMoment = 0; // of the points within four widths of the peak
        {
            VeskWriter writer(path);
            const int sample = writer.addSample(QStringLiteral("Run"));
            writer.addPeriod(sample);
            writer.addExperiment(sample, 0, {TOFMS, 0, 0});
            for (int scan = 0; scan < scans; ++scan) {
                std::vector<double> mz, intensity;
                for (int i = 0; i < gridPoints; ++i) {
                    const double index = i + c.shift(scan);
                    mz.push_back(gridMz(index));
                    // A peak on a background, in whole counts, so that every sum is exact
                    // whatever the order of adding.
                    const double offset = (index - peakIndex) / peakSigma;
                    intensity.push_back(1.0 + (i * 7 + scan * 3) % 5 +
                                        std::round(1000 * std::exp(-0.5 * offset * offset)));
                    total += intensity.back();
                    if (std::abs(offset) < 4) {
                        peakCounts += intensity.back();
                        peakMoment += intensity.back() * mz.back();
                    }
                }
                writer.addCycle(sample, 0, scan);
                writer.addScan(makeScan(sample, 0, 0, scan, scan + 0.5, mz, intensity));
            }
            writer.commit();
        }

        FileSpectrum loaded;
        loaded.SetDataFile(path);
        loaded.LoadSpectrum(1, 0, 0, 0.0f, float(scans));

        // One scan after another, as the export's grouping sums them.
        FileSpectrum added;
        added.SetDataFile(path);
        added.LoadSpectrum(1, 0, 0, 0.5f, 0.5f);
        for (int scan = 1; scan < scans; ++scan) {
            FileSpectrum next;
            next.SetDataFile(path);
            next.LoadSpectrum(1, 0, 0, scan + 0.5f, scan + 0.5f);
            added.MergeSpectrum(next, 0.001);
        }

        for (const FileSpectrum* sum : {&loaded, &added}) {
            SCOPED_TRACE(sum == &loaded ? "loaded at once" : "added one by one");
            const auto& y = sum->intensities();
            EXPECT_EQ(std::accumulate(y.begin(), y.end(), 0.0), total);
            // One grid, give or take a few points at its ends where shifted grids reach beyond it.
            EXPECT_GE(sum->PointCount(), gridPoints - 1);
            EXPECT_LE(sum->PointCount(), gridPoints + 5);
            EXPECT_TRUE(std::is_sorted(sum->mzValues().begin(), sum->mzValues().end()));
            // The summed peak's centre stays within half a sampling step of the scans' one however
            // many scans are added: the sum's points sit where one scan sampled, never drifting.
            double counts = 0, moment = 0;
            for (int i = 1; i <= sum->PointCount(); ++i)
                if (std::abs(sum->XAt(i) - gridMz(peakIndex)) < 4 * peakSigma * step) {
                    counts += sum->YAt(i);
                    moment += sum->YAt(i) * sum->XAt(i);
                }
            EXPECT_NEAR(moment / counts, peakMoment / peakCounts, 0.4 * step);
        }
    }
}

} // namespace
