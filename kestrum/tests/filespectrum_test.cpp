// Loading spectra and chromatograms from a Vesk file: sums over time ranges, titles, units and
// one chromatogram point per cycle.
#include "veskfixture.h"

#include "kestrum/filespectrum.h"
#include "kestrum/veskfile.h"

#include "errors/numberederror.h"

using namespace kestrum;
using namespace kestrum::testing;

namespace {

class FileSpectrumTest : public VeskFileTest {
protected:
    void SetUp() override {
        VeskFileTest::SetUp();
        path = pathOf(QStringLiteral("run.vesk"));
        writeTwoSampleFile(path);
        spectrum.SetDataFile(path);
    }
    QString path;
    FileSpectrum spectrum;
};

TEST_F(FileSpectrumTest, ASingleProductScanIsTitledWithPrecursorAndTime) {
    spectrum.LoadSpectrum(1, 0, 1, 61.0f, 61.0f);
    EXPECT_EQ(spectrum.Title(), QStringLiteral("+TOF Product (523.7812): 1.017 min"));
    EXPECT_EQ(spectrum.XUnits(), QStringLiteral("Da"));
    EXPECT_EQ(spectrum.mzValues(), (std::vector<double>{120.5, 250.25, 500.125}));
    EXPECT_TRUE(spectrum.IsCentroided());
    EXPECT_EQ(spectrum.origin().sample, 1);
    EXPECT_EQ(spectrum.origin().experiment, 1);
    EXPECT_EQ(spectrum.origin().file->FilePath(), path);
}

TEST_F(FileSpectrumTest, ARangeSumsEveryScanOfTheExperimentInIt) {
    // Survey scans at 60.1, 62.1 and 64.1 s; the one at 66.1 s lies outside.
    spectrum.LoadSpectrum(1, 0, 0, 66.0f, 60.0f);
    EXPECT_EQ(spectrum.Title(), QStringLiteral("+TOF MS: 1.002 to 1.068 min"));
    EXPECT_EQ(spectrum.mzValues(), (std::vector<double>{400.0, 523.7812, 600.0, 601.0, 602.0}));
    EXPECT_EQ(spectrum.intensities(), (std::vector<double>{60.0, 300.0, 1.0, 1.0, 1.0}));
    EXPECT_FALSE(spectrum.IsCentroided());
    EXPECT_EQ(spectrum.origin().startTimeSeconds, 60.0f);

    // Reloading replaces the points; an empty range gives an empty spectrum.
    spectrum.LoadSpectrum(1, 0, 1, 62.0f, 64.0f);
    EXPECT_EQ(spectrum.PointCount(), 0);
    EXPECT_FALSE(spectrum.IsCentroided());
    EXPECT_EQ(spectrum.Title(), QStringLiteral("+TOF Product: 1.033 to 1.067 min"));
}

TEST_F(FileSpectrumTest, NegativeExperimentsAndMissingFilesOrIndexes) {
    spectrum.LoadSpectrum(2, 1, 1, 0.0f, 500.0f);
    EXPECT_TRUE(spectrum.Title().startsWith(QStringLiteral("-Product:")));
    EXPECT_THROW(spectrum.LoadSpectrum(1, 0, 2, 0.0f, 1.0f), errors::NumberedError);
    FileSpectrum unset;
    EXPECT_THROW(unset.LoadSpectrum(1, 0, 0, 0.0f, 1.0f), errors::NumberedError);
    EXPECT_THROW(unset.SetDataFile(pathOf(QStringLiteral("absent.vesk"))), errors::NumberedError);
}

TEST_F(FileSpectrumTest, ChromatogramHasOnePointPerCycleInMinutes) {
    FileChromatogram chromatogram;
    chromatogram.SetDataFile(path);
    chromatogram.LoadChromatogram(1, 0, 1);
    EXPECT_EQ(chromatogram.XUnits(), QStringLiteral("min"));
    ASSERT_EQ(chromatogram.PointCount(), 4);
    EXPECT_EQ(chromatogram.intensities(), (std::vector<double>{21, 0, 21, 0}));
    EXPECT_DOUBLE_EQ(chromatogram.XAt(1), double{61.0f} / 60.0);
    EXPECT_DOUBLE_EQ(chromatogram.XAt(2), double{62.0f} / 60.0); // the cycle start where there is no scan
    EXPECT_EQ(chromatogram.Title(), QStringLiteral("TIC of +TOF Product, experiment 1"));

    chromatogram.LoadChromatogram(2, 1, 0); // a period without scans
    EXPECT_EQ(chromatogram.intensities(), (std::vector<double>{0, 0, 0}));
}

} // namespace
