// Conversion of Vesk files to mzML: importing the written mzML again gives the same scans (points,
// precursors, times, layout and scan types), other tools read it, and failures leave nothing.
#include "importedscans.h"
#include "mzmlfixture.h"
#include "shareddata.h"

#include "errors/numberederror.h"
#include "kestrum/import/acquisitionimporter.h"
#include "kestrum/import/mzmlexporter.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testfixture::ImportedScan;

namespace {

void expectSameScans(const std::vector<ImportedScan>& expected, const std::vector<ImportedScan>& actual) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ImportedScan& a = expected[i];
        const ImportedScan& b = actual[i];
        SCOPED_TRACE(testing::Message()
                     << "scan " << i << " (cycle " << a.cycle << ", experiment " << a.experiment << ")");
        EXPECT_EQ(std::make_tuple(b.period, b.cycle, b.experiment),
                  std::make_tuple(a.period, a.cycle, a.experiment));
        EXPECT_EQ(b.scanTypeCode, a.scanTypeCode);
        EXPECT_EQ(b.polarity, a.polarity);
        EXPECT_EQ(b.record.mz, a.record.mz);
        EXPECT_EQ(b.record.intensity, a.record.intensity);
        EXPECT_EQ(b.record.precursorMz, a.record.precursorMz);
        EXPECT_EQ(b.record.precursorCharge, a.record.precursorCharge);
        EXPECT_EQ(b.record.centroided, a.record.centroided);
        EXPECT_NEAR(b.record.retentionTimeSeconds, a.record.retentionTimeSeconds, 1e-6);
    }
}

class SharedDataRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(SharedDataRoundTrip, ImportConvertImportKeepsEveryScan) {
    QTemporaryDir folder;
    const QString input = QDir(testfixture::sharedDataDir()).filePath(QString::fromStdString(GetParam()));
    const QString first = folder.filePath(QStringLiteral("first.vesk"));
    const QString converted = folder.filePath(QStringLiteral("converted.mzML"));
    const QString second = folder.filePath(QStringLiteral("second.vesk"));
    kestrum::AcquisitionImporter().importFiles({input}, first);
    kestrum::MzmlExporter().exportSample(first, 1, converted);
    kestrum::AcquisitionImporter().importFiles({converted}, second);
    expectSameScans(testfixture::importedScans(first), testfixture::importedScans(second));
}

INSTANTIATE_TEST_SUITE_P(Files, SharedDataRoundTrip, ::testing::ValuesIn(testfixture::sharedSpectrumFiles()),
                         [](const auto& file) { return testfixture::testNameOf(file.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SharedDataRoundTrip);

class MzmlExporterTest : public ::testing::Test {
protected:
    void SetUp() override {
        testfixture::FixtureSpectrum ms1, ms2;
        ms1.retentionTimeSeconds = 5.25;
        ms1.negative = true;
        ms2.msLevel = 2;
        ms2.precursorMz = 512.2567;
        ms2.charge = 3;
        ms2.retentionTimeSeconds = 6.5;
        testfixture::writeMzml(path(QStringLiteral("a.mzML")), {ms1, ms2, ms1});
        testfixture::writeMzml(path(QStringLiteral("b.mzML")), {ms2, ms2});
        kestrum::AcquisitionImporter().importFiles(
            {path(QStringLiteral("a.mzML")), path(QStringLiteral("b.mzML"))},
            path(QStringLiteral("two.vesk")));
    }
    QString path(const QString& name) const { return m_folder.filePath(name); }

    QTemporaryDir m_folder;
};

TEST_F(MzmlExporterTest, ChosenSampleIsConvertedAndReportsProgress) {
    std::vector<qsizetype> progress;
    kestrum::MzmlExporter exporter;
    exporter.reportProgress = [&](const kestrum::ConversionProgress& step) {
        EXPECT_EQ(step.spectrumCount, 2);
        progress.push_back(step.spectrum);
    };
    exporter.exportSample(path(QStringLiteral("two.vesk")), 2, path(QStringLiteral("b-again.mzML")));
    EXPECT_EQ(progress, (std::vector<qsizetype>{1, 2}));
    kestrum::AcquisitionImporter().importFiles({path(QStringLiteral("b-again.mzML"))},
                                               path(QStringLiteral("b.vesk")));
    expectSameScans(testfixture::importedScans(path(QStringLiteral("two.vesk")), 2),
                    testfixture::importedScans(path(QStringLiteral("b.vesk"))));
}

TEST_F(MzmlExporterTest, MsconvertReadsTheWrittenFile) {
    const QString msconvert = QStandardPaths::findExecutable(QStringLiteral("msconvert"));
    if (msconvert.isEmpty())
        GTEST_SKIP() << "msconvert is not installed (Debian package libpwiz-tools)";
    kestrum::MzmlExporter().exportSample(path(QStringLiteral("two.vesk")), 1,
                                         path(QStringLiteral("a-again.mzML")));
    // msconvert's text dump shows what its reader made of the file; it adds ".txt" to the name.
    QProcess process;
    process.start(msconvert,
                  {path(QStringLiteral("a-again.mzML")), QStringLiteral("--text"), QStringLiteral("-o"),
                   m_folder.path(), QStringLiteral("--outfile"), QStringLiteral("a")});
    ASSERT_TRUE(process.waitForFinished(60000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QFile dump(path(QStringLiteral("a.txt")));
    ASSERT_TRUE(dump.open(QIODevice::ReadOnly));
    const QByteArray text = dump.readAll();
    EXPECT_EQ(text.count("cvParam: ms level, 2"), 1) << text.toStdString();
    EXPECT_TRUE(text.contains("cvParam: selected ion m/z, 512.2567")) << text.toStdString();
    EXPECT_TRUE(text.contains("cvParam: charge state, 3")) << text.toStdString();
}

TEST_F(MzmlExporterTest, FailuresNameTheFileAndLeaveNothing) {
    const QString output = path(QStringLiteral("out.mzML"));
    const std::vector<std::pair<QString, int>> failing{{path(QStringLiteral("two.vesk")), 3},
                                                       {path(QStringLiteral("missing.vesk")), 1},
                                                       {path(QStringLiteral("a.mzML")), 1}};
    for (const auto& [vesk, sample] : failing) {
        try {
            kestrum::MzmlExporter().exportSample(vesk, sample, output);
            ADD_FAILURE() << "converting sample " << sample << " of " << vesk.toStdString() << " succeeded";
        } catch (const errors::NumberedError& error) {
            EXPECT_TRUE(error.description().contains(QFileInfo(vesk).fileName()))
                << error.description().toStdString();
        }
        EXPECT_FALSE(QFile::exists(output));
    }
    const QString unwritable = path(QStringLiteral("no-such-folder/out.mzML"));
    EXPECT_THROW(kestrum::MzmlExporter().exportSample(path(QStringLiteral("two.vesk")), 1, unwritable),
                 errors::NumberedError);
    struct Stop {};
    kestrum::MzmlExporter abandoning;
    abandoning.reportProgress = [](const kestrum::ConversionProgress&) { throw Stop{}; };
    EXPECT_THROW(abandoning.exportSample(path(QStringLiteral("two.vesk")), 1, output), Stop);
    EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files),
              (QStringList{QStringLiteral("a.mzML"), QStringLiteral("b.mzML"), QStringLiteral("two.vesk")}));
}

} // namespace
