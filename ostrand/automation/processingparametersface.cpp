#include "processingparametersface.h"

#include "diagnostics/parameterdump.h"
#include "settings/parametertable.h"

#include "automation/memberbinding.h"

#include <map>

using automation::bindEngineMember;

namespace {

using P = ostrand::ProcessingParameters;
using F = ProcessingParametersFace;

// Help strings by member name; a getter and its setter share one text.
const std::map<QString, QString>& helpStrings() {
    static const std::map<QString, QString> strings = [] {
        std::map<QString, QString> pairs{
            {QStringLiteral("MSMSAveMinPrecursor"),
             QStringLiteral(
                 "If the precursor mass is less than this value, then this MS-MS spectra will be ignored")},
            {QStringLiteral("MSMSAveMaxPrecursor"),
             QStringLiteral(
                 "If the precursor mass is more than this value, then this MS-MS spectra will be ignored")},
        };
        for (const ostrand::ParameterRow& row : ostrand::parameterTable())
            if (!row.help.isEmpty())
                pairs[row.memberStem()] = row.help;
        std::map<QString, QString> byMember;
        for (const auto& [field, text] : pairs) {
            byMember[QStringLiteral("get") + field] = text;
            byMember[QStringLiteral("set") + field] = text;
        }
        byMember[QStringLiteral("SetInfoFromRegistry")] = QStringLiteral(
            "Reads the values from the settings file, or sets defaults if nothing is stored there. Also "
            "called at object creation time");
        return byMember;
    }();
    return strings;
}

} // namespace

const automation::DispatchTable<ProcessingParametersFace>& ProcessingParametersFace::dispatchTable() {
    // The members in interface slot order.
    static const auto table =
        automation::DispatchTable<F>()
            .method(QStringLiteral("SetInfoFromRegistry"), bindEngineMember<F>(&P::SetInfoFromRegistry))
            .method(QStringLiteral("getDDESurveyHtPerc"), bindEngineMember<F>(&P::getDDESurveyHtPerc))
            .method(QStringLiteral("getDDESurveyMergeDist"), bindEngineMember<F>(&P::getDDESurveyMergeDist))
            .method(QStringLiteral("getMSMSCentroidEnable"), bindEngineMember<F>(&P::getMSMSCentroidEnable))
            .method(QStringLiteral("getMSMSCentroidHtPerc"), bindEngineMember<F>(&P::getMSMSCentroidHtPerc))
            .method(QStringLiteral("getMSMSCentroidMergeDist"),
                    bindEngineMember<F>(&P::getMSMSCentroidMergeDist))
            .method(QStringLiteral("getMSMSThresholdPerc"), bindEngineMember<F>(&P::getMSMSThresholdPerc))
            .method(QStringLiteral("getMSMSAveNeedXPeaks"), bindEngineMember<F>(&P::getMSMSAveNeedXPeaks))
            .method(QStringLiteral("getMSMSAveMinPrecursor"), bindEngineMember<F>(&P::getMSMSAveMinPrecursor))
            .method(QStringLiteral("getMSMSAveMaxPrecursor"), bindEngineMember<F>(&P::getMSMSAveMaxPrecursor))
            .method(QStringLiteral("getMSMSAvePrecursorTol"), bindEngineMember<F>(&P::getMSMSAvePrecursorTol))
            .method(QStringLiteral("getMSMSAveMaxCycBetween"),
                    bindEngineMember<F>(&P::getMSMSAveMaxCycBetween))
            .method(QStringLiteral("getMSMSAveMinCyclesPerGp"),
                    bindEngineMember<F>(&P::getMSMSAveMinCyclesPerGp))
            .method(QStringLiteral("getDefaultChargeStates"), bindEngineMember<F>(&P::getDefaultChargeStates))
            .method(QStringLiteral("setDDESurveyHtPerc"), bindEngineMember<F>(&P::setDDESurveyHtPerc))
            .method(QStringLiteral("setDDESurveyMergeDist"), bindEngineMember<F>(&P::setDDESurveyMergeDist))
            .method(QStringLiteral("setMSMSCentroidEnable"), bindEngineMember<F>(&P::setMSMSCentroidEnable))
            .method(QStringLiteral("setMSMSCentroidHtPerc"), bindEngineMember<F>(&P::setMSMSCentroidHtPerc))
            .method(QStringLiteral("setMSMSCentroidMergeDist"),
                    bindEngineMember<F>(&P::setMSMSCentroidMergeDist))
            .method(QStringLiteral("setMSMSThresholdPerc"), bindEngineMember<F>(&P::setMSMSThresholdPerc))
            .method(QStringLiteral("setMSMSAveNeedXPeaks"), bindEngineMember<F>(&P::setMSMSAveNeedXPeaks))
            .method(QStringLiteral("setMSMSAveMinPrecursor"), bindEngineMember<F>(&P::setMSMSAveMinPrecursor))
            .method(QStringLiteral("setMSMSAveMaxPrecursor"), bindEngineMember<F>(&P::setMSMSAveMaxPrecursor))
            .method(QStringLiteral("setMSMSAvePrecursorTol"), bindEngineMember<F>(&P::setMSMSAvePrecursorTol))
            .method(QStringLiteral("setMSMSAveMaxCycBetween"),
                    bindEngineMember<F>(&P::setMSMSAveMaxCycBetween))
            .method(QStringLiteral("setMSMSAveMinCyclesPerGp"),
                    bindEngineMember<F>(&P::setMSMSAveMinCyclesPerGp))
            .method(QStringLiteral("setDefaultChargeStates"), bindEngineMember<F>(&P::setDefaultChargeStates))
            .method(QStringLiteral("getDDEAutoDetermineCharge"),
                    bindEngineMember<F>(&P::getDDEAutoDetermineCharge))
            .method(QStringLiteral("setDDEAutoDetermineCharge"),
                    bindEngineMember<F>(&P::setDDEAutoDetermineCharge))
            .method(QStringLiteral("SetToFactoryDefault"), bindEngineMember<F>(&P::SetToFactoryDefault))
            .method(QStringLiteral("DebugDump"),
                    [](F& self, automation::Arguments&) {
                        ostrand::DebugDump(self.engine());
                        return automation::Variant();
                    })
            .method(QStringLiteral("getDiscardHighCharges"), bindEngineMember<F>(&P::getDiscardHighCharges))
            .method(QStringLiteral("getDDEMergeDistInPPM"), bindEngineMember<F>(&P::getDDEMergeDistInPPM))
            .method(QStringLiteral("getMSMSSmoothCentroid"), bindEngineMember<F>(&P::getMSMSSmoothCentroid))
            .method(QStringLiteral("getMSMSMergeDistInPPM"), bindEngineMember<F>(&P::getMSMSMergeDistInPPM))
            .method(QStringLiteral("getMSMSThresholdInPercent"),
                    bindEngineMember<F>(&P::getMSMSThresholdInPercent))
            .method(QStringLiteral("getMSMSDeisotope"), bindEngineMember<F>(&P::getMSMSDeisotope))
            .method(QStringLiteral("getMSMSReportPeakArea"), bindEngineMember<F>(&P::getMSMSReportPeakArea))
            .method(QStringLiteral("getRemoveNearParentValue"),
                    bindEngineMember<F>(&P::getRemoveNearParentValue))
            .method(QStringLiteral("getITraq"), bindEngineMember<F>(&P::getITraq))
            .method(QStringLiteral("getRemoveNearParent"), bindEngineMember<F>(&P::getRemoveNearParent))
            .method(QStringLiteral("getUseOldQueryTitles"), bindEngineMember<F>(&P::getUseOldQueryTitles))
            .method(QStringLiteral("setDiscardHighCharges"), bindEngineMember<F>(&P::setDiscardHighCharges))
            .method(QStringLiteral("setDDEMergeDistInPPM"), bindEngineMember<F>(&P::setDDEMergeDistInPPM))
            .method(QStringLiteral("setMSMSSmoothCentroid"), bindEngineMember<F>(&P::setMSMSSmoothCentroid))
            .method(QStringLiteral("setMSMSMergeDistInPPM"), bindEngineMember<F>(&P::setMSMSMergeDistInPPM))
            .method(QStringLiteral("setMSMSThresholdInPercent"),
                    bindEngineMember<F>(&P::setMSMSThresholdInPercent))
            .method(QStringLiteral("setMSMSDeisotope"), bindEngineMember<F>(&P::setMSMSDeisotope))
            .method(QStringLiteral("setMSMSReportPeakArea"), bindEngineMember<F>(&P::setMSMSReportPeakArea))
            .method(QStringLiteral("setITraq"), bindEngineMember<F>(&P::setITraq))
            .method(QStringLiteral("setUseOldQueryTitles"), bindEngineMember<F>(&P::setUseOldQueryTitles));
    return table;
}

QString ProcessingParametersFace::helpString(const QString& memberName) {
    const auto found = helpStrings().find(memberName);
    return found == helpStrings().end() ? QString() : found->second;
}

ProcessingParametersFace::ProcessingParametersFace() : m_parameters(std::make_shared<P>()) {
    try {
        m_parameters->SetInfoFromRegistry();
    } catch (const errors::NumberedError&) {
        m_parameters->SetToFactoryDefault();
    }
}

ProcessingParametersFace::ProcessingParametersFace(std::shared_ptr<ostrand::ProcessingParameters> parameters)
    : m_parameters(std::move(parameters)) {}
