#include "optionsmodel.h"

#include "parameterranges.h"
#include "processingparameters.h"
#include "registryfuncs.h"

#include "errors/numberederror.h"
#include "numbers/numberconversion.h"
#include "registry/registrykey.h"

#include <QRegularExpression>

#include <cmath>

namespace ostrand {

namespace {

using Field = DialogField;

QString checkText(bool checked) {
    return checked ? QStringLiteral("1") : QStringLiteral("0");
}

// An absolute threshold in the scientific form "0.0e+0" (1500 shows as 1.5e+3). A value that
// form would round shows all its digits instead, so that OK saves what was stored.
QString absoluteThresholdText(double value) {
    for (int decimals = 1;; ++decimals) {
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
}

// The check of a whole-number field: the text read as a 16-bit whole number must equal the text
// read as a number, so a fraction is refused rather than rounded.
bool isWholeNumberInRange(const QString& text, double lowest, double highest) {
    try {
        const std::int16_t value = numbers::textToInteger(text);
        return std::fabs(value - numbers::textToDouble(text)) <= 1e-16 && lowest <= value && value <= highest;
    } catch (const errors::NumberedError&) {
        return false;
    }
}

bool isNumberInRange(const QString& text, double lowest, double highest) {
    try {
        const double value = numbers::textToDouble(text);
        return lowest <= value && value <= highest;
    } catch (const errors::NumberedError&) {
        return false;
    }
}

// Numbers are written with a decimal point whatever the desktop's language: a comma gets a hint.
QString decimalPointHint(const QString& text) {
    if (!text.contains(QLatin1Char(',')))
        return {};
    return QStringLiteral(" Write decimals with a point: %1.").arg(QString(text).replace(u',', u'.'));
}

// What a refusal says: the field by its label, so that it is clear which one is meant, and the
// values it takes.
QString rangeMessage(DialogField field, bool whole, double lowest, double highest, const QString& text) {
    const QString label = OptionsModel::fieldLabel(field);
    const QString name =
        label.isEmpty() ? QStringLiteral("This field") : QStringLiteral("This field (%1)").arg(label);
    if (whole)
        return QStringLiteral("%1 must be an integer between %2 and %3.")
            .arg(name, QString::number(static_cast<std::int16_t>(lowest)),
                 QString::number(static_cast<std::int16_t>(highest)));
    return QStringLiteral("%1 must be a number between %2 and %3.")
               .arg(name, numbers::numberText(lowest), numbers::numberText(highest)) +
           decimalPointHint(text);
}

} // namespace

OptionsModel::OptionsModel() {
    for (int i = 0; i < dialogFieldCount; ++i) {
        const auto field = static_cast<DialogField>(i);
        if (isCheckBox(field) || field == Field::ThresholdInPercent)
            setChecked(field, false);
    }
}

OptionsModel::Frame OptionsModel::frameOf(DialogField field) {
    switch (field) {
    case Field::Charge1:
    case Field::Charge2:
    case Field::Charge3:
    case Field::Charge4:
    case Field::Charge5:
    case Field::DiscardHighCharges:
        return Frame::Charges;
    case Field::SurveyCharge:
        return Frame::Survey;
    case Field::PrecursorTolerance:
    case Field::CyclesBetween:
    case Field::CyclesPerGroup:
        return Frame::Averaging;
    case Field::Server:
    case Field::IntranetAddress:
    case Field::ProspectorAddress:
        return Frame::Server;
    case Field::OldTitles:
        return Frame::Other;
    default:
        return Frame::Processing;
    }
}

bool OptionsModel::isCheckBox(DialogField field) {
    switch (field) {
    case Field::NeedPeaks:
    case Field::PrecursorTolerance:
    case Field::CyclesBetween:
    case Field::CyclesPerGroup:
    case Field::NearParent:
    case Field::Server:
    case Field::IntranetAddress:
    case Field::ProspectorAddress:
    case Field::Threshold:
    case Field::ThresholdInPercent:
        return false;
    default:
        return true;
    }
}

QString OptionsModel::fieldLabel(DialogField field) {
    switch (field) {
    case Field::NeedPeaks:
        return QStringLiteral("Reject spectra if less than ... peaks");
    case Field::PrecursorTolerance:
        return QStringLiteral("Precursor mass tolerance for grouping, in m/z");
    case Field::CyclesBetween:
        return QStringLiteral("Max. number cycles between groups");
    case Field::CyclesPerGroup:
        return QStringLiteral("Min. number cycles per group");
    case Field::NearParent:
        return QStringLiteral("Remove peaks within ... Da of precursor m/z");
    case Field::Threshold:
        return QStringLiteral("Remove peaks if intensity <");
    default:
        return {};
    }
}

void OptionsModel::setChecked(DialogField field, bool checked) {
    setText(field, checkText(checked));
}

std::optional<int> OptionsModel::server() const {
    const QString choice = text(Field::Server);
    return choice.isEmpty() ? std::nullopt : std::optional<int>(choice.toInt());
}

void OptionsModel::setServer(std::optional<int> choice) {
    setText(Field::Server, choice ? QString::number(*choice) : QString());
}

bool OptionsModel::load(const std::function<std::int32_t()>& serverChoice,
                        const std::function<void(const QString&)>& report) {
    try {
        ProcessingParameters params;
        try {
            params.SetInfoFromRegistry();
        } catch (const errors::NumberedError&) {
            params.SetToFactoryDefault();
            report(QStringLiteral("Could not read options from the settings file %1 - default values will be "
                                  "used.")
                       .arg(registry::hiveFilePath(registry::Hive::CurrentUser)));
        }
        // Check boxes and the unit list show a field as on or off, text boxes its number.
        const auto fill = [&](DialogField field) {
            const double value = parameterOf(field).read(params);
            if (isCheckBox(field) || field == Field::ThresholdInPercent)
                setChecked(field, value != 0);
            else
                setText(field, numbers::numberText(value));
        };
        for (Field field :
             {Field::Charge1, Field::Charge2, Field::Charge3, Field::Charge4, Field::Charge5,
              Field::DiscardHighCharges, Field::SurveyCharge, Field::NeedPeaks, Field::PrecursorTolerance,
              Field::CyclesBetween, Field::CyclesPerGroup, Field::NearParent})
            fill(field);
        for (Field field : {Field::IntranetAddress, Field::ProspectorAddress})
            setText(field,
                    RegistryFuncs::ReadSetting(RegistryFuncs::SettingsKey, parameterOf(field).name, {}));
        const std::int32_t choice = serverChoice();
        if (choice < 0 || choice > 3)
            throw errors::NumberedError::standard(errors::SubscriptOutOfRange);
        setServer(choice);
        fill(Field::Centroid);
        fill(Field::ThresholdInPercent);
        const double threshold = parameterOf(Field::Threshold).read(params);
        setText(Field::Threshold, isChecked(Field::ThresholdInPercent) ? numbers::numberText(threshold)
                                                                       : absoluteThresholdText(threshold));
        for (Field field : {Field::PeakArea, Field::Deisotope, Field::ITraq, Field::OldTitles})
            fill(field);
    } catch (const errors::NumberedError& error) {
        report(error.description());
        return false;
    }
    return true;
}

void OptionsModel::setFrameEnabled(Frame frame, bool enable) {
    for (int i = 0; i < dialogFieldCount; ++i)
        if (frameOf(static_cast<DialogField>(i)) == frame)
            m_enabled[static_cast<std::size_t>(i)] = enable;
    m_frameEnabled[static_cast<std::size_t>(frame)] = enable;
}

void OptionsModel::applyEnableRules(std::optional<bool> localServerInstalled) {
    const bool single = m_flags.singleSpectrum;
    setFrameEnabled(Frame::Charges, !single);
    if (isChecked(Field::DiscardHighCharges)) {
        // Charges of 5+ and more are discarded, so no precursor may be assumed to have one.
        m_enabled[index(Field::Charge5)] = false;
        setChecked(Field::Charge5, false);
    }
    setFrameEnabled(Frame::Survey, m_flags.needGuessChargeState && m_flags.ddeData && !single);
    setFrameEnabled(Frame::Averaging, m_flags.ddeData && !single);
    if (localServerInstalled) {
        m_serverButtonEnabled[0] = *localServerInstalled;
        if (const auto k = server()) {
            m_enabled[index(Field::IntranetAddress)] = *k == 1;
            m_enabled[index(Field::ProspectorAddress)] = *k == 3;
            m_defaultsButtonEnabled = *k != 3;
        }
    }
    setFrameEnabled(Frame::Processing, !single);
    if (!single) {
        const bool centroid = isChecked(Field::Centroid);
        m_enabled[index(Field::Deisotope)] = centroid;
        m_enabled[index(Field::PeakArea)] = centroid;
        m_enabled[index(Field::ITraq)] = centroid && isChecked(Field::Deisotope);
    }
}

void OptionsModel::disableServerFrameControls() {
    m_serverButtonEnabled.fill(false);
    m_enabled[index(Field::IntranetAddress)] = false;
    m_enabled[index(Field::ProspectorAddress)] = false;
    m_searchFileButtonEnabled = false;
    m_defaultsButtonEnabled = false;
}

bool OptionsModel::isSaved(DialogField field) const {
    const bool centroidOn = isEnabled(Field::Centroid) && isChecked(Field::Centroid);
    switch (frameOf(field)) {
    case Frame::Charges:
        return isFrameEnabled(Frame::Charges);
    case Frame::Survey:
        return isFrameEnabled(Frame::Survey);
    default:
        break;
    }
    switch (field) {
    // The two number boxes of the processing frame go with the averaging frame.
    case Field::NeedPeaks:
    case Field::PrecursorTolerance:
    case Field::CyclesBetween:
    case Field::CyclesPerGroup:
    case Field::NearParent:
        return isFrameEnabled(Frame::Averaging);
    case Field::Server:
        return server().has_value();
    // The address of a choice not selected keeps its stored value.
    case Field::IntranetAddress:
        return server() == 1;
    case Field::ProspectorAddress:
        return server() == 3;
    case Field::Threshold:
    case Field::ThresholdInPercent:
        return isEnabled(Field::Threshold);
    case Field::Centroid:
        return isEnabled(Field::Centroid);
    case Field::Deisotope:
    case Field::PeakArea:
        return centroidOn;
    case Field::ITraq:
        return centroidOn && isEnabled(Field::Deisotope) && isChecked(Field::Deisotope);
    default:
        return true;
    }
}

std::optional<OptionsModel::Refusal> OptionsModel::refusal(DialogField field) const {
    const QString& value = m_texts[index(field)];
    switch (field) {
    case Field::IntranetAddress:
        if (value.isEmpty())
            return Refusal{QStringLiteral("You must specify the local Sorvex intranet site."), std::nullopt};
        return std::nullopt;
    case Field::ProspectorAddress:
        if (value.isEmpty())
            return Refusal{QStringLiteral("You must specify the Protein Prospector site."), std::nullopt};
        return std::nullopt;
    case Field::Threshold:
        if (text(Field::ThresholdInPercent) != QStringLiteral("0")) {
            if (isNumberInRange(value, 0, highestThresholdPercent))
                return std::nullopt;
            return Refusal{rangeMessage(field, false, 0, highestThresholdPercent, value), field};
        }
        break;
    default:
        if (isCheckBox(field) || field == Field::Server || field == Field::ThresholdInPercent)
            return std::nullopt;
        break;
    }
    const ParameterRow& row = parameterOf(field);
    const bool whole = row.kind == ParameterRow::Kind::WholeNumber;
    if (whole ? isWholeNumberInRange(value, row.lowest, row.highest)
              : isNumberInRange(value, row.lowest, row.highest))
        return std::nullopt;
    return Refusal{rangeMessage(field, whole, row.lowest, row.highest, value), field};
}

std::optional<OptionsModel::Refusal> OptionsModel::validate() const {
    for (int i = 0; i < dialogFieldCount; ++i) {
        const auto field = static_cast<DialogField>(i);
        if (!isSaved(field))
            continue;
        if (auto refused = refusal(field))
            return refused;
    }
    return std::nullopt;
}

std::vector<std::pair<QString, QString>> OptionsModel::savedValues() const {
    std::vector<std::pair<QString, QString>> values;
    for (int i = 0; i < dialogFieldCount; ++i) {
        const auto field = static_cast<DialogField>(i);
        if (isSaved(field))
            values.emplace_back(parameterOf(field).name, text(field));
    }
    return values;
}

void OptionsModel::save() const {
    for (const auto& [name, value] : savedValues())
        RegistryFuncs::WriteSetting(RegistryFuncs::SettingsKey, name, value);
}

} // namespace ostrand
