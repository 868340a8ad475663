#include "processingparameters.h"

#include "automation/memberbinding.h"
#include "registryfuncs.h"
#include "script/mlogger.h"

#include <map>

using automation::AutomationError;
using automation::bindMember;
using automation::Variant;

namespace {

using P = ProcessingParameters;

const QString centroidHeightHelp =
    QStringLiteral("The height in the peak which is used to determine the centroid mass. Default is 50%");

// Help strings by member name; a getter and its setter share one text.
const std::map<QString, QString>& helpStrings() {
    static const std::map<QString, QString> strings = [] {
        std::map<QString, QString> pairs{
            {QStringLiteral("DDESurveyHtPerc"), centroidHeightHelp},
            {QStringLiteral("MSMSCentroidHtPerc"), centroidHeightHelp},
            {QStringLiteral("DDESurveyMergeDist"),
             QStringLiteral(
                 "The merge distance should be less than 0.25 amu so that isotopic peaks of charge state "
                 "4 are separated. Default is 0.1")},
            {QStringLiteral("MSMSCentroidEnable"),
             QStringLiteral("Recommended to reduce the amount of peaks produced")},
            {QStringLiteral("MSMSCentroidMergeDist"),
             QStringLiteral(
                 "The merge distance. It is recommended that this be set to 2 amu as a crude method of "
                 "removing isotopic peaks.")},
            {QStringLiteral("MSMSAveNeedXPeaks"),
             QStringLiteral(
                 "Significant matches are not possible with only a few peaks. Default value is 10")},
            {QStringLiteral("MSMSAveMinPrecursor"),
             QStringLiteral(
                 "If the precursor mass is less than this value, then this MS-MS spectra will be ignored")},
            {QStringLiteral("MSMSAveMaxPrecursor"),
             QStringLiteral(
                 "If the precursor mass is more than this value, then this MS-MS spectra will be ignored")},
            {QStringLiteral("MSMSAvePrecursorTol"),
             QStringLiteral(
                 "MS-MS spectra with the 'same precursor' are summed together. Spectra have the 'same "
                 "precursor' if they are within this tolerance")},
            {QStringLiteral("MSMSAveMaxCycBetween"),
             QStringLiteral(
                 "The maximum number of cycles between spectra that will be put into the same group - (as "
                 "long as they have the same precusrosr mass)")},
            {QStringLiteral("MSMSAveMinCyclesPerGp"),
             QStringLiteral(
                 "The minimum number of cycles in any group. It is quite common to get good spectra with a "
                 "single cycle, so this should normally be left at the default of 1")},
        };
        std::map<QString, QString> byMember;
        for (const auto& [field, text] : pairs) {
            byMember[QStringLiteral("get") + field] = text;
            byMember[QStringLiteral("set") + field] = text;
        }
        byMember[QStringLiteral("SetInfoFromRegistry")] = QStringLiteral(
            "Reads the values from the registry, or sets defaults if nothing in the registry. Also "
            "called at object creation time");
        return byMember;
    }();
    return strings;
}

void checkCharge(std::int16_t charge) {
    if (charge < 1 || charge > 5)
        throw AutomationError::standard(automation::SubscriptOutOfRange);
}

} // namespace

const automation::DispatchTable<ProcessingParameters>& ProcessingParameters::dispatchTable() {
    // The members in interface slot order.
    static const auto table =
        automation::DispatchTable<P>()
            .method(QStringLiteral("SetInfoFromRegistry"), bindMember(&P::SetInfoFromRegistry))
            .method(QStringLiteral("getDDESurveyHtPerc"), bindMember(&P::getDDESurveyHtPerc))
            .method(QStringLiteral("getDDESurveyMergeDist"), bindMember(&P::getDDESurveyMergeDist))
            .method(QStringLiteral("getMSMSCentroidEnable"), bindMember(&P::getMSMSCentroidEnable))
            .method(QStringLiteral("getMSMSCentroidHtPerc"), bindMember(&P::getMSMSCentroidHtPerc))
            .method(QStringLiteral("getMSMSCentroidMergeDist"), bindMember(&P::getMSMSCentroidMergeDist))
            .method(QStringLiteral("getMSMSThresholdPerc"), bindMember(&P::getMSMSThresholdPerc))
            .method(QStringLiteral("getMSMSAveNeedXPeaks"), bindMember(&P::getMSMSAveNeedXPeaks))
            .method(QStringLiteral("getMSMSAveMinPrecursor"), bindMember(&P::getMSMSAveMinPrecursor))
            .method(QStringLiteral("getMSMSAveMaxPrecursor"), bindMember(&P::getMSMSAveMaxPrecursor))
            .method(QStringLiteral("getMSMSAvePrecursorTol"), bindMember(&P::getMSMSAvePrecursorTol))
            .method(QStringLiteral("getMSMSAveMaxCycBetween"), bindMember(&P::getMSMSAveMaxCycBetween))
            .method(QStringLiteral("getMSMSAveMinCyclesPerGp"), bindMember(&P::getMSMSAveMinCyclesPerGp))
            .method(QStringLiteral("getDefaultChargeStates"), bindMember(&P::getDefaultChargeStates))
            .method(QStringLiteral("setDDESurveyHtPerc"), bindMember(&P::setDDESurveyHtPerc))
            .method(QStringLiteral("setDDESurveyMergeDist"), bindMember(&P::setDDESurveyMergeDist))
            .method(QStringLiteral("setMSMSCentroidEnable"), bindMember(&P::setMSMSCentroidEnable))
            .method(QStringLiteral("setMSMSCentroidHtPerc"), bindMember(&P::setMSMSCentroidHtPerc))
            .method(QStringLiteral("setMSMSCentroidMergeDist"), bindMember(&P::setMSMSCentroidMergeDist))
            .method(QStringLiteral("setMSMSThresholdPerc"), bindMember(&P::setMSMSThresholdPerc))
            .method(QStringLiteral("setMSMSAveNeedXPeaks"), bindMember(&P::setMSMSAveNeedXPeaks))
            .method(QStringLiteral("setMSMSAveMinPrecursor"), bindMember(&P::setMSMSAveMinPrecursor))
            .method(QStringLiteral("setMSMSAveMaxPrecursor"), bindMember(&P::setMSMSAveMaxPrecursor))
            .method(QStringLiteral("setMSMSAvePrecursorTol"), bindMember(&P::setMSMSAvePrecursorTol))
            .method(QStringLiteral("setMSMSAveMaxCycBetween"), bindMember(&P::setMSMSAveMaxCycBetween))
            .method(QStringLiteral("setMSMSAveMinCyclesPerGp"), bindMember(&P::setMSMSAveMinCyclesPerGp))
            .method(QStringLiteral("setDefaultChargeStates"), bindMember(&P::setDefaultChargeStates))
            .method(QStringLiteral("getDDEAutoDetermineCharge"), bindMember(&P::getDDEAutoDetermineCharge))
            .method(QStringLiteral("setDDEAutoDetermineCharge"), bindMember(&P::setDDEAutoDetermineCharge))
            .method(QStringLiteral("SetToFactoryDefault"), bindMember(&P::SetToFactoryDefault))
            .method(QStringLiteral("DebugDump"), bindMember(&P::DebugDump))
            .method(QStringLiteral("getDiscardHighCharges"), bindMember(&P::getDiscardHighCharges))
            .method(QStringLiteral("getDDEMergeDistInPPM"), bindMember(&P::getDDEMergeDistInPPM))
            .method(QStringLiteral("getMSMSSmoothCentroid"), bindMember(&P::getMSMSSmoothCentroid))
            .method(QStringLiteral("getMSMSMergeDistInPPM"), bindMember(&P::getMSMSMergeDistInPPM))
            .method(QStringLiteral("getMSMSThresholdInPercent"), bindMember(&P::getMSMSThresholdInPercent))
            .method(QStringLiteral("getMSMSDeisotope"), bindMember(&P::getMSMSDeisotope))
            .method(QStringLiteral("getMSMSReportPeakArea"), bindMember(&P::getMSMSReportPeakArea))
            .method(QStringLiteral("getRemoveNearParentValue"), bindMember(&P::getRemoveNearParentValue))
            .method(QStringLiteral("getITraq"), bindMember(&P::getITraq))
            .method(QStringLiteral("getRemoveNearParent"), bindMember(&P::getRemoveNearParent))
            .method(QStringLiteral("getUseOldQueryTitles"), bindMember(&P::getUseOldQueryTitles))
            .method(QStringLiteral("setDiscardHighCharges"), bindMember(&P::setDiscardHighCharges))
            .method(QStringLiteral("setDDEMergeDistInPPM"), bindMember(&P::setDDEMergeDistInPPM))
            .method(QStringLiteral("setMSMSSmoothCentroid"), bindMember(&P::setMSMSSmoothCentroid))
            .method(QStringLiteral("setMSMSMergeDistInPPM"), bindMember(&P::setMSMSMergeDistInPPM))
            .method(QStringLiteral("setMSMSThresholdInPercent"), bindMember(&P::setMSMSThresholdInPercent))
            .method(QStringLiteral("setMSMSDeisotope"), bindMember(&P::setMSMSDeisotope))
            .method(QStringLiteral("setMSMSReportPeakArea"), bindMember(&P::setMSMSReportPeakArea))
            .method(QStringLiteral("setITraq"), bindMember(&P::setITraq))
            .method(QStringLiteral("setUseOldQueryTitles"), bindMember(&P::setUseOldQueryTitles));
    return table;
}

QString ProcessingParameters::helpString(const QString& memberName) {
    const auto found = helpStrings().find(memberName);
    return found == helpStrings().end() ? QString() : found->second;
}

ProcessingParameters::ProcessingParameters() {
    try {
        SetInfoFromRegistry();
    } catch (const AutomationError&) {
        SetToFactoryDefault();
    }
}

template <typename Read> void ProcessingParameters::load(Read read) {
    const auto integer = [&](const QString& name, const QString& fallback) {
        return Variant(read(name, fallback)).toInteger();
    };
    const auto number = [&](const QString& name, const QString& fallback) {
        return Variant(read(name, fallback)).toDouble();
    };
    const auto boolean = [&](const QString& name, const QString& fallback) {
        return Variant(read(name, fallback)).toBool();
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
    } catch (const AutomationError& error) {
        throw AutomationError::system(
            QStringLiteral("Could not read options from registry.\r\n\r\n(Originating error message: ") +
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

void ProcessingParameters::DebugDump() const {
    if (!MLogger::IsLogEnabled())
        return;
    const auto line = [](const char* label, const Variant& value) {
        MLogger::LogMessage(QLatin1Char('\t') + QLatin1String(label) + QStringLiteral(" = ") +
                            value.toString());
    };
    MLogger::LogMessage(QStringLiteral("ProcessingParameters - dump"));
    for (int charge = 1; charge <= 5; ++charge)
        MLogger::LogMessage(QStringLiteral("\tm_defaultChargeStates(%1) = %2")
                                .arg(charge)
                                .arg(m_defaultChargeStates[static_cast<std::size_t>(charge - 1)]));
    line("m_DDESurveyHtPerc", m_DDESurveyHtPerc);
    line("m_DDESurveyMergeDist", m_DDESurveyMergeDist);
    line("m_DDEMergeDistInPPM", m_DDEMergeDistInPPM);
    line("m_MSMSCentroidEnable", m_MSMSCentroidEnable);
    line("m_MSMSSmoothCentroid", m_MSMSSmoothCentroid);
    line("m_MSMSCentroidHtPerc", m_MSMSCentroidHtPerc);
    line("m_MSMSCentroidMergeDist", m_MSMSCentroidMergeDist);
    line("m_MSMSMergeDistInPPM", m_MSMSMergeDistInPPM);
    line("m_MSMSThreshold", m_MSMSThreshold);
    line("m_MSMSThresholdInPercent", m_MSMSThresholdInPercent);
    line("m_MSMSDeisotope", m_MSMSDeisotope);
    line("m_MSMSAveNeedXPeaks", m_MSMSAveNeedXPeaks);
    line("m_MSMSReportPeakArea", m_MSMSReportPeakArea);
    line("m_MSMSAvePrecursorTol", m_MSMSAvePrecursorTol);
    line("m_MSMSAveMaxCycBetween", m_MSMSAveMaxCycBetween);
    line("m_MSMSAveMinCyclesPerGp", m_MSMSAveMinCyclesPerGp);
}
