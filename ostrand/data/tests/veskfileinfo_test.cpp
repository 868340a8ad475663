#include "automation/veskfileinfoface.h"
#include "data/veskfileinfo.h"
#include "diagnostics/mlogger.h"
#include "settings/registryfuncs.h"

#include "kestrum/scantype.h"
#include "kestrum/veskwriter.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using automation::Arguments;
using automation::AutomationError;
using automation::Variant;
using kestrum::ExperimentDefinition;
using ostrand::VeskFileInfo;

namespace {

// One sample of a test acquisition: its name, the experiments of each period, and how many cycles
// every period records.
struct SampleLayout {
    QString name;
    std::vector<std::vector<ExperimentDefinition>> periods;
    int cyclesPerPeriod = 4;
};

ExperimentDefinition experiment(int scanTypeCode, double fixedMass = 0.0, int polarity = 0) {
    return {scanTypeCode, polarity, fixedMass};
}

class VeskFileInfoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    // Writes a Vesk file with these samples; the information read here needs no scans.
    QString writeFile(const QString& name, const std::vector<SampleLayout>& samples) {
        const QString path = m_dir.filePath(name);
        kestrum::VeskWriter writer(path);
        for (const SampleLayout& layout : samples) {
            const int sample = writer.addSample(layout.name);
            for (const auto& experiments : layout.periods) {
                const int period = writer.addPeriod(sample);
                for (const ExperimentDefinition& definition : experiments)
                    writer.addExperiment(sample, period, definition);
                for (int cycle = 0; cycle < layout.cyclesPerPeriod; ++cycle)
                    writer.addCycle(sample, period, 2.0 * cycle);
            }
        }
        writer.commit();
        return path;
    }

    // A typical data-dependent run: a TOF MS survey followed by two product scans whose
    // precursors the instrument chooses.
    QString writeDdeRun() {
        return writeFile(QStringLiteral("dde.vesk"),
                         {{QStringLiteral("BSA digest"),
                           {{experiment(kestrum::TOFMS), experiment(kestrum::TOFProduct),
                             experiment(kestrum::TOFProduct)}},
                           6}});
    }

    QTemporaryDir m_dir;
};

TEST_F(VeskFileInfoTest, NewObjectHoldsEmptyValues) {
    VeskFileInfo info;
    EXPECT_EQ(info.GetFilename(), QString());
    EXPECT_EQ(info.getNumberOfSamples(), QStringLiteral("0"));
    EXPECT_EQ(info.getScanTypeText(), QStringLiteral("Q1 scan"));
    EXPECT_FALSE(info.isDDE());
    EXPECT_FALSE(info.isTOFSurveyDDE());
    // Nothing to reopen yet.
    EXPECT_THROW(info.isDataBeingAcquired(), AutomationError);
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
    EXPECT_THROW(info.IsPositive(1, 0), AutomationError);

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
        } catch (const AutomationError& error) {
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
    EXPECT_THROW(info.setFileNameAndIndex(path, 7, 0, 0, 0), AutomationError);

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
    EXPECT_THROW(info.IsPositive(0, 0), AutomationError);
    EXPECT_THROW(info.isDataBeingAcquired(), AutomationError);
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
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), automation::SystemError);
        EXPECT_EQ(error.description(),
                  QStringLiteral("Could not obtain charge state in GetParentMZAndCharge."));
    }
    EXPECT_EQ(parentMz, 512.0);
    EXPECT_EQ(charge, 2);
}

TEST(VeskFileInfoDispatch, MembersInInterfaceSlotOrder) {
    // The interface's slots, from 1.
    const QStringList expected =
        QStringLiteral(
            "DllVersion setFileNameAndIndex getScanTypeText GetFilename getSampleIndex "
            "getNumberOfSamples getSampleName getNumPeriods getScanType getMaxExperiments "
            "getNumCyclesInFirstPeriod isDDE getCurrentPeriod getCurrentExperiment getCurrentCycle "
            "isMSMS isThisScanMSMS isDataBeingAcquired isTOFSurveyDDE haveEngineDDEChargeState "
            "isMSMSButNotDDE isThisScanMSCubed isThisScanDDEProduct GetParentMZAndCharge "
            "ParseParentMZFromTitle IsPositive")
            .split(QLatin1Char(' '));
    VeskFileInfoFace info;
    const auto& members = info.members();
    ASSERT_EQ(members.size(), static_cast<std::size_t>(expected.size()));
    for (std::size_t slot = 0; slot < members.size(); ++slot) {
        const QString& name = expected[static_cast<qsizetype>(slot)];
        EXPECT_EQ(members[slot].name, name);
        EXPECT_EQ(members[slot].dispatchId, static_cast<int>(slot) + 1);
        const auto kind = slot == 0 ? automation::InvokeKind::PropertyGet : automation::InvokeKind::Method;
        EXPECT_EQ(members[slot].kind, kind) << name.toStdString();
    }
    EXPECT_EQ(info.className(), QStringLiteral("VeskFileInfo"));
    EXPECT_EQ(info.call(QStringLiteral("DllVersion")).toString(), QStringLiteral("1.6b25"));
    // The version is read-only.
    EXPECT_THROW(info.put(QStringLiteral("DllVersion"), Variant(QStringLiteral("2"))), AutomationError);
}

TEST(VeskFileInfoDispatch, HelpStringsBelongToMembers) {
    VeskFileInfoFace info;
    int helped = 0;
    for (const auto& member : info.members())
        helped += VeskFileInfoFace::helpString(member.name).isEmpty() ? 0 : 1;
    EXPECT_EQ(helped, 15);
    EXPECT_EQ(VeskFileInfoFace::helpString(QStringLiteral("getCurrentExperiment")),
              VeskFileInfoFace::helpString(QStringLiteral("getCurrentPeriod")));
    EXPECT_EQ(VeskFileInfoFace::helpString(QStringLiteral("isDDE")),
              QStringLiteral("Returns TRUE if it is a DDE experiment"));
    EXPECT_TRUE(VeskFileInfoFace::helpString(QStringLiteral("IsPositive")).isEmpty());
    EXPECT_TRUE(VeskFileInfoFace::helpString(QStringLiteral("NoSuchMember")).isEmpty());
}

TEST_F(VeskFileInfoTest, LateBoundCallsConvertArgumentsAndResults) {
    const QString path = writeDdeRun();
    auto info = std::make_shared<VeskFileInfoFace>();
    // Callers often pass numbers as text or Integers; arguments stay as they were passed.
    Arguments load{path, QStringLiteral("1"), std::int16_t{0}, 1.0, 4};
    info->call(QStringLiteral("setFileNameAndIndex"), load);
    EXPECT_EQ(load[1], Variant(QStringLiteral("1")));
    EXPECT_EQ(info->call(QStringLiteral("getCurrentExperiment")).toLong(), 1);

    const Variant samples = info->call(QStringLiteral("getNumberOfSamples"));
    EXPECT_EQ(samples.type(), Variant::Type::String);
    EXPECT_EQ(samples.toString(), QStringLiteral("1"));
    EXPECT_EQ(info->call(QStringLiteral("isDDE")).toInteger(), -1);
    EXPECT_EQ(info->call(QStringLiteral("isTOFSurveyDDE")).toInteger(), -1);
    EXPECT_EQ(info->call(QStringLiteral("haveEngineDDEChargeState")).toInteger(), 0);

    Arguments ddeProduct{Variant(std::int16_t{kestrum::TOFProduct}), Variant(30.99)};
    EXPECT_TRUE(info->call(QStringLiteral("isThisScanDDEProduct"), ddeProduct).toBool());
    Arguments title{Variant(QStringLiteral("(523.78)"))};
    EXPECT_DOUBLE_EQ(info->call(QStringLiteral("ParseParentMZFromTitle"), title).toDouble(), 523.78);
    Arguments polarity{0, 0};
    EXPECT_TRUE(info->call(QStringLiteral("IsPositive"), polarity).toBool());

    Arguments charge{Variant(), 1, 0, 1, 4, 512.0, 2};
    try {
        info->call(QStringLiteral("GetParentMZAndCharge"), charge);
        ADD_FAILURE() << "no error raised";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), automation::SystemError);
    }
    EXPECT_EQ(charge[5], Variant(512.0));
    Arguments none;
    EXPECT_THROW(info->call(QStringLiteral("ParseParentMZFromTitle"), none), AutomationError);
}

} // namespace
