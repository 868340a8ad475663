#include "optionswindow.h"

#include "settings/parametertable.h"

#include "registry/registrykey.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using ostrand::DialogField;
using ostrand::OptionsModel;
using ostrand::parameterOf;

namespace {

// Every control is a direct child of its frame, so that enabling a frame visits exactly its own.
template <class Control> Control* named(Control* control, const char* name, const QString& toolTip = {}) {
    control->setObjectName(QString::fromLatin1(name));
    if (!toolTip.isEmpty())
        control->setToolTip(toolTip);
    return control;
}

QGroupBox* frame(QWidget* window, const char* name, const QString& caption, const QString& toolTip = {}) {
    return named(new QGroupBox(caption, window), name, toolTip);
}

QLabel* label(QGroupBox* container, const QString& caption, const QString& toolTip = {}) {
    auto* text = new QLabel(caption, container);
    text->setToolTip(toolTip);
    return text;
}

// Number boxes are as wide as the numbers they take; the URL boxes take the rest of the line. A
// box's accessible name is what its message calls it when the value is refused.
QLineEdit* numberBox(QGroupBox* container, const char* name, DialogField field, const QString& toolTip = {}) {
    auto* box = named(new QLineEdit(container), name, toolTip);
    box->setAccessibleName(OptionsModel::fieldLabel(field));
    box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0.000e+00")) + 12);
    return box;
}

} // namespace

OptionsWindow::OptionsWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OptionsFormVirus"));
    setWindowTitle(QStringLiteral("Sorvex Search - Options"));
    createOther();
    createChargeStates();
    createAveraging();
    createProcessing();
    createSurvey();
    createWebServer();
    OK = named(new QPushButton(QStringLiteral("OK"), this), "OK");
    OK->setDefault(true);
    Cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "Cancel");

    // The frames in two columns, the server choice with its long addresses below both; the
    // visual order is the window's order, so the tab order reads naturally.
    auto* left = new QVBoxLayout;
    left->addWidget(Frame1);
    left->addWidget(PrecursorChargeGroup);
    left->addWidget(MSMSAveragingFrame);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(MSMSProcessingFrame);
    right->addWidget(DDESurveyParamsFrame);
    right->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OK);
    buttons->addWidget(Cancel);
    auto* window = new QVBoxLayout(this);
    window->addLayout(columns);
    window->addWidget(Frame4);
    window->addLayout(buttons);
    window->setSizeConstraint(QLayout::SetFixedSize);
}

void OptionsWindow::createOther() {
    Frame1 = frame(this, "Frame1", QStringLiteral("Other"));
    CheckUseOldQueryTitles = named(
        new QCheckBox(QStringLiteral("Use original format for query titles"), Frame1),
        "CheckUseOldQueryTitles",
        QStringLiteral("Use version 1.0 format for Sorvex query titles (for compatibility with MSQuant)"));
    auto* layout = new QVBoxLayout(Frame1);
    layout->addWidget(CheckUseOldQueryTitles);
}

void OptionsWindow::createChargeStates() {
    PrecursorChargeGroup =
        frame(this, "PrecursorChargeGroup", QStringLiteral("Default precursor charge states"),
              QStringLiteral("Only used where the software cannot determine this automatically"));
    auto* charges = new QHBoxLayout;
    for (std::size_t i = 0; i < CheckBox_Charge.size(); ++i) {
        CheckBox_Charge[i] =
            named(new QCheckBox(QStringLiteral("%1+").arg(i + 1), PrecursorChargeGroup), "CheckBox_Charge");
        charges->addWidget(CheckBox_Charge[i]);
    }
    charges->addStretch();
    LimitChargeCheck =
        named(new QCheckBox(QStringLiteral("Discard ions with charge of 5+ or higher"), PrecursorChargeGroup),
              "LimitChargeCheck");
    auto* layout = new QVBoxLayout(PrecursorChargeGroup);
    layout->addLayout(charges);
    layout->addWidget(LimitChargeCheck);
}

void OptionsWindow::createAveraging() {
    MSMSAveragingFrame =
        frame(this, "MSMSAveragingFrame", QStringLiteral("MS/MS averaging of IDA dependents"),
              QStringLiteral("These parameters are used to 'merge together' cycles from that "
                             "have the same precursor mass and charge state"));
    const QString toleranceTip = parameterOf(DialogField::PrecursorTolerance).help;
    auto* layout = new QGridLayout(MSMSAveragingFrame);
    layout->addWidget(label(MSMSAveragingFrame, QStringLiteral("Max. number cycles between groups")), 0, 0);
    TextMSMSAveMaxCycBetween =
        numberBox(MSMSAveragingFrame, "TextMSMSAveMaxCycBetween", DialogField::CyclesBetween);
    layout->addWidget(TextMSMSAveMaxCycBetween, 0, 1);
    layout->addWidget(label(MSMSAveragingFrame, QStringLiteral("Min. number cycles per group")), 1, 0);
    TextMSMSAveMinCyclesPerGp =
        numberBox(MSMSAveragingFrame, "TextMSMSAveMinCyclesPerGp", DialogField::CyclesPerGroup);
    layout->addWidget(TextMSMSAveMinCyclesPerGp, 1, 1);
    layout->addWidget(
        label(MSMSAveragingFrame, QStringLiteral("Precursor mass tolerance for grouping"), toleranceTip), 2,
        0);
    TextMSMSAvePrecusorTol = numberBox(MSMSAveragingFrame, "TextMSMSAvePrecusorTol",
                                       DialogField::PrecursorTolerance, toleranceTip);
    layout->addWidget(TextMSMSAvePrecusorTol, 2, 1);
    layout->addWidget(label(MSMSAveragingFrame, QStringLiteral("m/z"), toleranceTip), 2, 2);
    layout->setColumnStretch(0, 1);
}

void OptionsWindow::createProcessing() {
    MSMSProcessingFrame = frame(this, "MSMSProcessingFrame", QStringLiteral("MS/MS data processing"));
    QGroupBox* container = MSMSProcessingFrame;
    CheckMSMSCentroidEnable = named(new QCheckBox(QStringLiteral("Centroid all MS/MS data"), container),
                                    "CheckMSMSCentroidEnable", parameterOf(DialogField::Centroid).help);
    CheckDeisotopeMSMS =
        named(new QCheckBox(QStringLiteral("De-isotope MS/MS data"), container), "CheckDeisotopeMSMS");
    CheckITraq = named(new QCheckBox(QStringLiteral("iTRAQ (reporter region not de-isotoped)"), container),
                       "CheckITraq");
    CheckReportMSMSPeakArea =
        named(new QCheckBox(QStringLiteral("Report peak area (otherwise intensity)"), container),
              "CheckReportMSMSPeakArea");
    auto* layout = new QGridLayout(container);
    int row = 0;
    for (QCheckBox* box : {CheckMSMSCentroidEnable, CheckDeisotopeMSMS, CheckITraq, CheckReportMSMSPeakArea})
        layout->addWidget(box, row++, 0, 1, 3);

    layout->addWidget(label(container, QStringLiteral("Remove peaks if intensity < ")), row, 0);
    TextMSMSThreshold = numberBox(container, "TextMSMSThreshold", DialogField::Threshold);
    layout->addWidget(TextMSMSThreshold, row, 1);
    MSMSThresholdCombo = named(new QComboBox(container), "MSMSThresholdCombo");
    MSMSThresholdCombo->addItems({QStringLiteral("(absolute)"), QStringLiteral("% of maximum")});
    layout->addWidget(MSMSThresholdCombo, row++, 2);

    const QString peaksTip = parameterOf(DialogField::NeedPeaks).help;
    layout->addWidget(label(container, QStringLiteral("Reject spectra if less than "), peaksTip), row, 0);
    TextMSMSAveNeedXPeaks = numberBox(container, "TextMSMSAveNeedXPeaks", DialogField::NeedPeaks, peaksTip);
    layout->addWidget(TextMSMSAveNeedXPeaks, row, 1);
    layout->addWidget(label(container, QStringLiteral("peaks"), peaksTip), row++, 2);

    layout->addWidget(label(container, QStringLiteral("Remove peaks within")), row, 0);
    TextRemoveNearParent = numberBox(
        container, "TextRemoveNearParent", DialogField::NearParent,
        QStringLiteral(
            "Peaks that fall within a window +/- this value will be removed from the sxq file before "
            "searching. Default Value is 0."));
    layout->addWidget(TextRemoveNearParent, row, 1);
    layout->addWidget(label(container, QStringLiteral("Da of precursor m/z")), row, 2);
    layout->setColumnStretch(2, 1);
}

void OptionsWindow::createSurvey() {
    DDESurveyParamsFrame = frame(this, "DDESurveyParamsFrame", QStringLiteral("IDA survey scan"));
    CheckDDESurveyAutoDetermineCharge = named(
        new QCheckBox(QStringLiteral("Try to determine charge state from survey scan"), DDESurveyParamsFrame),
        "CheckDDESurveyAutoDetermineCharge");
    auto* layout = new QVBoxLayout(DDESurveyParamsFrame);
    layout->addWidget(CheckDDESurveyAutoDetermineCharge);
}

QString OptionsWindow::localServerToolTip(bool installedHere) {
    // A greyed choice says why it is greyed.
    if (installedHere)
        return QStringLiteral(
            "This button will only be enabled if you have Sorvex installed on this computer.");
    return QStringLiteral(
               "Greyed out: Sorvex is not installed on this computer (no server address SorvexURL in "
               "%1).")
        .arg(registry::hiveFilePath(registry::Hive::LocalMachine));
}

void OptionsWindow::createWebServer() {
    Frame4 = frame(this, "Frame4", QStringLiteral("Sorvex parameters"));
    const auto radio = [this](const QString& caption, const QString& toolTip) {
        return named(new QRadioButton(caption, Frame4), "Radio_WebServer", toolTip);
    };
    Radio_WebServer[0] = radio(QStringLiteral("Sorvex on this computer"), localServerToolTip(true));
    Radio_WebServer[1] =
        radio(QStringLiteral("Local Sorvex:"),
              QStringLiteral("If you have Sorvex on your local intranet, click here and enter "
                             "the URL - e.g. http://your_server/sorvex"));
    Radio_WebServer[2] = radio(QStringLiteral("Tervane public web site"),
                               QStringLiteral("Select this button to use the public Tervane Web site"));
    LocalSorvexWebServerURL = named(new QLineEdit(Frame4), "LocalSorvexWebServerURL");
    Radio_WebServer[3] = radio(QStringLiteral("Protein Prospector:"), {});
    ProteinProspectorWebServerURL = named(new QLineEdit(Frame4), "ProteinProspectorWebServerURL");
    SearchFileLocation =
        named(new QPushButton(QStringLiteral("Set search file location..."), Frame4), "SearchFileLocation");
    SetSorvexDefaultParams =
        named(new QPushButton(QStringLiteral("Set default parameters..."), Frame4), "SetSorvexDefaultParams");
    for (QPushButton* button : {SearchFileLocation, SetSorvexDefaultParams})
        button->setAutoDefault(false);

    auto* layout = new QGridLayout(Frame4);
    layout->addWidget(Radio_WebServer[0], 0, 0, 1, 2);
    layout->addWidget(Radio_WebServer[1], 1, 0);
    layout->addWidget(LocalSorvexWebServerURL, 1, 1);
    layout->addWidget(Radio_WebServer[2], 2, 0, 1, 2);
    layout->addWidget(Radio_WebServer[3], 3, 0);
    layout->addWidget(ProteinProspectorWebServerURL, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(SearchFileLocation);
    buttons->addWidget(SetSorvexDefaultParams);
    buttons->addStretch();
    layout->addLayout(buttons, 4, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    // Room for a whole server address.
    LocalSorvexWebServerURL->setMinimumWidth(LocalSorvexWebServerURL->fontMetrics().horizontalAdvance(
        QStringLiteral("http://your_server.example.org/sorvex/")));
}

QCheckBox* OptionsWindow::checkBox(DialogField field) const {
    switch (field) {
    case DialogField::Charge1:
    case DialogField::Charge2:
    case DialogField::Charge3:
    case DialogField::Charge4:
    case DialogField::Charge5:
        return CheckBox_Charge[static_cast<std::size_t>(field) -
                               static_cast<std::size_t>(DialogField::Charge1)];
    case DialogField::DiscardHighCharges:
        return LimitChargeCheck;
    case DialogField::SurveyCharge:
        return CheckDDESurveyAutoDetermineCharge;
    case DialogField::Centroid:
        return CheckMSMSCentroidEnable;
    case DialogField::Deisotope:
        return CheckDeisotopeMSMS;
    case DialogField::PeakArea:
        return CheckReportMSMSPeakArea;
    case DialogField::ITraq:
        return CheckITraq;
    case DialogField::OldTitles:
        return CheckUseOldQueryTitles;
    default:
        return nullptr;
    }
}

QLineEdit* OptionsWindow::textBox(DialogField field) const {
    switch (field) {
    case DialogField::NeedPeaks:
        return TextMSMSAveNeedXPeaks;
    case DialogField::PrecursorTolerance:
        return TextMSMSAvePrecusorTol;
    case DialogField::CyclesBetween:
        return TextMSMSAveMaxCycBetween;
    case DialogField::CyclesPerGroup:
        return TextMSMSAveMinCyclesPerGp;
    case DialogField::NearParent:
        return TextRemoveNearParent;
    case DialogField::IntranetAddress:
        return LocalSorvexWebServerURL;
    case DialogField::ProspectorAddress:
        return ProteinProspectorWebServerURL;
    case DialogField::Threshold:
        return TextMSMSThreshold;
    default:
        return nullptr;
    }
}

QGroupBox* OptionsWindow::frameBox(OptionsModel::Frame frame) const {
    switch (frame) {
    case OptionsModel::Frame::Other:
        return Frame1;
    case OptionsModel::Frame::Charges:
        return PrecursorChargeGroup;
    case OptionsModel::Frame::Averaging:
        return MSMSAveragingFrame;
    case OptionsModel::Frame::Processing:
        return MSMSProcessingFrame;
    case OptionsModel::Frame::Survey:
        return DDESurveyParamsFrame;
    case OptionsModel::Frame::Server:
        break;
    }
    return Frame4;
}
