// The options dialog driven through its controls as a user drives it: the controls show the
// options model's rules, OK saves what it accepts and puts the user back on a field it refuses,
// and the server frame's buttons open their windows. The rules themselves are the model's tests.
#include "settings/processingparameters.h"
#include "settings/registryfuncs.h"
#include "settings/ui/optionsformvirus.h"
#include "settings/ui/optionswindow.h"
#include "settings/ui/searchfilelocation.h"

#include "dialogsettings.h"
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

namespace {

struct Flags {
    bool singleSpectrum = false;
    bool ddeData = true;
    bool needGuessChargeState = true;
};

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

// A caller may ask for the controls before it describes the data at hand: they load from the
// stored settings all the same.
TEST_F(OptionsDialog, ControlsLoadBeforeTheDataIsDescribed) {
    store(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("7"));
    OptionsFormVirus fresh;
    EXPECT_EQ(fresh.controls().TextMSMSAveNeedXPeaks->text(), QStringLiteral("7"));
    EXPECT_EQ(shownMessages.shown(), std::vector<ShownMessage>{});
}

TEST_F(OptionsDialog, TheControlsShowTheRulesAndOKSavesWhatItAccepts) {
    store(QStringLiteral("strDefaultChargeState5"), QStringLiteral("1"));
    store(QStringLiteral("strDiscardHighChargeStates"), QStringLiteral("1"));
    const QString peaksMessage = QStringLiteral(
        "This field (Reject spectra if less than ... peaks) must be an integer between 1 and 100.");
    bool shownAsTheRulesSay = false;
    bool refusedOnTheField = false;
    std::set<QString> storedAfterRefusal;
    EXPECT_TRUE(showAndPress({}, [&](OptionsWindow& w) {
        // Charges of 5+ are discarded, and no search server is installed on this computer.
        shownAsTheRulesSay =
            !w.CheckBox_Charge[4]->isEnabled() && !w.CheckBox_Charge[4]->isChecked() &&
            !w.Radio_WebServer[0]->isEnabled() &&
            w.Radio_WebServer[0]->toolTip().contains(registry::hiveFilePath(registry::Hive::LocalMachine)) &&
            w.Radio_WebServer[2]->isChecked() && !w.LocalSorvexWebServerURL->isEnabled() &&
            w.TextMSMSAveNeedXPeaks->text() == QStringLiteral("10");
        click(w.CheckMSMSCentroidEnable);
        shownAsTheRulesSay = shownAsTheRulesSay && !w.CheckDeisotopeMSMS->isEnabled() &&
                             !w.CheckITraq->isEnabled() && !w.CheckReportMSMSPeakArea->isEnabled();
        click(w.Radio_WebServer[1]);
        shownAsTheRulesSay = shownAsTheRulesSay && w.LocalSorvexWebServerURL->isEnabled();
        type(w.LocalSorvexWebServerURL, QStringLiteral("intranet/sorvex"));

        // A refused field: the message, the user back on the field with its text selected, the
        // dialog open and nothing saved.
        type(w.TextMSMSAveNeedXPeaks, QStringLiteral("2.5"));
        click(w.OK);
        refusedOnTheField = form().isShown() && w.focusWidget() == w.TextMSMSAveNeedXPeaks &&
                            w.TextMSMSAveNeedXPeaks->selectedText() == QStringLiteral("2.5");
        storedAfterRefusal = storedNames();
        type(w.TextMSMSAveNeedXPeaks, QStringLiteral("25"));
    }));
    EXPECT_TRUE(shownAsTheRulesSay);
    EXPECT_TRUE(refusedOnTheField);
    EXPECT_EQ(storedAfterRefusal, (std::set<QString>{QStringLiteral("strDefaultChargeState5"),
                                                     QStringLiteral("strDiscardHighChargeStates")}));
    EXPECT_EQ(shownMessages.shown(), (std::vector<ShownMessage>{{QStringLiteral("Error"), peaksMessage}}));
    std::set<QString> written = allNamesBut(
        {QStringLiteral("MSMSDeisotope"), QStringLiteral("MSMSReportPeakArea"), QStringLiteral("iTraq")});
    written.insert(QStringLiteral("SorvexURL"));
    EXPECT_EQ(storedNames(), written);
    for (const auto& [name, value] :
         std::map<QString, QString>{{QStringLiteral("strDefaultChargeState5"), QStringLiteral("0")},
                                    {QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("25")},
                                    {QStringLiteral("MSMSCentroidEnable"), QStringLiteral("0")},
                                    {QStringLiteral("SorvexURLOption"), QStringLiteral("1")},
                                    {QStringLiteral("SorvexURL"), QStringLiteral("intranet/sorvex")}})
        EXPECT_EQ(stored(name), value) << name.toStdString();

    // Cancel saves nothing.
    showAndPress(
        {}, [](OptionsWindow& w) { type(w.TextMSMSAveNeedXPeaks, QStringLiteral("30")); }, "Cancel");
    EXPECT_EQ(stored(QStringLiteral("MSMSAveNeedXPeaks")), QStringLiteral("25"));
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
