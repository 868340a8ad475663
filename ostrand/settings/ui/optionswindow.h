#pragma once
// The loaded options window "Sorvex Search - Options": its frames and controls, created in the
// window's order (the order in which the enable rules visit them and the tab order), each named
// as the window's logic knows it. The window holds no logic: OptionsFormHelper binds the controls
// to the options model, field by field.

#include "settings/optionsmodel.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class OptionsWindow : public QDialog {
    Q_OBJECT
public:
    explicit OptionsWindow(QWidget* parent = nullptr);

    // The tooltip of "Sorvex on this computer": what it needs, or why it is greyed out.
    static QString localServerToolTip(bool installedHere);

    // The check box or the text box that shows `field`; nullptr when another kind of control does
    // (the server buttons, the threshold's unit list).
    QCheckBox* checkBox(ostrand::DialogField field) const;
    QLineEdit* textBox(ostrand::DialogField field) const;
    QGroupBox* frameBox(ostrand::OptionsModel::Frame frame) const;

    QGroupBox* Frame1;
    QCheckBox* CheckUseOldQueryTitles;

    QGroupBox* PrecursorChargeGroup;
    // Element i is the box of charge i + 1.
    std::array<QCheckBox*, 5> CheckBox_Charge;
    QCheckBox* LimitChargeCheck;

    QGroupBox* MSMSAveragingFrame;
    QLineEdit* TextMSMSAveMaxCycBetween;
    QLineEdit* TextMSMSAveMinCyclesPerGp;
    QLineEdit* TextMSMSAvePrecusorTol;

    QGroupBox* MSMSProcessingFrame;
    QCheckBox* CheckMSMSCentroidEnable;
    QCheckBox* CheckDeisotopeMSMS;
    QCheckBox* CheckITraq;
    QCheckBox* CheckReportMSMSPeakArea;
    QLineEdit* TextMSMSThreshold;
    // Index 0 "(absolute)", index 1 "% of maximum".
    QComboBox* MSMSThresholdCombo;
    QLineEdit* TextMSMSAveNeedXPeaks;
    QLineEdit* TextRemoveNearParent;

    QGroupBox* DDESurveyParamsFrame;
    QCheckBox* CheckDDESurveyAutoDetermineCharge;

    QGroupBox* Frame4;
    // The index of a button is the stored server choice.
    std::array<QRadioButton*, 4> Radio_WebServer;
    QLineEdit* LocalSorvexWebServerURL;
    QLineEdit* ProteinProspectorWebServerURL;
    QPushButton* SearchFileLocation;
    QPushButton* SetSorvexDefaultParams;

    QPushButton* OK;
    QPushButton* Cancel;

private:
    void createOther();
    void createChargeStates();
    void createAveraging();
    void createProcessing();
    void createSurvey();
    void createWebServer();
};
