// The batch search client's parameter lists, called by name as the client calls them: defaults,
// lists handed back, lists edited in the options dialog, and the user's settings left alone.
#include "settings/processingparameters.h"
#include "settings/registryfuncs.h"
#include "settings/ui/optionsformvirus.h"
#include "settings/ui/optionswindow.h"

#include "inmemorymode.h"
#include "web/options4daemon.h"

#include "messages/messagecapture.h"
#include "modaldriver.h"
#include "qstringprinting.h"
#include "registry/registrykey.h"
#include "testsupport/privatesettingsfolder.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using automation::Arguments;
using messages::ShownMessage;

namespace {

const QString factoryKeys = QStringLiteral(
    "strDefaultChargeState1,strDefaultChargeState2,strDefaultChargeState3,strDefaultChargeState4,"
    "strDefaultChargeState5,strDiscardHighChargeStates,DDEAutoDetermineCharge,MSMSAveNeedXPeaks,"
    "MSMSAvePrecursorTol,MSMSAveMaxCycBetween,MSMSAveMinCyclesPerGroup,RemoveNearParent,SorvexURLOption,"
    "MSMSThreshold,MSMSThresholdInPercent,MSMSCentroidEnable,MSMSDeisotope,MSMSReportPeakArea,iTraq,"
    "UseOldQueryTitles");
// The factory values as the dialog shows them, with no search server installed on this computer.
const QString factoryValues = QStringLiteral("1,1,1,0,0,1,1,10,1,10,1,0,2,0,1,1,1,1,1,0");

QString userSetting(const QString& name) {
    const auto key = registry::Key::open(registry::Hive::CurrentUser, RegistryFuncs::SettingsKey);
    return key ? key->value(name).value_or(QStringLiteral("(none)")) : QStringLiteral("(no key)");
}

class Options4DaemonTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { modaldriver::ensureApplication(); }

    // A freshly loaded library, and a user whose own settings differ from the factory's.
    void SetUp() override {
        resetInMemoryMode();
        RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QStringLiteral("MSMSAveNeedXPeaks"),
                                    QStringLiteral("50"));
        RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, QStringLiteral("SorvexURLOption"),
                                    QStringLiteral("1"));
    }
    void TearDown() override {
        EXPECT_EQ(userSetting(QStringLiteral("MSMSAveNeedXPeaks")), QStringLiteral("50"));
        EXPECT_EQ(userSetting(QStringLiteral("SorvexURLOption")), QStringLiteral("1"));
        EXPECT_EQ(userSetting(QStringLiteral("iTraq")), QStringLiteral("(none)"))
            << "the user's settings are never written";
        resetInMemoryMode();
    }

    QString keys() { return daemon->call(QStringLiteral("Params_Keys")).toString(); }
    QString values() { return daemon->call(QStringLiteral("Params_Values")).toString(); }
    void setLists(const QString& names, const QString& texts) {
        Arguments args{names, texts};
        daemon->call(QStringLiteral("Set_Params_Strings"), args);
        EXPECT_EQ(args[0].toString(), names) << "the arguments are left unchanged";
    }
    std::int16_t parameter(const char* getter) {
        const auto params = daemon->call(QStringLiteral("Get_Params_Object")).toObject();
        return params->call(QString::fromLatin1(getter)).toInteger();
    }

    testsupport::PrivateSettingsFolder settings;
    messages::MessageCapture shownMessages;
    std::shared_ptr<automation::Dispatch> daemon = std::make_shared<Options4Daemon>();
};

TEST_F(Options4DaemonTest, DefaultsAreTheFactoryValuesWhateverTheUserStored) {
    daemon->call(QStringLiteral("Set_Params_String_Defaults"));
    EXPECT_EQ(keys(), factoryKeys);
    EXPECT_EQ(values(), factoryValues);

    // A search server installed on this computer is the default choice of a freshly loaded library.
    resetInMemoryMode();
    registry::Key::create(registry::Hive::LocalMachine, RegistryFuncs::InstalledServerKey)
        ->setValue(QStringLiteral("SorvexURL"), QStringLiteral("http://localhost/sorvex"));
    daemon->call(QStringLiteral("Set_Params_String_Defaults"));
    EXPECT_EQ(values().split(u',')[12], QStringLiteral("0"));
    EXPECT_TRUE(shownMessages.shown().empty());
}

TEST_F(Options4DaemonTest, ListsHandedBackBecomeTheParametersAndAreNormalised) {
    struct Case {
        const char* what;
        QString keys;
        QString values;
        std::int16_t needPeaks;
        std::int16_t iTraq; // as an automation Boolean
        QString normalisedValues;
        QString message;
    };
    const QString twentyNoITraq = QStringLiteral("1,1,1,0,0,1,1,20,1,10,1,0,2,0,1,1,1,1,0,0");
    const QString peaksMessage = QStringLiteral(
        "This field (Reject spectra if less than ... peaks) must be an integer between 1 and 100.");
    // The cases run in this order in one process: a list the dialog rejects must not spoil the
    // lists that follow it.
    const std::vector<Case> cases = {
        {"two pairs",
         QStringLiteral("MSMSAveNeedXPeaks,iTraq"),
         QStringLiteral("20,0"),
         20,
         0,
         twentyNoITraq,
         {}},
        {"one pair, no comma: all defaults",
         QStringLiteral("MSMSAveNeedXPeaks"),
         QStringLiteral("20"),
         10,
         -1,
         factoryValues,
         {}},
        {"lists of different lengths: all defaults",
         QStringLiteral("MSMSAveNeedXPeaks,iTraq"),
         QStringLiteral("20"),
         10,
         -1,
         factoryValues,
         {}},
        {"a value with a comma shifts the pairs: all defaults",
         QStringLiteral("MSMSAvePrecursorTol,iTraq"),
         QStringLiteral("0,5,0"),
         10,
         -1,
         factoryValues,
         {}},
        {"a value the dialog rejects: no lists",
         QStringLiteral("MSMSAveNeedXPeaks,iTraq"),
         QStringLiteral("500,0"),
         500,
         0,
         {},
         peaksMessage},
        {"names equal but for case: the first wins",
         QStringLiteral("msmsaveneedxpeaks,MSMSAveNeedXPeaks,iTraq"),
         QStringLiteral("20,40,0"),
         20,
         0,
         twentyNoITraq,
         {}},
        {"trailing commas",
         QStringLiteral("MSMSAveNeedXPeaks,iTraq,"),
         QStringLiteral("20,0,"),
         20,
         0,
         twentyNoITraq,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages::MessageCapture messages;
        setLists(c.keys, c.values);
        EXPECT_EQ(parameter("getMSMSAveNeedXPeaks"), c.needPeaks);
        EXPECT_EQ(parameter("getITraq"), c.iTraq);
        EXPECT_EQ(parameter("getMSMSAveMaxCycBetween"), 10);
        EXPECT_EQ(values(), c.normalisedValues);
        EXPECT_EQ(keys(), c.normalisedValues.isEmpty() ? QString() : factoryKeys);
        if (c.message.isEmpty())
            EXPECT_TRUE(messages.shown().empty());
        else
            EXPECT_EQ(messages.shown(), (std::vector<ShownMessage>{{QStringLiteral("Error"), c.message}}));
    }
    // The interactive dialogs of the same process now work on the in-memory store too.
    EXPECT_EQ(storedParameters().getMSMSAveNeedXPeaks(), 20);
}

TEST_F(Options4DaemonTest, TheDialogEditsTheListsWithoutTheServerFrameAndACancelKeepsThem) {
    struct Case {
        const char* what;
        const char* typed; // into the box of needed peaks, or nothing
        bool pressOK;
        QString needPeaksAfter;
        QString message;
    };
    const std::vector<Case> cases = {
        {"cancelled", nullptr, false, QStringLiteral("20"), {}},
        {"cancelled after a refused OK", "0", true, QStringLiteral("20"),
         QStringLiteral(
             "This field (Reject spectra if less than ... peaks) must be an integer between 1 and 100.")},
        {"edited", "15", true, QStringLiteral("15"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages::MessageCapture messages;
        setLists(QStringLiteral("MSMSAveNeedXPeaks,iTraq"), QStringLiteral("20,0"));
        const QString keysBefore = keys();
        bool serverFrameDisabled = false;
        QString shownPeaks;
        modaldriver::onNextModal([&](QWidget*) {
            OptionsWindow& w = OptionsFormVirus::instance().controls();
            serverFrameDisabled = w.Frame4->isEnabled();
            for (QWidget* control : w.Frame4->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                serverFrameDisabled = serverFrameDisabled && !control->isEnabled();
            shownPeaks = w.TextMSMSAveNeedXPeaks->text();
            if (c.typed) {
                w.TextMSMSAveNeedXPeaks->setText(QString::fromLatin1(c.typed));
                QTest::mouseClick(w.OK, Qt::LeftButton);
            }
            if (OptionsFormVirus::instance().isShown())
                QTest::mouseClick(w.Cancel, Qt::LeftButton);
        });
        daemon->call(QStringLiteral("Options_Form_Show"));
        EXPECT_TRUE(serverFrameDisabled);
        EXPECT_EQ(shownPeaks, QStringLiteral("20"));
        EXPECT_EQ(keys(), keysBefore);
        EXPECT_EQ(values().split(u',')[7], c.needPeaksAfter);
        EXPECT_EQ(values().split(u',')[18], QStringLiteral("0")) << "the other values stay";
        if (c.message.isEmpty())
            EXPECT_TRUE(messages.shown().empty());
        else
            EXPECT_EQ(messages.shown(), (std::vector<ShownMessage>{{QStringLiteral("Error"), c.message}}));
    }
}

} // namespace
