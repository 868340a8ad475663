// VeskFileInfo as late-bound callers reach it: its members in interface slot order, their help
// texts, and arguments and results converted as the batch search client passes them.
#include "automation/veskfileinfoface.h"
#include "data/tests/veskfileinfofixture.h"

#include "automation/automationerror.h"

#include <gtest/gtest.h>

using automation::Arguments;
using automation::AutomationError;
using automation::Variant;
using veskfileinfotest::VeskFileInfoTest;

namespace {

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
