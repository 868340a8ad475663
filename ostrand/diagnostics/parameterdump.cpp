#include "parameterdump.h"

#include "mlogger.h"
#include "settings/processingparameters.h"

#include "numbers/numberconversion.h"

namespace ostrand {

namespace {

// Each value in the text form the log has always used for its type.
QString valueText(double value) {
    return numbers::numberText(value, 15);
}

QString valueText(bool value) {
    return numbers::booleanText(value);
}

QString valueText(std::int16_t value) {
    return QString::number(value);
}

template <typename Value> void line(const char* label, Value value) {
    MLogger::LogMessage(QLatin1Char('\t') + QLatin1String(label) + QStringLiteral(" = ") + valueText(value));
}

} // namespace

void DebugDump(const ProcessingParameters& params) {
    if (!MLogger::IsLogEnabled())
        return;
    MLogger::LogMessage(QStringLiteral("ProcessingParameters - dump"));
    for (std::int16_t charge = 1; charge <= 5; ++charge)
        MLogger::LogMessage(QStringLiteral("\tm_defaultChargeStates(%1) = %2")
                                .arg(charge)
                                .arg(params.getDefaultChargeStates(charge)));
    line("m_DDESurveyHtPerc", params.getDDESurveyHtPerc());
    line("m_DDESurveyMergeDist", params.getDDESurveyMergeDist());
    line("m_DDEMergeDistInPPM", params.getDDEMergeDistInPPM());
    line("m_MSMSCentroidEnable", params.getMSMSCentroidEnable());
    line("m_MSMSSmoothCentroid", params.getMSMSSmoothCentroid());
    line("m_MSMSCentroidHtPerc", params.getMSMSCentroidHtPerc());
    line("m_MSMSCentroidMergeDist", params.getMSMSCentroidMergeDist());
    line("m_MSMSMergeDistInPPM", params.getMSMSMergeDistInPPM());
    line("m_MSMSThreshold", params.getMSMSThresholdPerc());
    line("m_MSMSThresholdInPercent", params.getMSMSThresholdInPercent());
    line("m_MSMSDeisotope", params.getMSMSDeisotope());
    line("m_MSMSAveNeedXPeaks", params.getMSMSAveNeedXPeaks());
    line("m_MSMSReportPeakArea", params.getMSMSReportPeakArea());
    line("m_MSMSAvePrecursorTol", params.getMSMSAvePrecursorTol());
    line("m_MSMSAveMaxCycBetween", params.getMSMSAveMaxCycBetween());
    line("m_MSMSAveMinCyclesPerGp", params.getMSMSAveMinCyclesPerGp());
}

} // namespace ostrand
