#include "automation/processingparametersface.h"
#include "diagnostics/mlogger.h"
#include "settings/processingparameters.h"
#include "settings/registryfuncs.h"

#include "registry/registrykey.h"
#include "testsupport/privatesettingsfolder.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using automation::AutomationError;
using ostrand::ProcessingParameters;

namespace {

class ProcessingParametersTest : public ::testing::Test {
protected:
    void store(const QString& name, const QString& value) {
        RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QString(name), QString(value));
    }

    testsupport::PrivateSettingsFolder settings;
};

void expectFactoryDefaults(const ProcessingParameters& p) {
    const std::int16_t charges[] = {1, 1, 1, 0, 0};
    for (std::int16_t charge = 1; charge <= 5; ++charge)
        EXPECT_EQ(p.getDefaultChargeStates(charge), charges[charge - 1]) << "charge " << charge;
    EXPECT_EQ(p.getDiscardHighCharges(), 1);
    EXPECT_EQ(p.getDDESurveyHtPerc(), 50.0);
    EXPECT_EQ(p.getDDESurveyMergeDist(), 0.1);
    EXPECT_FALSE(p.getDDEMergeDistInPPM());
    EXPECT_EQ(p.getDDEAutoDetermineCharge(), 1);
    EXPECT_EQ(p.getMSMSCentroidEnable(), 1);
    EXPECT_FALSE(p.getMSMSSmoothCentroid());
    EXPECT_EQ(p.getMSMSThresholdPerc(), 0.0);
    EXPECT_TRUE(p.getMSMSThresholdInPercent());
    EXPECT_TRUE(p.getMSMSDeisotope());
    EXPECT_TRUE(p.getMSMSReportPeakArea());
    EXPECT_EQ(p.getRemoveNearParent(), 0.0);
    EXPECT_TRUE(p.getITraq());
    EXPECT_EQ(p.getMSMSAveNeedXPeaks(), 10);
    EXPECT_EQ(p.getMSMSAvePrecursorTol(), 1.0);
    EXPECT_EQ(p.getMSMSAveMaxCycBetween(), 10);
    EXPECT_EQ(p.getMSMSAveMinCyclesPerGp(), 1);
    EXPECT_FALSE(p.getUseOldQueryTitles());
}

} // namespace

TEST_F(ProcessingParametersTest, NoStoredSettingsGiveTheFactoryDefaults) {
    expectFactoryDefaults(ProcessingParametersFace().engine());
}

TEST_F(ProcessingParametersTest, ReadsStoredValuesWithTheirConversions) {
    store(QStringLiteral("strDefaultChargeState4"), QStringLiteral("1"));
    store(QStringLiteral("MSMSAvePrecursorTol"), QStringLiteral("0.25"));
    store(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("12.5"));
    store(QStringLiteral("MSMSDeisotope"), QStringLiteral("false"));
    store(QStringLiteral("iTraq"), QStringLiteral("0"));
    store(QStringLiteral("UseOldQueryTitles"), QStringLiteral("True"));
    // The interface's "...MinCyclesPerGp" is stored under the longer name only.
    store(QStringLiteral("MSMSAveMinCyclesPerGp"), QStringLiteral("7"));
    expectFactoryDefaults(ProcessingParameters()); // the engine's object reads nothing by itself
    ProcessingParametersFace created;
    ProcessingParameters& p = created.engine();
    EXPECT_EQ(p.getDefaultChargeStates(4), 1);
    EXPECT_EQ(p.getMSMSAvePrecursorTol(), 0.25);
    EXPECT_EQ(p.getMSMSAveNeedXPeaks(), 12) << "halves round to the even neighbour";
    EXPECT_FALSE(p.getMSMSDeisotope());
    EXPECT_FALSE(p.getITraq());
    EXPECT_TRUE(p.getUseOldQueryTitles());
    EXPECT_EQ(p.getMSMSAveMinCyclesPerGp(), 1);
    store(QStringLiteral("MSMSAveMinCyclesPerGroup"), QStringLiteral("3"));
    p.SetInfoFromRegistry();
    EXPECT_EQ(p.getMSMSAveMinCyclesPerGp(), 3);
}

TEST_F(ProcessingParametersTest, BooleanTextsReadInAnyLetterCase) {
    const std::pair<const char*, bool> cases[] = {
        {"0", false}, {"1", true}, {"True", true}, {"false", false}};
    for (const auto& [text, expected] : cases) {
        store(QStringLiteral("MSMSDeisotope"), QString::fromLatin1(text));
        EXPECT_EQ(ProcessingParametersFace().engine().getMSMSDeisotope(), expected) << text;
    }
}

TEST_F(ProcessingParametersTest, AnUnreadableValueFallsBackAtCreationAndFailsAnExplicitLoad) {
    store(QStringLiteral("strDefaultChargeState5"), QStringLiteral("1"));
    store(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("abc"));
    ProcessingParametersFace created;
    ProcessingParameters& p = created.engine();
    expectFactoryDefaults(p); // even the values read before the bad one are reset

    try {
        p.SetInfoFromRegistry();
        FAIL() << "the load did not fail";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.number(), automation::SystemError);
        EXPECT_TRUE(error.description().startsWith(
            QStringLiteral(
                "Could not read options from the settings file %1.\r\n\r\n(Originating error message: ")
                .arg(registry::hiveFilePath(registry::Hive::CurrentUser))))
            << error.description().toStdString();
        EXPECT_TRUE(error.description().endsWith(QLatin1Char(')')));
    }
    // Values before the bad one were stored; the ones after it keep their previous values.
    EXPECT_EQ(p.getDefaultChargeStates(5), 1);
    EXPECT_EQ(p.getMSMSAveNeedXPeaks(), 10);

    store(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("40000"));
    EXPECT_THROW(p.SetInfoFromRegistry(), AutomationError) << "beyond the 16-bit range";
}

TEST_F(ProcessingParametersTest, InMemoryModeReadsTheParameterStore) {
    RegistryFuncs::SetUseParamStore(true);
    RegistryFuncs::ParamStore().clear();
    RegistryFuncs::ParamStore().add(QStringLiteral("MSMSAveMaxCycBetween"), QStringLiteral("3"));
    store(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("5")); // goes to the saved lists
    ProcessingParametersFace created;
    ProcessingParameters& p = created.engine();
    RegistryFuncs::SetUseParamStore(false);
    RegistryFuncs::ClearSavedLists();
    EXPECT_EQ(p.getMSMSAveMaxCycBetween(), 3);
    EXPECT_EQ(p.getMSMSAveNeedXPeaks(), 10);
}

TEST_F(ProcessingParametersTest, ChargeIndexesOutsideOneToFiveAreSubscriptErrors) {
    ProcessingParameters p;
    for (std::int16_t charge : {0, 6, -1}) {
        try {
            p.setDefaultChargeStates(charge, 1);
            FAIL() << "charge " << charge;
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.number(), automation::SubscriptOutOfRange);
        }
        EXPECT_THROW(p.getDefaultChargeStates(charge), AutomationError);
    }
    p.setMSMSAveMinPrecursor(100.0);
    p.setMSMSAveMaxPrecursor(1.0);
    EXPECT_EQ(p.getMSMSAveMinPrecursor(), 50.0);
    EXPECT_EQ(p.getMSMSAveMaxPrecursor(), 10000.0);
}

TEST_F(ProcessingParametersTest, DispatchTableHasTheFiftyOneOperationsInSlotOrder) {
    ProcessingParametersFace p;
    const auto& members = p.members();
    ASSERT_EQ(members.size(), 51u);
    EXPECT_EQ(members.front().name, QStringLiteral("SetInfoFromRegistry"));
    EXPECT_EQ(members[13].name, QStringLiteral("getDefaultChargeStates"));
    EXPECT_EQ(members[29].name, QStringLiteral("SetToFactoryDefault"));
    EXPECT_EQ(members[30].name, QStringLiteral("DebugDump"));
    EXPECT_EQ(members.back().name, QStringLiteral("setUseOldQueryTitles"));
    for (std::size_t slot = 0; slot < members.size(); ++slot)
        EXPECT_EQ(members[slot].dispatchId, static_cast<int>(slot + 1)) << members[slot].name.toStdString();

    automation::Arguments charge{automation::Variant(QStringLiteral("3")),
                                 automation::Variant(QStringLiteral("0"))};
    p.call(QStringLiteral("SETDEFAULTCHARGESTATES"), charge);
    automation::Arguments three{automation::Variant(std::int16_t{3})};
    EXPECT_EQ(p.call(QStringLiteral("getDefaultChargeStates"), three).toInteger(), 0);
    EXPECT_EQ(p.call(QStringLiteral("getMSMSDeisotope")).toInteger(), -1) << "Booleans cross as -1";
    EXPECT_EQ(
        ProcessingParametersFace::helpString(QStringLiteral("setMSMSAveNeedXPeaks")),
        QStringLiteral("Significant matches are not possible with only a few peaks. Default value is 10"));
    EXPECT_TRUE(ProcessingParametersFace::helpString(QStringLiteral("getITraq")).isEmpty());
}

TEST_F(ProcessingParametersTest, DebugDumpWritesTheFieldsInTheirTextForm) {
    QTemporaryDir dir;
    const QString library = dir.filePath(QStringLiteral("libsearch.so"));
    store(QStringLiteral("Debug"), QStringLiteral("1"));
    MLogger::Testing::Reload(library);
    ProcessingParametersFace().call(QStringLiteral("DebugDump"));
    QFile log(dir.filePath(QStringLiteral("libsearch.debug")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    QStringList lines;
    for (const QByteArray& line : log.readAll().split('\n'))
        if (!line.isEmpty())
            lines << QString::fromUtf8(line.mid(15)).chopped(1); // no timestamp, no CR
    MLogger::Testing::Reload();
    ASSERT_EQ(lines.size(), 22);
    EXPECT_EQ(lines[0], QStringLiteral("ProcessingParameters - dump"));
    EXPECT_EQ(lines[1], QStringLiteral("\tm_defaultChargeStates(1) = 1"));
    EXPECT_EQ(lines[4], QStringLiteral("\tm_defaultChargeStates(4) = 0"));
    EXPECT_EQ(lines[6], QStringLiteral("\tm_DDESurveyHtPerc = 50"));
    EXPECT_EQ(lines[7], QStringLiteral("\tm_DDESurveyMergeDist = 0.1"));
    EXPECT_EQ(lines[14], QStringLiteral("\tm_MSMSThreshold = 0"));
    EXPECT_EQ(lines[15], QStringLiteral("\tm_MSMSThresholdInPercent = True"));
    EXPECT_EQ(lines[21], QStringLiteral("\tm_MSMSAveMinCyclesPerGp = 1"));
}
