// Every public mzML and mzXML file of the conformance data imports with the spectrum counts and
// points that its README records and that ProteoWizard's msconvert reports. Adding a file to the
// folder (and its counts to the README) adds a case.
#include "importedscans.h"
#include "shareddata.h"

#include "kestrum/import/acquisitionimporter.h"
#include "kestrum/scantype.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>

namespace {

struct LevelCounts {
    qsizetype ms1 = 0;
    qsizetype ms2 = 0;
    qsizetype other = 0;
    bool operator==(const LevelCounts&) const = default;
};

void PrintTo(const LevelCounts& counts, std::ostream* out) {
    *out << "MS1 " << counts.ms1 << ", MS2 " << counts.ms2 << ", other " << counts.other;
}

// Spectra per MS level of an mzML file, read with a plain XML reader independent of ProteoWizard.
LevelCounts countMzmlLevels(const QString& path) {
    QFile file(path);
    LevelCounts counts;
    if (!file.open(QIODevice::ReadOnly))
        return counts;
    QXmlStreamReader xml(&file);
    int depth = 0;
    int level = 0;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QStringLiteral("spectrum")) {
            depth = 1;
            level = 0;
        } else if (xml.isStartElement() && depth > 0) {
            ++depth;
            if (depth == 2 && xml.name() == QStringLiteral("cvParam") &&
                xml.attributes().value(QStringLiteral("accession")) == QStringLiteral("MS:1000511"))
                level = xml.attributes().value(QStringLiteral("value")).toInt();
        } else if (xml.isEndElement() && depth > 0 && --depth == 0) {
            (level == 1 ? counts.ms1 : level == 2 ? counts.ms2 : counts.other)++;
        }
    }
    return counts;
}

// The scans of each file, imported once for all the tests of that file.
const std::vector<testfixture::ImportedScan>& importedOnce(const QString& input) {
    static std::map<QString, std::vector<testfixture::ImportedScan>> imports;
    auto [entry, added] = imports.try_emplace(input);
    if (added) {
        QTemporaryDir folder;
        const QString output = folder.filePath(QStringLiteral("imported.vesk"));
        kestrum::AcquisitionImporter().importFiles({input}, output);
        entry->second = testfixture::importedScans(output);
    }
    return entry->second;
}

class SharedDataImport : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        m_input = QDir(testfixture::sharedDataDir()).filePath(QString::fromStdString(GetParam()));
        m_scans = &importedOnce(m_input);
    }

    LevelCounts importedLevels() const {
        LevelCounts counts;
        for (const auto& scan : *m_scans)
            (scan.scanTypeCode == kestrum::MS3               ? counts.other
             : kestrum::isProductScanType(scan.scanTypeCode) ? counts.ms2
                                                             : counts.ms1)++;
        return counts;
    }

    QString m_input;
    const std::vector<testfixture::ImportedScan>* m_scans = nullptr;
};

TEST_P(SharedDataImport, SpectraAndPointsMatchTheRecordedCounts) {
    const auto counts = testfixture::recordedCounts();
    const auto recorded = counts.find(QString::fromStdString(GetParam()));
    ASSERT_NE(recorded, counts.end()) << "the data README records no counts for " << GetParam();
    EXPECT_EQ(importedLevels(), (LevelCounts{recorded->second.ms1, recorded->second.ms2, 0}));
    qsizetype points = 0;
    for (const auto& scan : *m_scans)
        points += static_cast<qsizetype>(scan.record.mz.size());
    EXPECT_EQ(points, recorded->second.points);
}

TEST_P(SharedDataImport, EveryMsMsScanKeepsItsPrecursorAndSortedPoints) {
    for (const auto& scan : *m_scans) {
        const bool product = kestrum::isProductScanType(scan.scanTypeCode);
        EXPECT_EQ(scan.record.precursorMz.has_value(), product)
            << "cycle " << scan.cycle << ", experiment " << scan.experiment;
        EXPECT_TRUE(std::is_sorted(scan.record.mz.begin(), scan.record.mz.end()));
        EXPECT_GE(scan.record.precursorCharge, 0);
    }
}

TEST_P(SharedDataImport, SpectrumCountsMatchMsconvert) {
    const QString msconvert = QStandardPaths::findExecutable(QStringLiteral("msconvert"));
    if (msconvert.isEmpty())
        GTEST_SKIP() << "msconvert is not installed (Debian package libpwiz-tools)";
    QTemporaryDir folder;
    QProcess process;
    process.start(msconvert, {m_input, QStringLiteral("--mzML"), QStringLiteral("-o"), folder.path(),
                              QStringLiteral("--outfile"), QStringLiteral("msconvert.mzML")});
    ASSERT_TRUE(process.waitForFinished(120000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(importedLevels(), countMzmlLevels(folder.filePath(QStringLiteral("msconvert.mzML"))));
}

INSTANTIATE_TEST_SUITE_P(Files, SharedDataImport, ::testing::ValuesIn(testfixture::sharedSpectrumFiles()),
                         [](const auto& file) { return testfixture::testNameOf(file.param); });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SharedDataImport);

TEST(SharedData, FolderIsPresent) {
    if (testfixture::sharedSpectrumFiles().empty())
        GTEST_SKIP() << "no conformance data in " << testfixture::sharedDataDir().toStdString();
    EXPECT_FALSE(testfixture::recordedCounts().empty());
}

} // namespace
