#include "optionsformhelper.h"

#include "optionsformvirus.h"
#include "optionswindow.h"
#include "settings/parameterranges.h"
#include "settings/processingparameters.h"
#include "settings/registryfuncs.h"
#include "settings/ui/searchfilelocation.h"
#include "web/sorvexwebsearch.h"

#include "errors/numberederror.h"
#include "messages/messageservice.h"
#include "numbers/numberconversion.h"
#include "registry/registrykey.h"
#include "shared/mnumberutils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <cmath>

using errors::NumberedError;
using RegistryFuncs::ReadSetting;
using RegistryFuncs::SettingsKey;
using RegistryFuncs::WriteSetting;

namespace {

const QString errorTitle = QStringLiteral("Error");

QString checkState(const QCheckBox& box) {
    return box.isChecked() ? QStringLiteral("1") : QStringLiteral("0");
}

// An absolute threshold in the scientific form "0.0e+0" (1500 shows as 1.5e+3). A value that
// form would round shows all its digits instead, so that OK saves what was stored.
QString absoluteThresholdText(double value) {
    for (int decimals = 1; decimals <= 14; ++decimals) {
        QString text = QString::asprintf("%.*e", decimals, value);
        if (numbers::parseNumber(text) == value || decimals == 14) {
            // "1.50e+03": the exponent without leading zeros, the mantissa without trailing ones.
            static const QRegularExpression exponentZeros(QStringLiteral("e([+-])0+(\\d)"));
            static const QRegularExpression mantissaZeros(QStringLiteral("(\\.\\d*?[0-9])0+e"));
            text.replace(exponentZeros, QStringLiteral("e\\1\\2"));
            text.replace(mantissaZeros, QStringLiteral("\\1e"));
            return text;
        }
    }
    return {};
}

// The index of the first selected server button, or nothing when none is selected.
std::optional<int> selectedServer(const OptionsWindow& window) {
    for (std::size_t k = 0; k < window.Radio_WebServer.size(); ++k)
        if (window.Radio_WebServer[k]->isChecked())
            return static_cast<int>(k);
    return std::nullopt;
}

} // namespace

void OptionsFormHelper::SetSearchParameters(OptionsFormVirus* owningForm, bool singleSpectrum, bool ddeData,
                                            bool needGuessChargeState) {
    m_owningForm = owningForm;
    m_singleSpectrum = singleSpectrum;
    m_ddeData = ddeData;
    m_needGuessChargeState = needGuessChargeState;
}

void OptionsFormHelper::SetupDialogItems() {
    try {
        loadControls();
    } catch (const NumberedError& error) {
        messages::show(error.description(), errorTitle);
    }
}

void OptionsFormHelper::loadControls() {
    OptionsWindow& window = m_owningForm->controls();
    ostrand::ProcessingParameters params;
    try {
        params.SetInfoFromRegistry();
    } catch (const NumberedError&) {
        params.SetToFactoryDefault();
        messages::show(
            QStringLiteral("Could not read options from the settings file %1 - default values will be "
                           "used.")
                .arg(registry::hiveFilePath(registry::Hive::CurrentUser)),
            errorTitle);
    }
    for (std::int16_t i = 0; i < 5; ++i)
        window.CheckBox_Charge[static_cast<std::size_t>(i)]->setChecked(
            params.getDefaultChargeStates(i + 1) != 0);
    window.LimitChargeCheck->setChecked(params.getDiscardHighCharges() != 0);
    window.CheckDDESurveyAutoDetermineCharge->setChecked(params.getDDEAutoDetermineCharge() != 0);

    window.TextMSMSAveNeedXPeaks->setText(QString::number(params.getMSMSAveNeedXPeaks()));
    window.TextMSMSAvePrecusorTol->setText(numbers::numberText(params.getMSMSAvePrecursorTol()));
    window.TextMSMSAveMaxCycBetween->setText(QString::number(params.getMSMSAveMaxCycBetween()));
    window.TextMSMSAveMinCyclesPerGp->setText(QString::number(params.getMSMSAveMinCyclesPerGp()));
    window.TextRemoveNearParent->setText(numbers::numberText(params.getRemoveNearParent()));

    window.LocalSorvexWebServerURL->setText(ReadSetting(SettingsKey, QStringLiteral("SorvexURL"), {}));
    window.ProteinProspectorWebServerURL->setText(
        ReadSetting(SettingsKey, QStringLiteral("ProteinProspectorURL"), {}));

    const std::int32_t location = SorvexWebSearch().GetWebSearchLocation();
    if (location < 0 || location >= static_cast<std::int32_t>(window.Radio_WebServer.size()))
        throw NumberedError::standard(errors::SubscriptOutOfRange);
    window.Radio_WebServer[static_cast<std::size_t>(location)]->setChecked(true);

    window.CheckMSMSCentroidEnable->setChecked(params.getMSMSCentroidEnable() != 0);

    const bool inPercent = params.getMSMSThresholdInPercent();
    const double threshold = params.getMSMSThresholdPerc();
    window.TextMSMSThreshold->setText(inPercent ? numbers::numberText(threshold)
                                                : absoluteThresholdText(threshold));
    window.MSMSThresholdCombo->setCurrentIndex(inPercent ? 1 : 0);

    window.CheckReportMSMSPeakArea->setChecked(params.getMSMSReportPeakArea() != 0);
    window.CheckDeisotopeMSMS->setChecked(params.getMSMSDeisotope() != 0);
    window.CheckITraq->setChecked(params.getITraq() != 0);
    window.CheckUseOldQueryTitles->setChecked(params.getUseOldQueryTitles() != 0);

    EnableOrDisableDialogItems();
}

void OptionsFormHelper::EnableOrDisableDialogItems() {
    OptionsWindow& window = m_owningForm->controls();
    SetFrameEnabled(*window.PrecursorChargeGroup, !m_singleSpectrum);
    if (window.LimitChargeCheck->isChecked()) {
        // Charges of 5+ and more are discarded, so no precursor may be assumed to have one.
        for (std::size_t i = 4; i < window.CheckBox_Charge.size(); ++i) {
            window.CheckBox_Charge[i]->setEnabled(false);
            window.CheckBox_Charge[i]->setChecked(false);
        }
    }
    SetFrameEnabled(*window.DDESurveyParamsFrame, m_needGuessChargeState && m_ddeData && !m_singleSpectrum);
    SetFrameEnabled(*window.MSMSAveragingFrame, m_ddeData && !m_singleSpectrum);
    // The batch search client disables the server frame itself and keeps it so.
    if (!RegistryFuncs::UseParamStore()) {
        const bool installedHere = SorvexWebSearch().IsLocalSorvexInstalled();
        window.Radio_WebServer[0]->setEnabled(installedHere);
        window.Radio_WebServer[0]->setToolTip(OptionsWindow::localServerToolTip(installedHere));
        if (const auto k = selectedServer(window)) {
            window.LocalSorvexWebServerURL->setEnabled(*k == 1);
            window.ProteinProspectorWebServerURL->setEnabled(*k == 3);
            window.SetSorvexDefaultParams->setEnabled(*k != 3);
        }
    }
    SetFrameEnabled(*window.MSMSProcessingFrame, !m_singleSpectrum);
    if (!m_singleSpectrum) {
        const bool centroid = window.CheckMSMSCentroidEnable->isChecked();
        window.CheckDeisotopeMSMS->setEnabled(centroid);
        window.CheckReportMSMSPeakArea->setEnabled(centroid);
        window.CheckITraq->setEnabled(centroid && window.CheckDeisotopeMSMS->isChecked());
    }
}

void OptionsFormHelper::SetFrameEnabled(QGroupBox& frame, bool enable) {
    for (QWidget* control : frame.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        control->setEnabled(enable);
    frame.setEnabled(enable);
}

void OptionsFormHelper::SetSorvexDefaultParams() {
    try {
        const OptionsWindow& window = m_owningForm->controls();
        const int location = selectedServer(window).value_or(4);
        // The dialog stays open beside the browser window.
        SorvexWebSearch().OpenSorvexOptionsPage(location, window.LocalSorvexWebServerURL->text());
    } catch (const NumberedError& error) {
        messages::show(error.description(), errorTitle);
    }
}

void OptionsFormHelper::SetSearchFileLocation() {
    SearchFileLocation locationWindow(&m_owningForm->controls());
    locationWindow.exec();
}

void OptionsFormHelper::ValidateAndSaveDialogItems() {
    try {
        ValidateDialogItems();
        SaveDialogItems();
        m_owningForm->Close();
    } catch (const NumberedError& error) {
        messages::show(error.description(), errorTitle);
    }
}

void OptionsFormHelper::ValidateDialogItems() {
    OptionsWindow& window = m_owningForm->controls();
    // The limits are those every other way of handing parameters to an export is checked by.
    const auto wholeNumber = [](QLineEdit& box, const char* name) {
        const ostrand::ParameterRange& range = ostrand::parameterRange(QLatin1String(name));
        MNumberUtils::GetIntegerFromTextBox(box, static_cast<std::int16_t>(range.lowest),
                                            static_cast<std::int16_t>(range.highest));
    };
    const auto number = [](QLineEdit& box, const char* name) {
        const ostrand::ParameterRange& range = ostrand::parameterRange(QLatin1String(name));
        MNumberUtils::GetNumberFromTextBox(box, range.lowest, range.highest);
    };
    if (window.MSMSAveragingFrame->isEnabled()) {
        wholeNumber(*window.TextMSMSAveNeedXPeaks, "MSMSAveNeedXPeaks");
        number(*window.TextMSMSAvePrecusorTol, "MSMSAvePrecursorTol");
        number(*window.TextMSMSAveMaxCycBetween, "MSMSAveMaxCycBetween");
        wholeNumber(*window.TextMSMSAveMinCyclesPerGp, "MSMSAveMinCyclesPerGroup");
        wholeNumber(*window.TextRemoveNearParent, "RemoveNearParent");
    }
    if (window.LocalSorvexWebServerURL->text().isEmpty() && window.Radio_WebServer[1]->isChecked())
        throw NumberedError::system(QStringLiteral("You must specify the local Sorvex intranet site."));
    if (window.ProteinProspectorWebServerURL->text().isEmpty() && window.Radio_WebServer[3]->isChecked())
        throw NumberedError::system(QStringLiteral("You must specify the Protein Prospector site."));
    if (window.TextMSMSThreshold->isEnabled()) {
        if (window.MSMSThresholdCombo->currentIndex() != 0)
            MNumberUtils::GetNumberFromTextBox(*window.TextMSMSThreshold, 0,
                                               ostrand::highestThresholdPercent);
        else
            number(*window.TextMSMSThreshold, "MSMSThreshold");
    }
}

void OptionsFormHelper::SaveDialogItems() {
    OptionsWindow& window = m_owningForm->controls();
    const auto write = [](const char* name, const QString& text) {
        WriteSetting(SettingsKey, QString::fromLatin1(name), text);
    };
    if (window.PrecursorChargeGroup->isEnabled()) {
        for (std::size_t i = 0; i < window.CheckBox_Charge.size(); ++i)
            WriteSetting(SettingsKey, QStringLiteral("strDefaultChargeState%1").arg(i + 1),
                         checkState(*window.CheckBox_Charge[i]));
        write("strDiscardHighChargeStates", checkState(*window.LimitChargeCheck));
    }
    if (window.DDESurveyParamsFrame->isEnabled())
        write("DDEAutoDetermineCharge", checkState(*window.CheckDDESurveyAutoDetermineCharge));
    if (window.MSMSAveragingFrame->isEnabled()) {
        write("MSMSAveNeedXPeaks", window.TextMSMSAveNeedXPeaks->text());
        write("MSMSAvePrecursorTol", window.TextMSMSAvePrecusorTol->text());
        write("MSMSAveMaxCycBetween", window.TextMSMSAveMaxCycBetween->text());
        write("MSMSAveMinCyclesPerGroup", window.TextMSMSAveMinCyclesPerGp->text());
        write("RemoveNearParent", window.TextRemoveNearParent->text());
    }
    if (const auto k = selectedServer(window)) {
        write("SorvexURLOption", QString::number(*k));
        // The address of a choice not selected keeps its stored value.
        if (*k == 1)
            write("SorvexURL", window.LocalSorvexWebServerURL->text());
        if (*k == 3)
            write("ProteinProspectorURL", window.ProteinProspectorWebServerURL->text());
    }
    if (window.TextMSMSThreshold->isEnabled()) {
        write("MSMSThreshold", window.TextMSMSThreshold->text());
        write("MSMSThresholdInPercent", QString::number(window.MSMSThresholdCombo->currentIndex()));
    }
    if (window.CheckMSMSCentroidEnable->isEnabled())
        write("MSMSCentroidEnable", checkState(*window.CheckMSMSCentroidEnable));
    if (window.CheckMSMSCentroidEnable->isEnabled() && window.CheckMSMSCentroidEnable->isChecked()) {
        write("MSMSDeisotope", checkState(*window.CheckDeisotopeMSMS));
        write("MSMSReportPeakArea", checkState(*window.CheckReportMSMSPeakArea));
        if (window.CheckDeisotopeMSMS->isEnabled() && window.CheckDeisotopeMSMS->isChecked())
            write("iTraq", checkState(*window.CheckITraq));
    }
    write("UseOldQueryTitles", checkState(*window.CheckUseOldQueryTitles));
}
