#include "optionsformhelper.h"

#include "optionsformvirus.h"
#include "optionswindow.h"
#include "settings/registryfuncs.h"
#include "settings/ui/searchfilelocation.h"
#include "web/sorvexwebsearch.h"

#include "errors/numberederror.h"
#include "messages/messageservice.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using ostrand::DialogField;
using ostrand::OptionsModel;

namespace {

const QString errorTitle = QStringLiteral("Error");

void showError(const QString& text) {
    messages::show(text, errorTitle);
}

// The index of the first selected server button, or nothing when none is selected.
std::optional<int> selectedServer(const OptionsWindow& window) {
    for (std::size_t k = 0; k < window.Radio_WebServer.size(); ++k)
        if (window.Radio_WebServer[k]->isChecked())
            return static_cast<int>(k);
    return std::nullopt;
}

constexpr DialogField fieldAt(int i) {
    return static_cast<DialogField>(i);
}

} // namespace

void OptionsFormHelper::SetSearchParameters(OptionsFormVirus* owningForm, bool singleSpectrum, bool ddeData,
                                            bool needGuessChargeState) {
    m_owningForm = owningForm;
    m_flags = {
        .singleSpectrum = singleSpectrum, .ddeData = ddeData, .needGuessChargeState = needGuessChargeState};
}

void OptionsFormHelper::SetupDialogItems() {
    m_model = OptionsModel();
    m_model.setDataFlags(m_flags);
    if (m_model.load([] { return SorvexWebSearch().GetWebSearchLocation(); }, showError))
        applyEnableRules();
    showModel();
}

void OptionsFormHelper::EnableOrDisableDialogItems() {
    readControls();
    applyEnableRules();
    showModel();
}

void OptionsFormHelper::applyEnableRules() {
    // The batch search client disables the server frame itself and keeps it so.
    std::optional<bool> installedHere;
    if (!RegistryFuncs::UseParamStore()) {
        installedHere = SorvexWebSearch().IsLocalSorvexInstalled();
        m_owningForm->controls().Radio_WebServer[0]->setToolTip(
            OptionsWindow::localServerToolTip(*installedHere));
    }
    m_model.applyEnableRules(installedHere);
}

void OptionsFormHelper::DisableServerFrameControls() {
    readControls();
    m_model.disableServerFrameControls();
    showModel();
}

void OptionsFormHelper::showModel() {
    OptionsWindow& window = m_owningForm->controls();
    for (const auto frame :
         {OptionsModel::Frame::Other, OptionsModel::Frame::Charges, OptionsModel::Frame::Averaging,
          OptionsModel::Frame::Processing, OptionsModel::Frame::Survey, OptionsModel::Frame::Server})
        window.frameBox(frame)->setEnabled(m_model.isFrameEnabled(frame));
    for (int i = 0; i < ostrand::dialogFieldCount; ++i) {
        const DialogField field = fieldAt(i);
        if (QCheckBox* box = window.checkBox(field)) {
            box->setChecked(m_model.isChecked(field));
            box->setEnabled(m_model.isOwnEnabled(field));
        } else if (QLineEdit* textBox = window.textBox(field)) {
            // An unchanged text keeps the cursor and selection where the user left them.
            if (textBox->text() != m_model.text(field))
                textBox->setText(m_model.text(field));
            textBox->setEnabled(m_model.isOwnEnabled(field));
        }
    }
    window.MSMSThresholdCombo->setCurrentIndex(m_model.isChecked(DialogField::ThresholdInPercent) ? 1 : 0);
    window.MSMSThresholdCombo->setEnabled(m_model.isOwnEnabled(DialogField::ThresholdInPercent));
    if (const auto k = m_model.server())
        window.Radio_WebServer[static_cast<std::size_t>(*k)]->setChecked(true);
    for (std::size_t k = 0; k < window.Radio_WebServer.size(); ++k)
        window.Radio_WebServer[k]->setEnabled(m_model.isServerButtonEnabled(static_cast<int>(k)));
    window.SearchFileLocation->setEnabled(m_model.isSearchFileButtonEnabled());
    window.SetSorvexDefaultParams->setEnabled(m_model.isDefaultsButtonEnabled());
}

void OptionsFormHelper::readControls() {
    const OptionsWindow& window = m_owningForm->controls();
    for (int i = 0; i < ostrand::dialogFieldCount; ++i) {
        const DialogField field = fieldAt(i);
        if (const QCheckBox* box = window.checkBox(field))
            m_model.setChecked(field, box->isChecked());
        else if (const QLineEdit* textBox = window.textBox(field))
            m_model.setText(field, textBox->text());
    }
    m_model.setText(DialogField::ThresholdInPercent,
                    QString::number(window.MSMSThresholdCombo->currentIndex()));
    m_model.setServer(selectedServer(window));
}

void OptionsFormHelper::SetSorvexDefaultParams() {
    try {
        const OptionsWindow& window = m_owningForm->controls();
        const int location = selectedServer(window).value_or(4);
        // The dialog stays open beside the browser window.
        SorvexWebSearch().OpenSorvexOptionsPage(location, window.LocalSorvexWebServerURL->text());
    } catch (const errors::NumberedError& error) {
        showError(error.description());
    }
}

void OptionsFormHelper::SetSearchFileLocation() {
    SearchFileLocation locationWindow(&m_owningForm->controls());
    locationWindow.exec();
}

void OptionsFormHelper::ValidateAndSaveDialogItems() {
    readControls();
    if (const auto refusal = m_model.validate()) {
        // The user is put back on the field, its text selected for retyping.
        if (refusal->field) {
            QLineEdit* box = m_owningForm->controls().textBox(*refusal->field);
            box->setFocus();
            box->selectAll();
        }
        showError(refusal->message);
        return;
    }
    m_model.save();
    m_owningForm->Close();
}
