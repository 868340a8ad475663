// The options dialog driven through its controls as a user drives it: what each kind of data
// enables, what OK validates and writes to the settings, and what a load and save keep.
#include "settings/processingparameters.h"
#include "settings/registryfuncs.h"
#include "settings/ui/optionsformvirus.h"
#include "settings/ui/optionswindow.h"
#include "settings/ui/searchfilelocation.h"

#include "inmemorymode.h"

#include "messages/messagecapture.h"
#include "modaldriver.h"
#include "qstringprinting.h"
#include "registry/registrykey.h"
#include "testsupport/environmentoverride.h"
#include "testsupport/privatesettingsfolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>

using messages::ShownMessage;
using RegistryFuncs::SettingsKey;

namespace {

// Every name the dialog may write, in its save order.
const QStringList dialogNames = {
    QStringLiteral("strDefaultChargeState1"),
    QStringLiteral("strDefaultChargeState2"),
    QStringLiteral("strDefaultChargeState3"),
    QStringLiteral("strDefaultChargeState4"),
    QStringLiteral("strDefaultChargeState5"),
    QStringLiteral("strDiscardHighChargeStates"),
    QStringLiteral("DDEAutoDetermineCharge"),
    QStringLiteral("MSMSAveNeedXPeaks"),
    QStringLiteral("MSMSAvePrecursorTol"),
    QStringLiteral("MSMSAveMaxCycBetween"),
    QStringLiteral("MSMSAveMinCyclesPerGroup"),
    QStringLiteral("RemoveNearParent"),
    QStringLiteral("SorvexURLOption"),
    QStringLiteral("SorvexURL"),
    QStringLiteral("ProteinProspectorURL"),
    QStringLiteral("MSMSThreshold"),
    QStringLiteral("MSMSThresholdInPercent"),
    QStringLiteral("MSMSCentroidEnable"),
    QStringLiteral("MSMSDeisotope"),
    QStringLiteral("MSMSReportPeakArea"),
    QStringLiteral("iTraq"),
    QStringLiteral("UseOldQueryTitles"),
};

struct Flags {
    bool singleSpectrum = false;
    bool ddeData = true;
    bool needGuessChargeState = true;
};

std::optional<QString> stored(const QString& name) {
    const auto key = registry::Key::open(registry::Hive::CurrentUser, SettingsKey);
    return key ? key->value(name) : std::nullopt;
}

void store(const QString& name, const QString& value) {
    RegistryFuncs::WriteSetting(SettingsKey, name, value);
}

// The names among the dialog's that the settings hold.
std::set<QString> storedNames() {
    std::set<QString> names;
    for (const QString& name : dialogNames)
        if (stored(name))
            names.insert(name);
    return names;
}

std::set<QString> allNamesBut(const QStringList& left) {
    std::set<QString> names(dialogNames.begin(), dialogNames.end());
    names.erase(QStringLiteral("SorvexURL"));
    names.erase(QStringLiteral("ProteinProspectorURL"));
    for (const QString& name : left)
        names.erase(name);
    return names;
}

void type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

// A click near the left end hits a check box's or option button's box as well as a button.
void click(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton, {},
                      QPoint(std::min(8, button->width() / 2), button->height() / 2));
}

class OptionsDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() { modaldriver::ensureApplication(); }
    void SetUp() override { resetInMemoryMode(); }
    void TearDown() override { resetInMemoryMode(); }

    static OptionsFormVirus& form() { return OptionsFormVirus::instance(); }

    // Shows the dialog for data with these flags and runs `whileShown` on its controls; then, if
    // the dialog is still open, presses `closeWith` ("OK" or "Cancel"). Returns whether it closed
    // by the first press.
    bool showAndPress(const Flags& flags, const std::function<void(OptionsWindow&)>& whileShown,
                      const char* closeWith = "OK") {
        bool closedByPress = false;
        form().SetSearchParameters(flags.singleSpectrum, flags.ddeData, flags.needGuessChargeState);
        modaldriver::onNextModal([&](QWidget* modal) {
            OptionsWindow& window = form().controls();
            EXPECT_EQ(modal, &window);
            if (whileShown)
                whileShown(window);
            click(QString::fromLatin1(closeWith) == QStringLiteral("OK") ? window.OK : window.Cancel);
            closedByPress = !form().isShown();
            if (form().isShown())
                click(window.Cancel);
        });
        form().Show();
        EXPECT_FALSE(form().isLoaded()) << "closing unloads the controls";
        return closedByPress;
    }

    testsupport::PrivateSettingsFolder settings;
    messages::MessageCapture shownMessages;
};

TEST_F(OptionsDialog, TheDataAtHandDecidesWhatIsEnabledAndWhatOKWrites) {
    struct Case {
        const char* what;
        Flags flags;
        std::function<void(OptionsWindow&)> edit;
        std::set<QString> written;
        std::map<QString, QString> values;
    };
    const std::vector<Case> cases = {
        {"IDA data: every control and value",
         {},
         {},
         allNamesBut({}),
         {{QStringLiteral("SorvexURLOption"), QStringLiteral("2")}}},
        {"a single spectrum: only the server choice and the title format",
         {true, true, true},
         [](OptionsWindow& w) {
             click(w.Radio_WebServer[1]);
             type(w.LocalSorvexWebServerURL, QStringLiteral("intranet/sorvex"));
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
         {},
         [](OptionsWindow& w) {
             click(w.CheckMSMSCentroidEnable);
             EXPECT_FALSE(w.CheckDeisotopeMSMS->isEnabled());
             EXPECT_FALSE(w.CheckReportMSMSPeakArea->isEnabled());
             EXPECT_FALSE(w.CheckITraq->isEnabled());
         },
         allNamesBut({QStringLiteral("MSMSDeisotope"), QStringLiteral("MSMSReportPeakArea"),
                      QStringLiteral("iTraq")}),
         {{QStringLiteral("MSMSCentroidEnable"), QStringLiteral("0")}}},
        {"de-isotoping unchecked: no iTRAQ",
         {},
         [](OptionsWindow& w) {
             click(w.CheckDeisotopeMSMS);
             EXPECT_FALSE(w.CheckITraq->isEnabled());
             EXPECT_TRUE(w.CheckReportMSMSPeakArea->isEnabled());
         },
         allNamesBut({QStringLiteral("iTraq")}),
         {{QStringLiteral("MSMSDeisotope"), QStringLiteral("0")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::PrivateSettingsFolder freshSettings;
        bool framesAsExpected = false;
        EXPECT_TRUE(showAndPress(c.flags, [&](OptionsWindow& w) {
            const bool single = c.flags.singleSpectrum;
            framesAsExpected = w.PrecursorChargeGroup->isEnabled() == !single &&
                               w.MSMSProcessingFrame->isEnabled() == !single &&
                               w.MSMSAveragingFrame->isEnabled() == (c.flags.ddeData && !single) &&
                               w.DDESurveyParamsFrame->isEnabled() ==
                                   (c.flags.ddeData && c.flags.needGuessChargeState && !single) &&
                               w.Frame1->isEnabled() && w.Frame4->isEnabled();
            if (c.edit)
                c.edit(w);
        }));
        EXPECT_TRUE(framesAsExpected);
        EXPECT_EQ(storedNames(), c.written);
        for (const auto& [name, value] : c.values)
            EXPECT_EQ(stored(name), value) << name.toStdString();
        EXPECT_TRUE(shownMessages.shown().empty());
    }
}

// A caller may ask for the controls before it describes the data at hand: they load from the
// stored settings all the same.
TEST_F(OptionsDialog, ControlsLoadBeforeTheDataIsDescribed) {
    store(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("7"));
    OptionsFormVirus fresh;
    EXPECT_EQ(fresh.controls().TextMSMSAveNeedXPeaks->text(), QStringLiteral("7"));
    EXPECT_EQ(shownMessages.shown(), std::vector<ShownMessage>{});
}

TEST_F(OptionsDialog, DiscardingHighChargesClearsAndLocksTheFivePlusBox) {
    store(QStringLiteral("strDefaultChargeState5"), QStringLiteral("1"));
    store(QStringLiteral("strDiscardHighChargeStates"), QStringLiteral("1"));
    showAndPress({}, [](OptionsWindow& w) {
        EXPECT_FALSE(w.CheckBox_Charge[4]->isChecked());
        EXPECT_FALSE(w.CheckBox_Charge[4]->isEnabled());
        click(w.CheckBox_Charge[4]);
        EXPECT_FALSE(w.CheckBox_Charge[4]->isChecked()) << "a locked box takes no click";
    });
    EXPECT_EQ(stored(QStringLiteral("strDefaultChargeState5")), QStringLiteral("0"));

    // Clearing the discard box frees the 5+ box, still cleared until the user checks it.
    showAndPress({}, [](OptionsWindow& w) {
        click(w.LimitChargeCheck);
        EXPECT_TRUE(w.CheckBox_Charge[4]->isEnabled());
        EXPECT_FALSE(w.CheckBox_Charge[4]->isChecked());
        click(w.CheckBox_Charge[4]);
    });
    EXPECT_EQ(stored(QStringLiteral("strDefaultChargeState5")), QStringLiteral("1"));
    EXPECT_EQ(stored(QStringLiteral("strDiscardHighChargeStates")), QStringLiteral("0"));
}

TEST_F(OptionsDialog, OKStopsAtTheFirstBadFieldSaysWhyAndSavesNothing) {
    struct Case {
        const char* what;
        std::function<void(OptionsWindow&)> edit;
        QString message;
        QLineEdit* OptionsWindow::*field; // where the focus goes, or none
    };
    const auto refused = [](const char* name, const char* rule) {
        return QStringLiteral("This field (%1) must be %2.").arg(QLatin1String(name), QLatin1String(rule));
    };
    const QString peaksTo100 =
        refused("Reject spectra if less than ... peaks", "an integer between 1 and 100");
    const auto set = [](QLineEdit* OptionsWindow::*field, const char* text) {
        return [field, text](OptionsWindow& w) { type(w.*field, QString::fromLatin1(text)); };
    };
    const std::vector<Case> cases = {
        {"a fraction of peaks", set(&OptionsWindow::TextMSMSAveNeedXPeaks, "2.5"), peaksTo100,
         &OptionsWindow::TextMSMSAveNeedXPeaks},
        {"no peaks", set(&OptionsWindow::TextMSMSAveNeedXPeaks, "0"), peaksTo100,
         &OptionsWindow::TextMSMSAveNeedXPeaks},
        {"a tolerance above 10", set(&OptionsWindow::TextMSMSAvePrecusorTol, "10.5"),
         refused("Precursor mass tolerance for grouping, in m/z", "a number between 0 and 10"),
         &OptionsWindow::TextMSMSAvePrecusorTol},
        {"a tolerance with a decimal comma", set(&OptionsWindow::TextMSMSAvePrecusorTol, "1,5"),
         refused("Precursor mass tolerance for grouping, in m/z", "a number between 0 and 10") +
             QStringLiteral(" Write decimals with a point: 1.5."),
         &OptionsWindow::TextMSMSAvePrecusorTol},
        {"cycles between above 1000", set(&OptionsWindow::TextMSMSAveMaxCycBetween, "1001"),
         refused("Max. number cycles between groups", "a number between 0 and 1000"),
         &OptionsWindow::TextMSMSAveMaxCycBetween},
        {"no cycle per group", set(&OptionsWindow::TextMSMSAveMinCyclesPerGp, "0"),
         refused("Min. number cycles per group", "an integer between 1 and 100"),
         &OptionsWindow::TextMSMSAveMinCyclesPerGp},
        {"a near-parent window of letters", set(&OptionsWindow::TextRemoveNearParent, "ten"),
         refused("Remove peaks within ... Da of precursor m/z", "an integer between 0 and 300"),
         &OptionsWindow::TextRemoveNearParent},
        {"a local server without an address, and a bad field before it",
         [](OptionsWindow& w) {
             click(w.Radio_WebServer[1]);
             type(w.TextMSMSAveNeedXPeaks, QStringLiteral("101"));
         },
         peaksTo100, &OptionsWindow::TextMSMSAveNeedXPeaks},
        {"a local server without an address", [](OptionsWindow& w) { click(w.Radio_WebServer[1]); },
         QStringLiteral("You must specify the local Sorvex intranet site."), nullptr},
        {"Protein Prospector without an address", [](OptionsWindow& w) { click(w.Radio_WebServer[3]); },
         QStringLiteral("You must specify the Protein Prospector site."), nullptr},
        {"a threshold of 96 %", set(&OptionsWindow::TextMSMSThreshold, "96"),
         refused("Remove peaks if intensity <", "a number between 0 and 95"),
         &OptionsWindow::TextMSMSThreshold},
        {"an absolute threshold above 1E+15",
         [](OptionsWindow& w) {
             w.MSMSThresholdCombo->setCurrentIndex(0);
             type(w.TextMSMSThreshold, QStringLiteral("2e15"));
         },
         refused("Remove peaks if intensity <", "a number between 0 and 1E+15"),
         &OptionsWindow::TextMSMSThreshold},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messages::MessageCapture messages;
        QWidget* focused = nullptr;
        QString selected;
        bool stayedOpen = false;
        QLineEdit* field = nullptr;
        showAndPress(
            {},
            [&](OptionsWindow& w) {
                c.edit(w);
                click(w.OK);
                stayedOpen = form().isShown();
                focused = w.focusWidget();
                field = c.field ? w.*c.field : nullptr;
                if (field)
                    selected = field->selectedText();
            },
            "Cancel");
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(messages.shown(), (std::vector<ShownMessage>{{QStringLiteral("Error"), c.message}}));
        if (c.field) {
            EXPECT_EQ(focused, field);
            EXPECT_FALSE(selected.isEmpty());
        }
        EXPECT_TRUE(storedNames().empty()) << "nothing is saved";
    }
}

TEST_F(OptionsDialog, BoundsAreInclusiveAndNumbersAreStoredAsTyped) {
    EXPECT_TRUE(showAndPress({}, [](OptionsWindow& w) {
        type(w.TextMSMSAveNeedXPeaks, QStringLiteral("100"));
        type(w.TextMSMSAvePrecusorTol, QStringLiteral("0"));
        type(w.TextMSMSAveMaxCycBetween, QStringLiteral("2.5"));
        type(w.TextRemoveNearParent, QStringLiteral("300"));
        w.MSMSThresholdCombo->setCurrentIndex(0);
        type(w.TextMSMSThreshold, QStringLiteral("96"));
    }));
    EXPECT_TRUE(shownMessages.shown().empty());
    EXPECT_EQ(stored(QStringLiteral("MSMSAveMaxCycBetween")), QStringLiteral("2.5"));
    EXPECT_EQ(stored(QStringLiteral("MSMSThreshold")), QStringLiteral("96"));
    EXPECT_EQ(stored(QStringLiteral("MSMSThresholdInPercent")), QStringLiteral("0"));
    const auto params = storedParameters();
    EXPECT_EQ(params.getMSMSAveMaxCycBetween(), 2) << "a number box read back as a whole number";
    EXPECT_EQ(params.getMSMSAveNeedXPeaks(), 100);
    EXPECT_EQ(params.getRemoveNearParent(), 300.0);
    EXPECT_EQ(params.getMSMSThresholdPerc(), 96.0);
}

TEST_F(OptionsDialog, LoadAndSaveKeepEveryStoredValue) {
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
        EXPECT_TRUE(showAndPress({}, {}));
        EXPECT_EQ(snapshot(), before);
        EXPECT_TRUE(shownMessages.shown().empty());
    }
}

TEST_F(OptionsDialog, TheServerChoiceFollowsTheSettingsAndTheInstalledServer) {
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
        showAndPress(
            {},
            [&](OptionsWindow& w) {
                EXPECT_TRUE(w.Radio_WebServer[static_cast<std::size_t>(c.selected)]->isChecked());
                EXPECT_EQ(w.Radio_WebServer[0]->isEnabled(), c.localServerEnabled);
                // A greyed choice says why, naming where the installed server would be recorded.
                EXPECT_EQ(w.Radio_WebServer[0]->toolTip().startsWith(QStringLiteral("Greyed out")),
                          !c.localServerEnabled);
                if (!c.localServerEnabled) {
                    EXPECT_TRUE(w.Radio_WebServer[0]->toolTip().contains(
                        registry::hiveFilePath(registry::Hive::LocalMachine)));
                }
                EXPECT_EQ(w.LocalSorvexWebServerURL->isEnabled(), c.intranetAddressEnabled);
                EXPECT_EQ(w.ProteinProspectorWebServerURL->isEnabled(), c.prospectorAddressEnabled);
                EXPECT_EQ(w.SetSorvexDefaultParams->isEnabled(), c.defaultsButtonEnabled);
            },
            "Cancel");
        EXPECT_EQ(storedNames().size(), c.storedChoice.isEmpty() ? 0U : 1U) << "Cancel saves nothing";
    }
}

TEST_F(OptionsDialog, UnreadableSettingsShowTheFactoryDefaultsAfterAMessage) {
    store(QStringLiteral("strDefaultChargeState4"), QStringLiteral("1"));
    store(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("abc"));
    showAndPress(
        {},
        [](OptionsWindow& w) {
            EXPECT_FALSE(w.CheckBox_Charge[3]->isChecked())
                << "values read before the bad one are defaults too";
            EXPECT_EQ(w.TextMSMSAveNeedXPeaks->text(), QStringLiteral("10"));
            EXPECT_EQ(w.TextMSMSAvePrecusorTol->text(), QStringLiteral("1"));
            EXPECT_EQ(w.TextMSMSThreshold->text(), QStringLiteral("0"));
            EXPECT_EQ(w.MSMSThresholdCombo->currentText(), QStringLiteral("% of maximum"));
        },
        "Cancel");
    EXPECT_EQ(
        shownMessages.shown(),
        (std::vector<ShownMessage>{
            {QStringLiteral("Error"),
             QStringLiteral("Could not read options from the settings file %1 - default values will be used.")
                 .arg(registry::hiveFilePath(registry::Hive::CurrentUser))}}));
}

TEST_F(OptionsDialog, TheInMemoryModeLeavesTheServerFrameAlone) {
    RegistryFuncs::SetUseParamStore(true);
    showAndPress(
        {},
        [](OptionsWindow& w) {
            EXPECT_TRUE(w.Radio_WebServer[0]->isEnabled())
                << "no server is installed, yet the rule does not run";
            click(w.Radio_WebServer[3]);
            EXPECT_TRUE(w.LocalSorvexWebServerURL->isEnabled());
            EXPECT_TRUE(w.SetSorvexDefaultParams->isEnabled());
        },
        "Cancel");
    EXPECT_TRUE(storedNames().empty()) << "the in-memory mode writes no setting";
}

TEST_F(OptionsDialog, TheServerFrameButtonsOpenTheirWindowsOverTheDialog) {
    // The search file location window, modal over the options dialog.
    QString locationTitle;
    showAndPress(
        {},
        [&](OptionsWindow& w) {
            modaldriver::onNextModal(
                [&](QWidget* modal) {
                    locationTitle = modal->windowTitle();
                    EXPECT_NE(qobject_cast<SearchFileLocation*>(modal), nullptr);
                    qobject_cast<QDialog*>(modal)->reject();
                },
                &w);
            click(w.SearchFileLocation);
            EXPECT_TRUE(form().isShown()) << "the options dialog stays open";
        },
        "Cancel");
    EXPECT_FALSE(locationTitle.isEmpty());

    // The defaults page goes to the browser; a browser that cannot start is reported in a message
    // box and the dialog stays open.
    testsupport::EnvironmentOverride noDriver("OSTRAND_WEBDRIVER", QByteArray("/nonexistent/chromedriver"));
    bool stayedOpen = false;
    showAndPress(
        {},
        [&](OptionsWindow& w) {
            click(w.SetSorvexDefaultParams);
            stayedOpen = form().isShown();
        },
        "Cancel");
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(shownMessages.shown().size(), 1U);
    EXPECT_EQ(shownMessages.shown()[0].title, QStringLiteral("Error"));
    EXPECT_TRUE(shownMessages.shown()[0].text.startsWith(QStringLiteral("Could not launch")))
        << shownMessages.shown()[0].text.toStdString();
}

TEST_F(OptionsDialog, Screenshots) {
    struct Case {
        const char* file;
        Flags flags;
        bool inMemory;
    };
    const std::vector<Case> cases = {
        {"optionsformvirus-ida.png", {}, false},
        {"optionsformvirus-single-spectrum.png", {true, true, true}, false},
        {"optionsformvirus-in-memory.png", {}, true},
    };
    const QDir folder(QStringLiteral(OSTRAND_SCREENSHOT_DIR));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        RegistryFuncs::SetUseParamStore(c.inMemory);
        form().SetSearchParameters(c.flags.singleSpectrum, c.flags.ddeData, c.flags.needGuessChargeState);
        if (c.inMemory)
            form().DisableServerFrameControls();
        bool saved = false;
        modaldriver::onNextModal([&](QWidget*) {
            QTest::qWait(50);
            // What the picture shows: one spectrum leaves its processing to the search, and the
            // batch client's dialog leaves the server alone.
            const OptionsWindow& w = form().controls();
            EXPECT_EQ(w.MSMSProcessingFrame->isEnabled(), !c.flags.singleSpectrum);
            EXPECT_EQ(w.Radio_WebServer[1]->isEnabled(), !c.inMemory);
            saved = form().controls().grab().save(folder.filePath(QString::fromLatin1(c.file)));
            click(form().controls().Cancel);
        });
        form().Show();
        EXPECT_TRUE(saved);
    }
}

} // namespace
