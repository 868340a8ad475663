#pragma once
// The options dialog's controls bound to the options model: the controls show the model's
// fields and enabled states, and every click that matters and the OK button hand the controls'
// values back to the model, whose rules decide what is enabled, what OK refuses and what it saves.

#include "settings/optionsmodel.h"

class OptionsFormVirus;

class OptionsFormHelper {
public:
    // The helper of the window `owningForm`, for data of no particular kind until
    // SetSearchParameters describes it.
    explicit OptionsFormHelper(OptionsFormVirus& owningForm) : m_owningForm(&owningForm) {}

    // `owningForm` is the window whose controls are read and written; the flags describe the data.
    void SetSearchParameters(OptionsFormVirus* owningForm, bool singleSpectrum, bool ddeData,
                             bool needGuessChargeState);

    // Loads the controls when the window loads. Problems are shown in a message box titled "Error".
    void SetupDialogItems();
    void EnableOrDisableDialogItems();
    // Opens the search form's default-parameters page of the chosen server in the browser.
    void SetSorvexDefaultParams();
    // Shows the search file location window modally.
    void SetSearchFileLocation();
    // Validates, saves and closes; on the first invalid field it says why and leaves the window open.
    void ValidateAndSaveDialogItems();
    // Disables every control placed directly in the frame with the search server choice.
    void DisableServerFrameControls();

private:
    void applyEnableRules();
    // The model's fields and enabled states onto the controls, and the controls' values back.
    void showModel();
    void readControls();

    OptionsFormVirus* m_owningForm;
    ostrand::OptionsModel::DataFlags m_flags;
    ostrand::OptionsModel m_model;
};
