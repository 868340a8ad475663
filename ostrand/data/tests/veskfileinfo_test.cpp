#include "veskfileinfofixture.h"

#include "data/veskfileinfo.h"
#include "diagnostics/mlogger.h"
#include "settings/registryfuncs.h"

#include "errors/numberederror.h"
#include "kestrum/scantype.h"
#include "kestrum/veskwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using errors::NumberedError;
using kestrum::ExperimentDefinition;
using ostrand::VeskFileInfo;
using veskfileinfotest::experiment;
using veskfileinfotest::SampleLayout;
using veskfileinfotest::VeskFileInfoTest;

namespace {

TEST_F(VeskFileInfoTest, NewObjectHoldsEmptyValues) {
    VeskFileInfo info;
    EXPECT_EQ(info.GetFilename(), QString());
    EXPECT_EQ(info.getNumberOfSamples(), QStringLiteral("0"));
    EXPECT_EQ(info.getScanTypeText(), QStringLiteral("Q1 scan"));
    EXPECT_FALSE(info.isDDE());
    EXPECT_FALSE(info.isTOFSurveyDDE());
    // Nothing to reopen yet.
    EXPECT_THROW(info.isDataBeingAcquired(), NumberedError);
}

TEST_F(VeskFileInfoTest, DataDependentRunWithTofSurvey) {
    const QString path = writeDdeRun();
    VeskFileInfo info;
    info.setFileNameAndIndex(path, 1, 0, 0, 5);

    EXPECT_EQ(info.GetFilename(), path);
    EXPECT_EQ(info.getSampleIndex(), 1);
    EXPECT_EQ(info.getNumberOfSamples(), QStringLiteral("1"));
    EXPECT_EQ(info.getSampleName(), QStringLiteral("BSA digest"));
    EXPECT_EQ(info.getNumPeriods(), 1);
    EXPECT_EQ(info.getScanType(), kestrum::TOFMS);
    EXPECT_EQ(info.getScanTypeText(), QStringLiteral("TOF MS"));
    EXPECT_EQ(info.getMaxExperiments(), 3);
    EXPECT_EQ(info.getNumCyclesInFirstPeriod(), 6);
    EXPECT_EQ(info.getCurrentPeriod(), 0);
    EXPECT_EQ(info.getCurrentExperiment(), 0);
    EXPECT_EQ(info.getCurrentCycle(), 5);
    EXPECT_TRUE(info.isDDE());
    EXPECT_TRUE(info.isTOFSurveyDDE());
    // On the survey scan the run still counts as MS/MS, but the scan itself does not.
    EXPECT_TRUE(info.isMSMS());
    EXPECT_FALSE(info.isMSMSButNotDDE());
    EXPECT_FALSE(info.isDataBeingAcquired());

    info.setFileNameAndIndex(path, 1, 0, 2, 0);
    EXPECT_EQ(info.getScanTypeText(), QStringLiteral("TOF Product"));
    EXPECT_TRUE(info.isMSMS());
    EXPECT_TRUE(info.isMSMSButNotDDE());
}

TEST_F(VeskFileInfoTest, SurveyTypeAndFixedMassDecideDataDependence) {
    struct Case {
        std::vector<ExperimentDefinition> experiments;
        bool dde;
        bool tofSurvey;
    };
    const std::vector<Case> cases = {
        // A survey other than TOF MS still makes a data-dependent run.
        {{experiment(kestrum::EnhancedMS), experiment(kestrum::EnhancedProduct, 5.0)}, true, false},
        // A fixed precursor of 31 or more is a fixed-precursor product scan.
        {{experiment(kestrum::TOFMS), experiment(kestrum::ProductScan, 31.0)}, false, false},
        {{experiment(kestrum::TOFMS), experiment(kestrum::ProductScan, 30.99)}, true, true},
        // Only MS/MS scan types count, however small their fixed mass.
        {{experiment(kestrum::TOFMS), experiment(kestrum::PrecursorScan),
          experiment(kestrum::NeutralLossScan)},
         false,
         false},
        // The first product scan decides; the survey type always comes from experiment 0.
        {{experiment(kestrum::TOFMS), experiment(kestrum::MS3, 600.0),
          experiment(kestrum::TimeDelayFragmentation)},
         true,
         true},
        // A product scan as experiment 0 is its own survey.
        {{experiment(kestrum::ProductScan)}, true, false},
    };
    int index = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(index);
        const QString path =
            writeFile(QStringLiteral("case%1.vesk").arg(index++), {{QStringLiteral("s"), {c.experiments}}});
        VeskFileInfo info;
        info.setFileNameAndIndex(path, 1, 0, 0, 0);
        EXPECT_EQ(info.isDDE(), c.dde);
        EXPECT_EQ(info.isTOFSurveyDDE(), c.tofSurvey);
        EXPECT_EQ(info.isMSMS(), c.dde || VeskFileInfo::isThisScanMSMS(c.experiments[0].scanTypeCode));
    }
}

TEST_F(VeskFileInfoTest, MultiPeriodFixedPrecursorRunIsNeverDataDependent) {
    // Period 0 would qualify as a data-dependent run on its own.
    const QString path = writeFile(QStringLiteral("periods.vesk"),
                                   {{QStringLiteral("fixed precursors"),
                                     {{experiment(kestrum::TOFMS), experiment(kestrum::TOFProduct)},
                                      {experiment(kestrum::TOFMS), experiment(kestrum::TOFProduct, 500.25),
                                       experiment(kestrum::EnhancedProduct, 600.0)},
                                      {experiment(kestrum::Q1Scan)}},
                                     3}});
    VeskFileInfo info;
    info.setFileNameAndIndex(path, 1, 1, 2, 1);
    EXPECT_EQ(info.getNumPeriods(), 3);
    EXPECT_EQ(info.getMaxExperiments(), 3);
    EXPECT_EQ(info.getNumCyclesInFirstPeriod(), 3);
    EXPECT_EQ(info.getScanType(), kestrum::EnhancedProduct);
    EXPECT_FALSE(info.isDDE());
    EXPECT_FALSE(info.isTOFSurveyDDE());
    EXPECT_TRUE(info.isMSMS());
    EXPECT_TRUE(info.isMSMSButNotDDE());

    info.setFileNameAndIndex(path, 1, 2, 0, 0);
    EXPECT_EQ(info.getScanTypeText(), QStringLiteral("Q1 scan"));
    EXPECT_FALSE(info.isMSMS());
}

TEST_F(VeskFileInfoTest, MsOnlyRunHasNoMsMsData) {
    const QString path = writeFile(QStringLiteral("ms.vesk"),
                                   {{QStringLiteral("survey only"), {{experiment(kestrum::TOFMS)}}, 10}});
    VeskFileInfo info;
    info.setFileNameAndIndex(path, 1, 0, 0, 9);
    EXPECT_EQ(info.getNumCyclesInFirstPeriod(), 10);
    EXPECT_FALSE(info.isDDE());
    EXPECT_FALSE(info.isMSMS());
    EXPECT_FALSE(info.isMSMSButNotDDE());
    EXPECT_TRUE(info.IsPositive(0, 0));
}

TEST_F(VeskFileInfoTest, SeveralSamplesAreReadOneAtATime) {
    const QString path = writeFile(
        QStringLiteral("samples.vesk"),
        {{QStringLiteral("blank"), {{experiment(kestrum::TOFMS)}}, 2},
         {QStringLiteral("digest, negative"),
          {{experiment(kestrum::TOFMS, 0.0, 1), experiment(kestrum::TOFProduct, 0.0, 1),
            experiment(kestrum::MS3, 0.0, 0)}},
          7},
         {QStringLiteral("standard"), {{experiment(kestrum::Q3Scan)}, {experiment(kestrum::Q3MI)}}, 1}});
    VeskFileInfo info;
    info.setFileNameAndIndex(path, 2, 0, 2, 0);
    EXPECT_EQ(info.getNumberOfSamples(), QStringLiteral("3"));
    EXPECT_EQ(info.getSampleIndex(), 2);
    EXPECT_EQ(info.getSampleName(), QStringLiteral("digest, negative"));
    EXPECT_EQ(info.getNumCyclesInFirstPeriod(), 7);
    EXPECT_EQ(info.getScanTypeText(), QStringLiteral("MS/MS/MS"));
    EXPECT_TRUE(info.isDDE());
    // Polarity is read from the stored sample, whatever the stored position.
    EXPECT_FALSE(info.IsPositive(0, 0));
    EXPECT_FALSE(info.IsPositive(0, 1));
    EXPECT_TRUE(info.IsPositive(0, 2));
    EXPECT_THROW(info.IsPositive(1, 0), NumberedError);

    info.setFileNameAndIndex(path, 3, 1, 0, 0);
    EXPECT_EQ(info.getSampleName(), QStringLiteral("standard"));
    EXPECT_EQ(info.getNumPeriods(), 2);
    EXPECT_EQ(info.getMaxExperiments(), 1);
    EXPECT_EQ(info.getScanTypeText(), QStringLiteral("Q3 MI"));
    EXPECT_FALSE(info.isDDE());
    EXPECT_TRUE(info.IsPositive(1, 0));
}

TEST_F(VeskFileInfoTest, StoredScanTypeTextCoversUnknownCodes) {
    const std::vector<std::pair<int, QString>> expected = {
        {kestrum::MRM, QStringLiteral("MRM")},
        {kestrum::TimeDelayFragmentation, QStringLiteral("Time Delay Frag.")},
        {kestrum::MultiplyCharged, QStringLiteral("Multiply Charged")},
        {17, QStringLiteral("UNKNOWN SCAN TYPE")},
        {-1, QStringLiteral("UNKNOWN SCAN TYPE")},
    };
    std::vector<ExperimentDefinition> experiments;
    for (const auto& [code, text] : expected)
        experiments.push_back(experiment(code, 1000.0));
    const QString path = writeFile(QStringLiteral("types.vesk"), {{QStringLiteral("s"), {experiments}, 1}});
    VeskFileInfo info;
    for (int index = 0; index < static_cast<int>(expected.size()); ++index) {
        info.setFileNameAndIndex(path, 1, 0, index, 0);
        EXPECT_EQ(info.getScanType(), expected[static_cast<std::size_t>(index)].first);
        EXPECT_EQ(info.getScanTypeText(), expected[static_cast<std::size_t>(index)].second);
    }
}

TEST_F(VeskFileInfoTest, FailedLoadKeepsThePreviousFileAndReportsWhere) {
    const QString path = writeDdeRun();
    VeskFileInfo info;
    info.setFileNameAndIndex(path, 1, 0, 1, 3);

    const auto expectFailure = [&](const QString& file, int sample, int period, int experimentIndex,
                                   const QString& mentioned) {
        try {
            info.setFileNameAndIndex(file, sample, period, experimentIndex, 0);
            ADD_FAILURE() << "no error for " << file.toStdString();
        } catch (const NumberedError& error) {
            EXPECT_TRUE(error.description().contains(mentioned)) << error.description().toStdString();
        }
        EXPECT_EQ(info.GetFilename(), path);
        EXPECT_EQ(info.getSampleName(), QStringLiteral("BSA digest"));
        EXPECT_EQ(info.getCurrentExperiment(), 1);
        EXPECT_EQ(info.getCurrentCycle(), 3);
        EXPECT_TRUE(info.isDDE());
    };
    expectFailure(m_dir.filePath(QStringLiteral("missing.vesk")), 1, 0, 0, QStringLiteral("missing.vesk"));
    expectFailure(path, 2, 0, 0, QStringLiteral("sample 2"));
    expectFailure(path, 0, 0, 0, QStringLiteral("sample 0"));
    expectFailure(path, 1, 1, 0, QStringLiteral("period 1"));
    expectFailure(path, 1, 0, 3, QStringLiteral("experiment 3"));
}

TEST_F(VeskFileInfoTest, LoadingLogsItsArguments) {
    const QString path = writeDdeRun();
    const QString debug =
        RegistryFuncs::ReadSetting(RegistryFuncs::SettingsKey, QStringLiteral("Debug"), QStringLiteral("0"));
    RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QStringLiteral("Debug"), QStringLiteral("1"));
    MLogger::Testing::Reload(m_dir.filePath(QStringLiteral("libostrand.so")));

    VeskFileInfo info;
    info.setFileNameAndIndex(path, 1, 0, 2, 5);
    // A failing load is logged too, before the file is read.
    EXPECT_THROW(info.setFileNameAndIndex(path, 7, 0, 0, 0), NumberedError);

    QFile log(MLogger::Testing::LogFilePath());
    RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QStringLiteral("Debug"), debug);
    MLogger::Testing::Reload();
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    QStringList texts;
    for (const QString& line :
         QString::fromLocal8Bit(log.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts))
        texts.append(line.section(QLatin1Char('\t'), 1));
    const QStringList expected = {
        QStringLiteral("VeskFileInfo.setFileNameAndIndex - start"),
        QStringLiteral("\tstrFileName = ") + path,
        QStringLiteral("\tsampleIndex = 1"),
        QStringLiteral("\tcurrentPeriod = 0"),
        QStringLiteral("\tcurrentExperiment = 2"),
        QStringLiteral("\tcurrentCycle = 5"),
        QStringLiteral("VeskFileInfo.setFileNameAndIndex - start"),
        QStringLiteral("\tstrFileName = ") + path,
        QStringLiteral("\tsampleIndex = 7"),
        QStringLiteral("\tcurrentPeriod = 0"),
        QStringLiteral("\tcurrentExperiment = 0"),
        QStringLiteral("\tcurrentCycle = 0"),
    };
    EXPECT_EQ(texts, expected);
}

TEST_F(VeskFileInfoTest, ReopensTheFileForEveryQuestion) {
    const auto write = [&](int polarity) {
        return writeFile(QStringLiteral("replaced.vesk"),
                         {{QStringLiteral("s"), {{experiment(kestrum::TOFMS, 0.0, polarity)}}}});
    };
    const QString path = write(0);
    VeskFileInfo info;
    info.setFileNameAndIndex(path, 1, 0, 0, 0);
    EXPECT_TRUE(info.IsPositive(0, 0));
    write(1);
    EXPECT_FALSE(info.IsPositive(0, 0));
    ASSERT_TRUE(QFile::remove(path));
    EXPECT_THROW(info.IsPositive(0, 0), NumberedError);
    EXPECT_THROW(info.isDataBeingAcquired(), NumberedError);
}

TEST(VeskFileInfoRules, ScanTypeClassification) {
    const std::vector<int> msms = {6, 9, 11, 13, 14};
    for (int code = -40; code <= 40; ++code) {
        const auto scanType = static_cast<std::int16_t>(code);
        const bool isMsMs = std::find(msms.begin(), msms.end(), code) != msms.end();
        EXPECT_EQ(VeskFileInfo::isThisScanMSMS(scanType), isMsMs) << code;
        EXPECT_EQ(VeskFileInfo::isThisScanMSCubed(scanType), code == 13) << code;
        EXPECT_EQ(VeskFileInfo::isThisScanDDEProduct(scanType, 0.0), isMsMs) << code;
        EXPECT_FALSE(VeskFileInfo::isThisScanDDEProduct(scanType, 31.0)) << code;
    }
    EXPECT_FALSE(VeskFileInfo::isThisScanMSMS(INT16_MIN));
    EXPECT_FALSE(VeskFileInfo::isThisScanMSMS(INT16_MAX));
    EXPECT_TRUE(VeskFileInfo::isThisScanDDEProduct(kestrum::ProductScan, 30.999999));
    EXPECT_TRUE(VeskFileInfo::isThisScanDDEProduct(kestrum::ProductScan, -5.0));
    EXPECT_FALSE(VeskFileInfo::isThisScanDDEProduct(kestrum::ProductScan, 1500.0));
}

TEST(VeskFileInfoRules, PrecursorFromTitle) {
    const std::vector<std::pair<QString, double>> cases = {
        {QStringLiteral("Sample 1 - sum of 3 (523.78) TOF Product"), 523.78},
        {QStringLiteral("no parentheses at all"), 0.0},
        {QStringLiteral("precursor (abc) here"), 0.0},
        {QStringLiteral("(523.78),(1046.5)"), 1046.5},
        {QStringLiteral("(523.78),(n/a)"), 523.78},
        {QStringLiteral("(abc),(612.3)"), 612.3},
        {QStringLiteral("(),(700.1)"), 700.1},
        {QStringLiteral("empty () then (400)"), 0.0},
        {QStringLiteral("unclosed (523.78"), 0.0},
        {QStringLiteral("( 455.2 )"), 455.2},
        {QStringLiteral("(1e3)"), 1000.0},
        {QStringLiteral("(-12.5)"), -12.5},
        {QStringLiteral("(1,5)"), 0.0},
        {QStringLiteral("(1e999)"), 0.0},
        {QStringLiteral("),(250)"), 250.0},
        {QStringLiteral("(100) then ),(200) and ),(300)"), 200.0},
        {QString(), 0.0},
    };
    for (const auto& [title, expected] : cases)
        EXPECT_DOUBLE_EQ(VeskFileInfo::ParseParentMZFromTitle(title), expected) << title.toStdString();

    // Titles longer than any 16-bit position still parse.
    const QString longTitle = QString(40000, QLatin1Char('x')) + QStringLiteral("(812.4)");
    EXPECT_DOUBLE_EQ(VeskFileInfo::ParseParentMZFromTitle(longTitle), 812.4);
}

TEST(VeskFileInfoRules, ParentMzAndChargeFailWithoutAFile) {
    double parentMz = 512.0;
    std::int16_t charge = 2;
    try {
        VeskFileInfo::GetParentMZAndCharge(nullptr, 1, 0, 1, 4, parentMz, charge);
        ADD_FAILURE() << "no error raised";
    } catch (const NumberedError& error) {
        EXPECT_EQ(error.number(), errors::SystemError);
        EXPECT_EQ(error.description(),
                  QStringLiteral("Could not obtain charge state in GetParentMZAndCharge."));
    }
    EXPECT_EQ(parentMz, 512.0);
    EXPECT_EQ(charge, 2);
}

} // namespace
