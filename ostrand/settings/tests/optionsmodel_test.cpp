// The options dialog's rules without its window: what each kind of data enables, what OK refuses
// and with which message, what it saves, and what a load and save keep.
#include "settings/optionsmodel.h"
#include "settings/processingparameters.h"
#include "web/sorvexwebsearch.h"

#include "dialogsettings.h"
#include "inmemorymode.h"

#include "messages/messagecapture.h"
#include "testsupport/privatesettingsfolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using ostrand::DialogField;
using ostrand::OptionsModel;
using Flags = OptionsModel::DataFlags;

namespace {

const Flags idaData{.singleSpectrum = false, .ddeData = true, .needGuessChargeState = true};

class OptionsRules : public ::testing::Test {
protected:
    void SetUp() override { resetInMemoryMode(); }
    void TearDown() override { resetInMemoryMode(); }

    // The model as the dialog loads it for data with these flags; the messages go to `reported`.
    OptionsModel loaded(const Flags& flags = idaData) {
        OptionsModel model;
        model.setDataFlags(flags);
        const bool complete = model.load([] { return SorvexWebSearch().GetWebSearchLocation(); },
                                         [this](const QString& message) { reported.push_back(message); });
        EXPECT_TRUE(complete);
        model.applyEnableRules(installedHere());
        return model;
    }

    // Whether a search server is installed here, or nothing in the in-memory mode.
    static std::optional<bool> installedHere() {
        if (RegistryFuncs::UseParamStore())
            return std::nullopt;
        return SorvexWebSearch().IsLocalSorvexInstalled();
    }

    // A click on a check box, which a disabled box does not take, and the rules it sets off.
    static void click(OptionsModel& model, DialogField box) {
        if (model.isEnabled(box))
            model.setChecked(box, !model.isChecked(box));
        model.applyEnableRules(installedHere());
    }

    static void choose(OptionsModel& model, int server) {
        model.setServer(server);
        model.applyEnableRules(installedHere());
    }

    testsupport::PrivateSettingsFolder settings;
    messages::MessageCapture shownMessages;
    std::vector<QString> reported;
};

TEST_F(OptionsRules, TheDataAtHandDecidesWhatIsEnabledAndWhatOKSaves) {
    struct Case {
        const char* what;
        Flags flags;
        std::function<void(OptionsModel&)> edit;
        std::set<QString> written;
        std::map<QString, QString> values;
    };
    const std::vector<Case> cases = {
        {"IDA data: every field and value",
         idaData,
         {},
         allNamesBut({}),
         {{QStringLiteral("SorvexURLOption"), QStringLiteral("2")},
          {QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("10")},
          {QStringLiteral("MSMSThreshold"), QStringLiteral("0")}}},
        {"a single spectrum: only the server choice and the title format",
         {true, true, true},
         [](OptionsModel& m) {
             choose(m, 1);
             m.setText(DialogField::IntranetAddress, QStringLiteral("intranet/sorvex"));
         },
         {QStringLiteral("SorvexURLOption"), QStringLiteral("SorvexURL"),
          QStringLiteral("UseOldQueryTitles")},
         {{QStringLiteral("SorvexURLOption"), QStringLiteral("1")},
          {QStringLiteral("SorvexURL"), QStringLiteral("intranet/sorvex")}}},
        {"data without IDA: no averaging, no survey charge",
         {false, false, true},
         {},
         allNamesBut({QStringLiteral("DDEAutoDetermineCharge"), QStringLiteral("MSMSAveNeedXPeaks"),
                      QStringLiteral("MSMSAvePrecursorTol"), QStringLiteral("MSMSAveMaxCycBetween"),
                      QStringLiteral("MSMSAveMinCyclesPerGroup"), QStringLiteral("RemoveNearParent")}),
         {}},
        {"IDA data whose caller determines no charge: no survey charge",
         {false, true, false},
         {},
         allNamesBut({QStringLiteral("DDEAutoDetermineCharge")}),
         {}},
        {"centroiding unchecked: no de-isotoping, peak area or iTRAQ",
         idaData,
         [](OptionsModel& m) {
             click(m, DialogField::Centroid);
             EXPECT_FALSE(m.isEnabled(DialogField::Deisotope));
             EXPECT_FALSE(m.isEnabled(DialogField::PeakArea));
             EXPECT_FALSE(m.isEnabled(DialogField::ITraq));
         },
         allNamesBut({QStringLiteral("MSMSDeisotope"), QStringLiteral("MSMSReportPeakArea"),
                      QStringLiteral("iTraq")}),
         {{QStringLiteral("MSMSCentroidEnable"), QStringLiteral("0")}}},
        {"de-isotoping unchecked: no iTRAQ",
         idaData,
         [](OptionsModel& m) {
             click(m, DialogField::Deisotope);
             EXPECT_FALSE(m.isEnabled(DialogField::ITraq));
             EXPECT_TRUE(m.isEnabled(DialogField::PeakArea));
         },
         allNamesBut({QStringLiteral("iTraq")}),
         {{QStringLiteral("MSMSDeisotope"), QStringLiteral("0")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::PrivateSettingsFolder freshSettings;
        OptionsModel model = loaded(c.flags);
        const bool single = c.flags.singleSpectrum;
        EXPECT_EQ(model.isFrameEnabled(OptionsModel::Frame::Charges), !single);
        EXPECT_EQ(model.isFrameEnabled(OptionsModel::Frame::Processing), !single);
        EXPECT_EQ(model.isFrameEnabled(OptionsModel::Frame::Averaging), c.flags.ddeData && !single);
        EXPECT_EQ(model.isFrameEnabled(OptionsModel::Frame::Survey),
                  c.flags.ddeData && c.flags.needGuessChargeState && !single);
        if (c.edit)
            c.edit(model);
        ASSERT_EQ(model.validate(), std::nullopt);
        model.save();
        EXPECT_EQ(storedNames(), c.written);
        for (const auto& [name, value] : c.values)
            EXPECT_EQ(stored(name), value) << name.toStdString();
        std::vector<QString> savedOrder;
        for (const auto& [name, value] : model.savedValues())
            savedOrder.push_back(name);
        EXPECT_TRUE(std::is_sorted(savedOrder.begin(), savedOrder.end(),
                                   [](const QString& a, const QString& b) {
                                       return dialogNames.indexOf(a) < dialogNames.indexOf(b);
                                   }))
            << "saved in the dialog's order";
    }
    EXPECT_TRUE(reported.empty());
    EXPECT_TRUE(shownMessages.shown().empty());
}

TEST_F(OptionsRules, DiscardingHighChargesClearsAndLocksTheFivePlusBox) {
    store(QStringLiteral("strDefaultChargeState5"), QStringLiteral("1"));
    store(QStringLiteral("strDiscardHighChargeStates"), QStringLiteral("1"));
    OptionsModel model = loaded();
    EXPECT_FALSE(model.isChecked(DialogField::Charge5));
    EXPECT_FALSE(model.isEnabled(DialogField::Charge5));
    click(model, DialogField::Charge5);
    EXPECT_FALSE(model.isChecked(DialogField::Charge5)) << "a locked box takes no click";

    // Clearing the discard box frees the 5+ box, still cleared until the user checks it.
    click(model, DialogField::DiscardHighCharges);
    EXPECT_TRUE(model.isEnabled(DialogField::Charge5));
    EXPECT_FALSE(model.isChecked(DialogField::Charge5));
    click(model, DialogField::Charge5);
    model.save();
    EXPECT_EQ(stored(QStringLiteral("strDefaultChargeState5")), QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("strDiscardHighChargeStates")), QStringLiteral("0"));
}

TEST_F(OptionsRules, OKRefusesTheFirstBadFieldAndSaysWhy) {
    struct Case {
        const char* what;
        std::function<void(OptionsModel&)> edit;
        QString message;
        std::optional<DialogField> field; // where the user is put back, or none
    };
    const auto refused = [](const char* name, const char* rule) {
        return QStringLiteral("This field (%1) must be %2.").arg(QLatin1String(name), QLatin1String(rule));
    };
    const QString peaksTo100 =
        refused("Reject spectra if less than ... peaks", "an integer between 1 and 100");
    const auto set = [](DialogField field, const char* text) {
        return [field, text](OptionsModel& m) { m.setText(field, QString::fromLatin1(text)); };
    };
    const std::vector<Case> cases = {
        {"a fraction of peaks", set(DialogField::NeedPeaks, "2.5"), peaksTo100, DialogField::NeedPeaks},
        {"no peaks", set(DialogField::NeedPeaks, "0"), peaksTo100, DialogField::NeedPeaks},
        {"a tolerance above 10", set(DialogField::PrecursorTolerance, "10.5"),
         refused("Precursor mass tolerance for grouping, in m/z", "a number between 0 and 10"),
         DialogField::PrecursorTolerance},
        {"a tolerance with a decimal comma", set(DialogField::PrecursorTolerance, "1,5"),
         refused("Precursor mass tolerance for grouping, in m/z", "a number between 0 and 10") +
             QStringLiteral(" Write decimals with a point: 1.5."),
         DialogField::PrecursorTolerance},
        {"cycles between above 1000", set(DialogField::CyclesBetween, "1001"),
         refused("Max. number cycles between groups", "a number between 0 and 1000"),
         DialogField::CyclesBetween},
        {"no cycle per group", set(DialogField::CyclesPerGroup, "0"),
         refused("Min. number cycles per group", "an integer between 1 and 100"),
         DialogField::CyclesPerGroup},
        {"a near-parent window of letters", set(DialogField::NearParent, "ten"),
         refused("Remove peaks within ... Da of precursor m/z", "an integer between 0 and 300"),
         DialogField::NearParent},
        {"a local server without an address, and a bad field before it",
         [](OptionsModel& m) {
             choose(m, 1);
             m.setText(DialogField::NeedPeaks, QStringLiteral("101"));
         },
         peaksTo100, DialogField::NeedPeaks},
        {"a local server without an address", [](OptionsModel& m) { choose(m, 1); },
         QStringLiteral("You must specify the local Sorvex intranet site."), std::nullopt},
        {"Protein Prospector without an address", [](OptionsModel& m) { choose(m, 3); },
         QStringLiteral("You must specify the Protein Prospector site."), std::nullopt},
        {"a threshold of 96 %", set(DialogField::Threshold, "96"),
         refused("Remove peaks if intensity <", "a number between 0 and 95"), DialogField::Threshold},
        {"an absolute threshold above 1E+15",
         [](OptionsModel& m) {
             m.setChecked(DialogField::ThresholdInPercent, false);
             m.setText(DialogField::Threshold, QStringLiteral("2e15"));
         },
         refused("Remove peaks if intensity <", "a number between 0 and 1E+15"), DialogField::Threshold},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OptionsModel model = loaded();
        c.edit(model);
        const auto refusal = model.validate();
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->message, c.message);
        EXPECT_EQ(refusal->field, c.field);
    }
}

TEST_F(OptionsRules, BoundsAreInclusiveAndNumbersAreSavedAsTyped) {
    OptionsModel model = loaded();
    model.setText(DialogField::NeedPeaks, QStringLiteral("100"));
    model.setText(DialogField::PrecursorTolerance, QStringLiteral("0"));
    model.setText(DialogField::CyclesBetween, QStringLiteral("2.5"));
    model.setText(DialogField::NearParent, QStringLiteral("300"));
    model.setChecked(DialogField::ThresholdInPercent, false);
    model.setText(DialogField::Threshold, QStringLiteral("96"));
    ASSERT_EQ(model.validate(), std::nullopt);
    model.save();
    EXPECT_EQ(stored(QStringLiteral("MSMSAveMaxCycBetween")), QStringLiteral("2.5"));
    EXPECT_EQ(stored(QStringLiteral("MSMSThreshold")), QStringLiteral("96"));
    EXPECT_EQ(stored(QStringLiteral("MSMSThresholdInPercent")), QStringLiteral("0"));
    const auto params = storedParameters();
    EXPECT_EQ(params.getMSMSAveMaxCycBetween(), 2) << "a number box read back as a whole number";
    EXPECT_EQ(params.getMSMSAveNeedXPeaks(), 100);
    EXPECT_EQ(params.getRemoveNearParent(), 300.0);
    EXPECT_EQ(params.getMSMSThresholdPerc(), 96.0);
}

TEST_F(OptionsRules, LoadAndSaveKeepEveryStoredValue) {
    using Settings = std::map<QString, QString>;
    const Settings common = {
        {QStringLiteral("DDESurveyHtPerc"), QStringLiteral("40")},
        {QStringLiteral("MSMSCentroidMergeDist"), QStringLiteral("2")},
        {QStringLiteral("MSMSAvePrecursorTol"), QStringLiteral("0.35")},
        {QStringLiteral("MSMSAveMaxCycBetween"), QStringLiteral("7")},
        {QStringLiteral("MSMSAveMinCyclesPerGroup"), QStringLiteral("3")},
        {QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("25")},
        {QStringLiteral("RemoveNearParent"), QStringLiteral("12")},
        {QStringLiteral("SorvexURL"), QStringLiteral("http://intranet/sorvex")},
        {QStringLiteral("ProteinProspectorURL"), QStringLiteral("http://prospector.example/")},
    };
    const std::vector<Settings> cases = {
        {{QStringLiteral("strDefaultChargeState1"), QStringLiteral("0")},
         {QStringLiteral("strDefaultChargeState4"), QStringLiteral("1")},
         {QStringLiteral("strDefaultChargeState5"), QStringLiteral("1")},
         {QStringLiteral("strDiscardHighChargeStates"), QStringLiteral("0")},
         {QStringLiteral("DDEAutoDetermineCharge"), QStringLiteral("0")},
         {QStringLiteral("SorvexURLOption"), QStringLiteral("1")},
         {QStringLiteral("MSMSThreshold"), QStringLiteral("1234")},
         {QStringLiteral("MSMSThresholdInPercent"), QStringLiteral("0")},
         {QStringLiteral("MSMSDeisotope"), QStringLiteral("0")},
         {QStringLiteral("MSMSReportPeakArea"), QStringLiteral("0")},
         {QStringLiteral("iTraq"), QStringLiteral("0")},
         {QStringLiteral("UseOldQueryTitles"), QStringLiteral("1")}},
        {{QStringLiteral("strDefaultChargeState2"), QStringLiteral("0")},
         {QStringLiteral("SorvexURLOption"), QStringLiteral("3")},
         {QStringLiteral("MSMSThreshold"), QStringLiteral("12.5")},
         {QStringLiteral("MSMSCentroidEnable"), QStringLiteral("0")},
         {QStringLiteral("MSMSDeisotope"), QStringLiteral("0")},
         {QStringLiteral("iTraq"), QStringLiteral("0")}},
        {{QStringLiteral("MSMSThreshold"), QStringLiteral("0.0")},
         {QStringLiteral("MSMSThresholdInPercent"), QStringLiteral("False")},
         {QStringLiteral("SorvexURLOption"), QStringLiteral("2")}},
    };
    const auto snapshot = [] {
        std::map<QString, QString> values;
        const auto p = storedParameters();
        for (std::int16_t charge = 1; charge <= 5; ++charge)
            values[QStringLiteral("charge%1").arg(charge)] =
                QString::number(p.getDefaultChargeStates(charge));
        const std::vector<std::pair<const char*, double>> numbers = {
            {"discard", p.getDiscardHighCharges()},
            {"surveyHeight", p.getDDESurveyHtPerc()},
            {"surveyCharge", p.getDDEAutoDetermineCharge()},
            {"centroid", p.getMSMSCentroidEnable()},
            {"mergeDistance", p.getMSMSCentroidMergeDist()},
            {"threshold", p.getMSMSThresholdPerc()},
            {"inPercent", p.getMSMSThresholdInPercent()},
            {"deisotope", p.getMSMSDeisotope()},
            {"peakArea", p.getMSMSReportPeakArea()},
            {"nearParent", p.getRemoveNearParent()},
            {"iTraq", p.getITraq()},
            {"needPeaks", p.getMSMSAveNeedXPeaks()},
            {"tolerance", p.getMSMSAvePrecursorTol()},
            {"cyclesBetween", p.getMSMSAveMaxCycBetween()},
            {"cyclesPerGroup", p.getMSMSAveMinCyclesPerGp()},
            {"oldTitles", p.getUseOldQueryTitles()}};
        for (const auto& [name, value] : numbers)
            values[QString::fromLatin1(name)] = QString::number(value, 'g', 17);
        for (const char* name : {"SorvexURLOption", "SorvexURL", "ProteinProspectorURL"})
            values[QString::fromLatin1(name)] =
                stored(QString::fromLatin1(name)).value_or(QStringLiteral("-"));
        return values;
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        testsupport::PrivateSettingsFolder freshSettings;
        Settings settingsOfCase = common;
        settingsOfCase.insert(cases[i].begin(), cases[i].end());
        for (const auto& [name, value] : settingsOfCase)
            store(name, value);
        const auto before = snapshot();
        const OptionsModel model = loaded();
        ASSERT_EQ(model.validate(), std::nullopt);
        model.save();
        EXPECT_EQ(snapshot(), before);
    }
    EXPECT_TRUE(reported.empty());
}

TEST_F(OptionsRules, TheServerChoiceFollowsTheSettingsAndTheInstalledServer) {
    struct Case {
        const char* what;
        QString installedServer;
        QString storedChoice;
        int selected;
        bool localServerEnabled;
        bool intranetAddressEnabled;
        bool prospectorAddressEnabled;
        bool defaultsButtonEnabled;
    };
    const std::vector<Case> cases = {
        {"nothing installed, nothing chosen", {}, {}, 2, false, false, false, true},
        {"a server installed, nothing chosen",
         QStringLiteral("http://localhost/sorvex"),
         {},
         0,
         true,
         false,
         false,
         true},
        {"the intranet server chosen", {}, QStringLiteral("1"), 1, false, true, false, true},
        {"Protein Prospector chosen", QStringLiteral("http://localhost/sorvex"), QStringLiteral("3"), 3, true,
         false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::PrivateSettingsFolder freshSettings;
        if (!c.installedServer.isEmpty())
            registry::Key::create(registry::Hive::LocalMachine, RegistryFuncs::InstalledServerKey)
                ->setValue(QStringLiteral("SorvexURL"), c.installedServer);
        if (!c.storedChoice.isEmpty())
            store(QStringLiteral("SorvexURLOption"), c.storedChoice);
        const OptionsModel model = loaded();
        EXPECT_EQ(model.server(), c.selected);
        EXPECT_EQ(model.isServerButtonEnabled(0), c.localServerEnabled);
        EXPECT_EQ(model.isEnabled(DialogField::IntranetAddress), c.intranetAddressEnabled);
        EXPECT_EQ(model.isEnabled(DialogField::ProspectorAddress), c.prospectorAddressEnabled);
        EXPECT_EQ(model.isDefaultsButtonEnabled(), c.defaultsButtonEnabled);
    }
}

TEST_F(OptionsRules, UnreadableSettingsLoadTheFactoryDefaultsAfterAMessage) {
    store(QStringLiteral("strDefaultChargeState4"), QStringLiteral("1"));
    store(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("abc"));
    const OptionsModel model = loaded();
    EXPECT_FALSE(model.isChecked(DialogField::Charge4)) << "values read before the bad one are defaults too";
    EXPECT_EQ(model.text(DialogField::NeedPeaks), QStringLiteral("10"));
    EXPECT_EQ(model.text(DialogField::PrecursorTolerance), QStringLiteral("1"));
    EXPECT_EQ(model.text(DialogField::Threshold), QStringLiteral("0"));
    EXPECT_TRUE(model.isChecked(DialogField::ThresholdInPercent));
    EXPECT_EQ(
        reported,
        std::vector<QString>{
            QStringLiteral("Could not read options from the settings file %1 - default values will be used.")
                .arg(registry::hiveFilePath(registry::Hive::CurrentUser))});

    // A server choice outside the four stops the load there, after the fields before it.
    reported.clear();
    store(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("20"));
    store(QStringLiteral("SorvexURLOption"), QStringLiteral("7"));
    OptionsModel stopped;
    stopped.setDataFlags(idaData);
    EXPECT_FALSE(stopped.load([] { return SorvexWebSearch().GetWebSearchLocation(); },
                              [this](const QString& message) { reported.push_back(message); }));
    EXPECT_EQ(stopped.text(DialogField::NeedPeaks), QStringLiteral("20"));
    EXPECT_EQ(stopped.server(), std::nullopt);
    EXPECT_FALSE(stopped.isChecked(DialogField::Centroid)) << "the fields after it stay as they were";
    EXPECT_EQ(reported, std::vector<QString>{QStringLiteral("Subscript out of range")});
}

TEST_F(OptionsRules, TheInMemoryModeLeavesTheServerFrameAlone) {
    RegistryFuncs::SetUseParamStore(true);
    OptionsModel model = loaded();
    EXPECT_TRUE(model.isServerButtonEnabled(0)) << "no server is installed, yet the rule does not run";
    choose(model, 3);
    EXPECT_TRUE(model.isEnabled(DialogField::IntranetAddress));
    EXPECT_TRUE(model.isDefaultsButtonEnabled());

    // The batch search client disables the frame's controls itself, and they stay so.
    model.disableServerFrameControls();
    choose(model, 2);
    for (int k = 0; k < 4; ++k)
        EXPECT_FALSE(model.isServerButtonEnabled(k));
    EXPECT_FALSE(model.isEnabled(DialogField::IntranetAddress));
    EXPECT_FALSE(model.isSearchFileButtonEnabled());
    EXPECT_TRUE(model.isFrameEnabled(OptionsModel::Frame::Server));
    model.save();
    EXPECT_TRUE(storedNames().empty()) << "the in-memory mode writes no setting";
    EXPECT_TRUE(RegistryFuncs::SavedKeys().contains(QStringLiteral("SorvexURLOption,")));
}

} // namespace
