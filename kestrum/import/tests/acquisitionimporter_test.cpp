// Import of small mzML files written for each rule: cycles and experiments, scan types, precursors,
// polarity, points, samples, and what is left behind when an import fails.
#include "importedscans.h"
#include "mzmlfixture.h"

#include "errors/numberederror.h"
#include "kestrum/import/acquisitionimporter.h"
#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testfixture::FixtureSpectrum;
using testfixture::ImportedScan;

namespace {

FixtureSpectrum survey(double time, QString analyzer = QStringLiteral("orbitrap")) {
    FixtureSpectrum spectrum;
    spectrum.retentionTimeSeconds = time;
    spectrum.analyzer = std::move(analyzer);
    return spectrum;
}

FixtureSpectrum product(double time, double precursor, int charge = 2,
                        QString analyzer = QStringLiteral("ion trap")) {
    FixtureSpectrum spectrum;
    spectrum.msLevel = 2;
    spectrum.retentionTimeSeconds = time;
    spectrum.precursorMz = precursor;
    spectrum.charge = charge;
    spectrum.analyzer = std::move(analyzer);
    return spectrum;
}

class AcquisitionImporterTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_folder.filePath(name); }

    // Writes the spectra as one mzML input, imports it and reads every scan back.
    std::vector<ImportedScan> importRun(const std::vector<FixtureSpectrum>& spectra,
                                        const kestrum::AcquisitionImporter& importer = {}) {
        testfixture::writeMzml(path(QStringLiteral("run.mzML")), spectra);
        importer.importFiles({path(QStringLiteral("run.mzML"))}, path(QStringLiteral("run.vesk")));
        return testfixture::importedScans(path(QStringLiteral("run.vesk")));
    }

    std::shared_ptr<kestrum::VeskFile> imported() const {
        return kestrum::VeskFile::open(path(QStringLiteral("run.vesk")));
    }

    QTemporaryDir m_folder;
};

TEST_F(AcquisitionImporterTest, SurveyScansStartCyclesAndExperimentsFollowAcquisitionOrder) {
    const auto scans = importRun(
        {survey(10), product(11, 500.25, 2), product(12, 600.5, 3), survey(13), product(14, 700.75, 4)});
    ASSERT_EQ(scans.size(), 5u);
    const std::vector<std::tuple<int, int>> expected{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}};
    for (std::size_t i = 0; i < scans.size(); ++i)
        EXPECT_EQ(std::make_tuple(scans[i].cycle, scans[i].experiment), expected[i]) << "scan " << i;
    const auto file = imported();
    EXPECT_EQ(file->ExperimentCount(1, 0), 3);
    EXPECT_EQ(file->CycleCount(1, 0), 2);
    EXPECT_FLOAT_EQ(file->CycleTime(1, 0, 2, 1), 13.0f); // no experiment 2 in cycle 1: the cycle's start
    EXPECT_EQ(scans[4].record.precursorMz, 700.75);
    EXPECT_EQ(scans[4].record.precursorCharge, 4);
    EXPECT_FALSE(scans[0].record.precursorMz);
    EXPECT_EQ(scans[0].scanTypeCode, kestrum::HighResolutionMS);
    EXPECT_EQ(scans[1].scanTypeCode, kestrum::EnhancedProduct);
    EXPECT_EQ(file->Experiment(1, 0, 1)->FixedMass(), 0.0);
}

TEST_F(AcquisitionImporterTest, MsMsBeforeTheFirstSurveyScanFormACycleWithoutOne) {
    const auto scans = importRun({product(1, 400.1), product(2, 401.2),
                                  survey(3, QStringLiteral("time-of-flight")), product(4, 402.3)});
    ASSERT_EQ(scans.size(), 4u);
    EXPECT_EQ(std::make_tuple(scans[0].cycle, scans[0].experiment), std::make_tuple(0, 1));
    EXPECT_EQ(std::make_tuple(scans[1].cycle, scans[1].experiment), std::make_tuple(0, 2));
    EXPECT_EQ(std::make_tuple(scans[2].cycle, scans[2].experiment), std::make_tuple(1, 0));
    // Experiment 0 takes its type from the survey scan even though MS/MS scans were seen first.
    EXPECT_EQ(imported()->Experiment(1, 0, 0)->ScanTypeCode(), kestrum::TOFMS);
    EXPECT_FLOAT_EQ(imported()->CycleTime(1, 0, 0, 0), 1.0f);
}

TEST_F(AcquisitionImporterTest, RunWithoutSurveyScansMakesEachScanACycleAsExperimentZero) {
    const auto scans = importRun({product(1, 400.1), product(2, 401.2), product(3, 402.3)});
    ASSERT_EQ(scans.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(std::make_tuple(scans[i].cycle, scans[i].experiment), std::make_tuple(i, 0));
    EXPECT_EQ(imported()->ExperimentCount(1, 0), 1);
    EXPECT_EQ(scans[0].scanTypeCode, kestrum::EnhancedProduct);
}

TEST_F(AcquisitionImporterTest, ScanTypesComeFromTheAnalyserOrTheOverrides) {
    FixtureSpectrum ms3 = product(4, 300.0, 0);
    ms3.msLevel = 3;
    const std::vector<FixtureSpectrum> run{survey(1, QStringLiteral("quadrupole")),
                                           product(2, 500.0, 2, QStringLiteral("time-of-flight")),
                                           product(3, 501.0, 2, QStringLiteral("orbitrap")), ms3};
    auto scans = importRun(run);
    ASSERT_EQ(scans.size(), 4u);
    EXPECT_EQ(scans[0].scanTypeCode, kestrum::Q1Scan);
    EXPECT_EQ(scans[1].scanTypeCode, kestrum::TOFProduct);
    EXPECT_EQ(scans[2].scanTypeCode, kestrum::ProductScan);
    EXPECT_EQ(scans[3].scanTypeCode, kestrum::MS3);

    kestrum::AcquisitionImporter overriding;
    overriding.scanTypes.surveyOverride = kestrum::EnhancedMS;
    overriding.scanTypes.productOverride = kestrum::TOFProduct;
    scans = importRun(run, overriding);
    EXPECT_EQ(scans[0].scanTypeCode, kestrum::EnhancedMS);
    EXPECT_EQ(scans[2].scanTypeCode, kestrum::TOFProduct);
    EXPECT_EQ(scans[3].scanTypeCode, kestrum::MS3);
}

TEST_F(AcquisitionImporterTest, PointsPolarityAndPeakModeComeFromTheFile) {
    FixtureSpectrum negative = survey(1);
    negative.negative = true;
    negative.centroided = false;
    negative.mz = {300.5, 100.25, 200.125}; // out of order in the file
    negative.intensity = {3, 1, 2};
    FixtureSpectrum empty = product(2, 450.0, 0);
    empty.mz.clear();
    empty.intensity.clear();
    const auto scans = importRun({negative, empty, survey(3)});
    ASSERT_EQ(scans.size(), 3u);
    EXPECT_EQ(scans[0].polarity, 1);
    EXPECT_FALSE(scans[0].record.centroided);
    EXPECT_EQ(scans[0].record.mz, (std::vector<double>{100.25, 200.125, 300.5}));
    EXPECT_EQ(scans[0].record.intensity, (std::vector<double>{1, 2, 3}));
    EXPECT_TRUE(scans[1].record.mz.empty());
    EXPECT_EQ(scans[1].record.precursorCharge, 0);
    EXPECT_EQ(scans[1].record.precursorMz, 450.0);
    EXPECT_TRUE(scans[2].record.centroided);
}

TEST_F(AcquisitionImporterTest, EachInputBecomesASampleNamedAfterItsFile) {
    testfixture::writeMzml(path(QStringLiteral("first.mzML")), {survey(1), product(2, 500)});
    testfixture::writeMzml(path(QStringLiteral("second.mzML")), {product(1, 400), product(2, 410)});
    std::vector<std::pair<int, qsizetype>> progress;
    kestrum::AcquisitionImporter importer;
    importer.reportProgress = [&](const kestrum::ImportProgress& step) {
        progress.emplace_back(step.input, step.spectrum);
    };
    importer.importFiles({path(QStringLiteral("first.mzML")), path(QStringLiteral("second.mzML"))},
                         path(QStringLiteral("run.vesk")));
    const auto file = imported();
    ASSERT_EQ(file->SampleCount(), 2);
    EXPECT_EQ(file->SampleName(1), QStringLiteral("first"));
    EXPECT_EQ(file->SampleName(2), QStringLiteral("second"));
    EXPECT_EQ(file->ExperimentCount(1, 0), 2);
    EXPECT_EQ(file->CycleCount(2, 0), 2);
    // The last report comes when the finished file is about to replace an older one.
    EXPECT_EQ(progress, (std::vector<std::pair<int, qsizetype>>{{0, 1}, {0, 2}, {1, 1}, {1, 2}, {1, 2}}));
}

TEST_F(AcquisitionImporterTest, FailedImportLeavesNoOutputAndKeepsAnOlderFile) {
    testfixture::writeMzml(path(QStringLiteral("good.mzML")), {survey(1)});
    const QString output = path(QStringLiteral("run.vesk"));
    QFile older(output);
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write("older results");
    older.close();
    kestrum::AcquisitionImporter importer;
    EXPECT_THROW(importer.importFiles(
                     {path(QStringLiteral("good.mzML")), path(QStringLiteral("missing.mzML"))}, output),
                 errors::NumberedError);
    ASSERT_TRUE(older.open(QIODevice::ReadOnly));
    EXPECT_EQ(older.readAll(), QByteArray("older results"));
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("good.mzML"), QStringLiteral("run.vesk")}));
}

// Abandoned at the first spectrum, or while the finished file is about to replace the older one.
TEST_F(AcquisitionImporterTest, AbandonedImportLeavesNothingAndKeepsAnOlderFile) {
    testfixture::writeMzml(path(QStringLiteral("good.mzML")), {survey(1), survey(2)});
    const QString output = path(QStringLiteral("run.vesk"));
    for (const int stopAtReport : {1, 3}) {
        SCOPED_TRACE(stopAtReport);
        QFile older(output);
        ASSERT_TRUE(older.open(QIODevice::WriteOnly));
        older.write("older results");
        older.close();
        struct Stop {};
        int reports = 0;
        kestrum::AcquisitionImporter importer;
        importer.reportProgress = [&](const kestrum::ImportProgress&) {
            if (++reports == stopAtReport)
                throw Stop{};
        };
        EXPECT_THROW(importer.importFiles({path(QStringLiteral("good.mzML"))}, output), Stop);
        ASSERT_TRUE(older.open(QIODevice::ReadOnly));
        EXPECT_EQ(older.readAll(), QByteArray("older results"));
        EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files),
                  (QStringList{QStringLiteral("good.mzML"), QStringLiteral("run.vesk")}));
    }
}

TEST_F(AcquisitionImporterTest, UnwritableOutputIsReportedWithItsPath) {
    testfixture::writeMzml(path(QStringLiteral("good.mzML")), {survey(1)});
    const QString output = path(QStringLiteral("no-such-folder/run.vesk"));
    try {
        kestrum::AcquisitionImporter().importFiles({path(QStringLiteral("good.mzML"))}, output);
        FAIL() << "the import into a missing folder succeeded";
    } catch (const errors::NumberedError& error) {
        EXPECT_TRUE(error.description().contains(output)) << error.description().toStdString();
    }
    EXPECT_FALSE(QFile::exists(output));
}

} // namespace
