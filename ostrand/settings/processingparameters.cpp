#include "processingparameters.h"

#include "registryfuncs.h"

#include "numbers/numberconversion.h"
#include "registry/registrykey.h"

namespace ostrand {

namespace {

void checkCharge(std::int16_t charge) {
    if (charge < 1 || charge > 5)
        throw errors::NumberedError::standard(errors::SubscriptOutOfRange);
}

} // namespace

ProcessingParameters::ProcessingParameters() {
    SetToFactoryDefault();
}

template <typename Read> void ProcessingParameters::load(Read read) {
    // A stored value that does not convert is named with its text, so that the user can find it.
    const auto converted = [&](const QString& name, const QString& fallback, const char* kind, auto convert) {
        const QString text = read(name, fallback);
        try {
            return convert(text);
        } catch (const errors::NumberedError& error) {
            throw errors::NumberedError::system(
                QStringLiteral("The setting %1 holds '%2', which is not %3 (%4)")
                    .arg(name, text, QLatin1String(kind), error.description()));
        }
    };
    const auto integer = [&](const QString& name, const QString& fallback) {
        return converted(name, fallback, "a whole number from -32768 to 32767", numbers::textToInteger);
    };
    const auto number = [&](const QString& name, const QString& fallback) {
        return converted(name, fallback, "a number", numbers::textToDouble);
    };
    const auto boolean = [&](const QString& name, const QString& fallback) {
        return converted(name, fallback, "on or off", numbers::textToBool);
    };
    const QString on = QStringLiteral("1");
    const QString off = QStringLiteral("0");
    for (int charge = 1; charge <= 5; ++charge)
        m_defaultChargeStates[static_cast<std::size_t>(charge - 1)] =
            integer(QStringLiteral("strDefaultChargeState%1").arg(charge), charge <= 3 ? on : off);
    m_DiscardHighCharges = integer(QStringLiteral("strDiscardHighChargeStates"), on);
    m_DDESurveyHtPerc = number(QStringLiteral("DDESurveyHtPerc"), QStringLiteral("50"));
    m_DDESurveyMergeDist = number(QStringLiteral("DDESurveyMergeDist"), QStringLiteral("0.1"));
    m_DDEMergeDistInPPM = boolean(QStringLiteral("DDEMergeDistInPPM"), off);
    m_DDEAutoDetermineCharge = integer(QStringLiteral("DDEAutoDetermineCharge"), on);
    m_MSMSCentroidEnable = integer(QStringLiteral("MSMSCentroidEnable"), on);
    m_MSMSSmoothCentroid = boolean(QStringLiteral("MSMSSmoothCentroid"), off);
    m_MSMSCentroidHtPerc = number(QStringLiteral("MSMSCentroidHtPerc"), QStringLiteral("50"));
    m_MSMSCentroidMergeDist = number(QStringLiteral("MSMSCentroidMergeDist"), QStringLiteral("0.1"));
    m_MSMSMergeDistInPPM = boolean(QStringLiteral("MSMSMergeDistInPPM"), off);
    m_MSMSThreshold = number(QStringLiteral("MSMSThreshold"), QStringLiteral("0.0"));
    m_MSMSThresholdInPercent = boolean(QStringLiteral("MSMSThresholdInPercent"), on);
    m_MSMSDeisotope = boolean(QStringLiteral("MSMSDeisotope"), on);
    m_MSMSReportPeakArea = boolean(QStringLiteral("MSMSReportPeakArea"), on);
    m_RemoveNearParent = number(QStringLiteral("RemoveNearParent"), off);
    m_ITraq = boolean(QStringLiteral("iTraq"), on);
    m_MSMSAveNeedXPeaks = integer(QStringLiteral("MSMSAveNeedXPeaks"), QStringLiteral("10"));
    m_MSMSAvePrecursorTol = number(QStringLiteral("MSMSAvePrecursorTol"), QStringLiteral("1.0"));
    m_MSMSAveMaxCycBetween = integer(QStringLiteral("MSMSAveMaxCycBetween"), QStringLiteral("10"));
    m_MSMSAveMinCyclesPerGp = integer(QStringLiteral("MSMSAveMinCyclesPerGroup"), on);
    m_UseOldQueryTitles = boolean(QStringLiteral("UseOldQueryTitles"), off);
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
