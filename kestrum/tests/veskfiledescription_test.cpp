// The description `vesk info` prints, and which samples count as data-dependent runs.
#include "veskfixture.h"

#include "kestrum/veskfile.h"
#include "kestrum/veskfiledescription.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

class VeskFileDescriptionTest : public VeskFileTest {};

TEST_F(VeskFileDescriptionTest, DescribesEverySampleWithScanTypesAndScanCounts) {
    const QString path = pathOf(QStringLiteral("run.vesk"));
    writeTwoSampleFile(path);
    const QString text = describeVeskFile(*VeskFile::open(path));
    EXPECT_EQ(text, QStringLiteral("File: %1\n"
                                   "Samples: 2\n"
                                   "Sample 1 \"Run A\": 1 period, data-dependent\n"
                                   "  Period 0: 2 experiments, 4 cycles (60.100 to 66.100 s)\n"
                                   "    Experiment 0: +TOF MS (code 8), fixed mass 0, 4 scans\n"
                                   "    Experiment 1: +TOF Product (code 9), fixed mass 0, 2 scans\n"
                                   "Sample 2 \"Run B\": 2 periods, not data-dependent\n"
                                   "  Period 0: 1 experiment, 2 cycles (0.000 to 31.000 s)\n"
                                   "    Experiment 0: +Q1 scan (code 0), fixed mass 0, 1 scan\n"
                                   "  Period 1: 2 experiments, 3 cycles (100.000 to 120.000 s)\n"
                                   "    Experiment 0: -Q3 scan (code 2), fixed mass 0, 0 scans\n"
                                   "    Experiment 1: -Product (code 6), fixed mass 250, 0 scans\n")
                        .arg(path));
}

// A sample name is shown on one line, whatever control characters the file holds in it.
TEST_F(VeskFileDescriptionTest, ControlCharactersOfASampleNameAreNotPassedToTheTerminal) {
    const QString path = pathOf(QStringLiteral("names.vesk"));
    {
        VeskWriter writer(path);
        writer.addSample(QStringLiteral("A\x1b]0;title\x07\0B\r\nC\tD"));
        writer.commit();
    }
    EXPECT_TRUE(
        describeVeskFile(*VeskFile::open(path)).contains(QStringLiteral("Sample 1 \"A_]0;title__B_C_D\": ")));
}

TEST_F(VeskFileDescriptionTest, DataDependentNeedsOnePeriodAndAProductScanBelowFixedMass31) {
    const QString path = pathOf(QStringLiteral("dde.vesk"));
    {
        VeskWriter writer(path);
        for (double fixedMass : {31.0, 30.99}) {
            const int sample = writer.addSample(QStringLiteral("fixed %1").arg(fixedMass));
            writer.addPeriod(sample);
            writer.addExperiment(sample, 0, {TOFMS, 0, 0});
            writer.addExperiment(sample, 0, {TOFProduct, 0, fixedMass});
        }
        // Two periods are never data-dependent, whatever their experiments.
        const int twoPeriods = writer.addSample(QStringLiteral("two periods"));
        for (int period : {writer.addPeriod(twoPeriods), writer.addPeriod(twoPeriods)})
            writer.addExperiment(twoPeriods, period, {TOFProduct, 0, 0});
        writer.commit();
    }
    const auto file = VeskFile::open(path);
    EXPECT_FALSE(isDataDependentSample(*file, 1));
    EXPECT_TRUE(isDataDependentSample(*file, 2));
    EXPECT_FALSE(isDataDependentSample(*file, 3));
}

} // namespace
