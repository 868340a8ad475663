#include "processingparameters.h"

#include "parametertable.h"
#include "registryfuncs.h"

#include "numbers/numberconversion.h"
#include "registry/registrykey.h"

namespace ostrand {

namespace {

void checkCharge(std::int16_t charge) {
    if (charge < 1 || charge > 5)
        throw errors::NumberedError::standard(errors::SubscriptOutOfRange);
}

// The text of a stored value as the field type takes it; raises when it does not convert.
double convert(ParameterRow::FieldType type, const QString& text) {
    switch (type) {
    case ParameterRow::FieldType::WholeNumber:
        return numbers::textToInteger(text);
    case ParameterRow::FieldType::Boolean:
        return numbers::textToBool(text) ? 1 : 0;
    default:
        return numbers::textToDouble(text);
    }
}

const char* kindOfValue(ParameterRow::FieldType type) {
    switch (type) {
    case ParameterRow::FieldType::WholeNumber:
        return "a whole number from -32768 to 32767";
    case ParameterRow::FieldType::Boolean:
        return "on or off";
    default:
        return "a number";
    }
}

} // namespace

ProcessingParameters::ProcessingParameters() {
    SetToFactoryDefault();
}

template <typename Read> void ProcessingParameters::load(Read read) {
    for (const ParameterRow& row : parameterTable()) {
        if (!row.write)
            continue;
        const QString text = read(row.name, row.factoryDefault);
        // A stored value that does not convert is named with its text, so that the user can find it.
        try {
            row.write(*this, convert(row.fieldType, text));
        } catch (const errors::NumberedError& error) {
            throw errors::NumberedError::system(
                QStringLiteral("The setting %1 holds '%2', which is not %3 (%4)")
                    .arg(row.name, text, QLatin1String(kindOfValue(row.fieldType)), error.description()));
        }
    }
}

void ProcessingParameters::SetInfoFromRegistry() {
    try {
        load([](const QString& name, const QString& fallback) {
            return RegistryFuncs::ReadSetting(RegistryFuncs::SettingsKey, name, fallback);
        });
    } catch (const errors::NumberedError& error) {
        throw errors::NumberedError::system(
            QStringLiteral(
                "Could not read options from the settings file %1.\r\n\r\n(Originating error message: ")
                .arg(registry::hiveFilePath(registry::Hive::CurrentUser)) +
            error.description() + QLatin1Char(')'));
    }
}

void ProcessingParameters::SetToFactoryDefault() {
    load([](const QString&, const QString& fallback) { return fallback; });
}

std::int16_t ProcessingParameters::getDefaultChargeStates(std::int16_t charge) const {
    checkCharge(charge);
    return m_defaultChargeStates[static_cast<std::size_t>(charge - 1)];
}

void ProcessingParameters::setDefaultChargeStates(std::int16_t charge, std::int16_t state) {
    checkCharge(charge);
    m_defaultChargeStates[static_cast<std::size_t>(charge - 1)] = state;
}

} // namespace ostrand
