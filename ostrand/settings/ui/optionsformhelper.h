#pragma once
// The logic of the options dialog: fills its controls from the processing parameters and the
// settings store, enables what applies to the data at hand, validates the fields in a fixed
// order and saves exactly the values of the enabled controls through the settings store.

class OptionsFormVirus;
class QGroupBox;

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

private:
    // Raises an error with the user's message on the first invalid field.
    void ValidateDialogItems();
    void SaveDialogItems();
    void SetFrameEnabled(QGroupBox& frame, bool enable);
    void loadControls();

    OptionsFormVirus* m_owningForm;
    bool m_singleSpectrum = false;
    bool m_ddeData = false;
    bool m_needGuessChargeState = false;
};
