#include "export/mexportmstosorvex.h"
#include "export/sorvexstringhelper.h"
#include "settings/processingparameters.h"

#include "errors/numberederror.h"
#include "kestrum/centroidablespectrum.h"
#include "kestrum/scantype.h"
#include "kestrum/veskwriter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Spectrum = kestrum::CentroidableSpectrum;

class MExportMSToSorvexTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        exporter.GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("pmf.txt")));
    }

    // The written peak lines.
    QStringList lines() {
        return exporter.GetResultString().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    static Spectrum peakList(std::vector<double> mz, std::vector<double> intensity, bool centroided = true) {
        Spectrum spectrum(std::move(mz), std::move(intensity));
        spectrum.SetCentroided(centroided);
        return spectrum;
    }

    // `count` peaks from m/z 200 at intensity 1000, the first of them at `firstIntensity`.
    static Spectrum evenPeaks(int count, double firstIntensity) {
        std::vector<double> mz, intensity;
        for (int i = 0; i < count; ++i) {
            mz.push_back(200.0 + 10 * i);
            intensity.push_back(i == 0 ? firstIntensity : 1000);
        }
        return peakList(mz, intensity);
    }

    // One sample of TOF MS scans over `cycles` cycles; the scan of cycle c holds m/z 500 at c + 1.
    QString writeSurveyRun(int cycles, int periods = 1, int experiments = 1) {
        const QString path = dir.filePath(QStringLiteral("survey%1.vesk").arg(++files));
        kestrum::VeskWriter writer(path);
        const int sample = writer.addSample(QStringLiteral("Survey"));
        for (int period = 0; period < periods; ++period) {
            writer.addPeriod(sample);
            for (int e = 0; e < experiments; ++e)
                writer.addExperiment(sample, period, {kestrum::TOFMS, 0, 0});
            for (int cycle = 0; cycle < cycles; ++cycle) {
                writer.addCycle(sample, period, 100.0 * period + 2 * cycle);
                for (int e = 0; e < experiments; ++e)
                    writer.addScan({sample,
                                    period,
                                    e,
                                    cycle,
                                    100.0 * period + 2 * cycle + e,
                                    std::nullopt,
                                    0,
                                    true,
                                    {500.0 + e},
                                    {cycle + 1.0}});
            }
        }
        writer.commit();
        return path;
    }

    QTemporaryDir dir;
    int files = 0;
    ostrand::MExportMSToSorvex exporter;
    std::shared_ptr<ostrand::ProcessingParameters> params = std::make_shared<ostrand::ProcessingParameters>();
};

TEST_F(MExportMSToSorvexTest, LongPeakListsLoseTheirWeakestPeaks) {
    // Up to 50 peaks are written whole, even one at 0.1 % of the highest.
    exporter.DoExportSpectrum(evenPeaks(50, 1), params);
    EXPECT_EQ(lines().size(), 50);

    // From 51 peaks on, a peak at 1 % of the highest or below is dropped; one just above stays.
    exporter.GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("51.txt")));
    exporter.DoExportSpectrum(evenPeaks(51, 10), params);
    EXPECT_EQ(lines().size(), 50);
    EXPECT_EQ(lines().front(), QStringLiteral("210 1000"));
    exporter.GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("51b.txt")));
    exporter.DoExportSpectrum(evenPeaks(51, 10.0001), params);
    EXPECT_EQ(lines().front(), QStringLiteral("200 10.0001"));
}

TEST_F(MExportMSToSorvexTest, PeaksAtOrBelowMz100AreKeptOnlyForMsMs) {
    const Spectrum spectrum = peakList({99.5, 100.0, 100.00006}, {5, 5, 5});
    exporter.DoExportSpectrum(spectrum, params);
    EXPECT_EQ(lines(), QStringList{QStringLiteral("100.0001 5")});

    exporter.GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("msms.txt")));
    exporter.SetMSMS();
    exporter.DoExportSpectrum(spectrum, params);
    EXPECT_EQ(lines(),
              (QStringList{QStringLiteral("99.5 5"), QStringLiteral("100 5"), QStringLiteral("100.0001 5")}));
}

TEST_F(MExportMSToSorvexTest, OnlyProfileDataGoThroughThePeakFinder) {
    // A 2+ isotope cluster: a peak list is written as it stands; the same points as profile data
    // are centroided and de-isotoped into one peak of the cluster's summed height.
    const std::vector<double> mz{450.2, 450.2 + 1.00335 / 2, 450.2 + 1.00335};
    const std::vector<double> intensity{1000, 650, 250};
    exporter.DoExportSpectrum(peakList(mz, intensity), params);
    EXPECT_EQ(lines().size(), 3);

    exporter.GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("profile.txt")));
    const Spectrum profile = peakList(mz, intensity, false);
    exporter.DoExportSpectrum(profile, params);
    EXPECT_EQ(lines(), QStringList{QStringLiteral("450.2 1900")});
    EXPECT_FALSE(profile.IsCentroided());
    EXPECT_EQ(profile.PointCount(), 3);
}

TEST_F(MExportMSToSorvexTest, RunsAreSummedWithoutTheirFirstAndLastCycle) {
    exporter.DoExportFile(writeSurveyRun(2), 1, params);
    EXPECT_EQ(lines(), QStringList{QStringLiteral("500 3")});

    exporter.GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("three.txt")));
    exporter.DoExportFile(writeSurveyRun(3), 1, params);
    EXPECT_EQ(lines(), QStringList{QStringLiteral("500 2")});

    exporter.GetQueryStringHelper()->SetFilename(dir.filePath(QStringLiteral("second.txt")));
    exporter.DoExportExperiment(writeSurveyRun(4, 2, 2), 1, 1, 1, params);
    EXPECT_EQ(lines(), QStringList{QStringLiteral("501 5")});
}

TEST_F(MExportMSToSorvexTest, WholeFileExportRefusesSeveralPeriodsOrExperiments) {
    const auto failure = [&](const QString& path) {
        try {
            exporter.DoExportFile(path, 1, params);
        } catch (const errors::NumberedError& error) {
            EXPECT_EQ(error.number(), 1);
            return error.description();
        }
        return QString();
    };
    EXPECT_EQ(failure(writeSurveyRun(3, 2)), QStringLiteral("Cannot process multi-period samples."));
    EXPECT_EQ(failure(writeSurveyRun(3, 1, 2)), QStringLiteral("Cannot process multi-experiment samples."));
    EXPECT_TRUE(lines().isEmpty());
}

} // namespace
