#pragma once
// The processing parameters of one export: default precursor charges, centroiding, thresholding,
// de-isotoping, MS/MS averaging and the query-title format. A new object holds the factory
// defaults and reads nothing; SetInfoFromRegistry loads the stored settings. The export engine
// reads nothing else. Which stored value fills which field, and its default, is the parameter
// table's (parametertable.h).

#include <QString>
#include <array>
#include <cstdint>

namespace ostrand {

class ProcessingParameters {
public:
    ProcessingParameters();

    // Reads every value through the settings store. Stops at the first value that does not convert
    // (values read until then are kept) and raises an error that names the settings file.
    void SetInfoFromRegistry();
    void SetToFactoryDefault();

    std::int16_t getDefaultChargeStates(std::int16_t charge) const;
    void setDefaultChargeStates(std::int16_t charge, std::int16_t state);
    std::int16_t getDiscardHighCharges() const { return m_DiscardHighCharges; }
    void setDiscardHighCharges(std::int16_t value) { m_DiscardHighCharges = value; }
    double getDDESurveyHtPerc() const { return m_DDESurveyHtPerc; }
    void setDDESurveyHtPerc(double value) { m_DDESurveyHtPerc = value; }
    double getDDESurveyMergeDist() const { return m_DDESurveyMergeDist; }
    void setDDESurveyMergeDist(double value) { m_DDESurveyMergeDist = value; }
    bool getDDEMergeDistInPPM() const { return m_DDEMergeDistInPPM; }
    void setDDEMergeDistInPPM(bool value) { m_DDEMergeDistInPPM = value; }
    std::int16_t getDDEAutoDetermineCharge() const { return m_DDEAutoDetermineCharge; }
    void setDDEAutoDetermineCharge(std::int16_t value) { m_DDEAutoDetermineCharge = value; }
    std::int16_t getMSMSCentroidEnable() const { return m_MSMSCentroidEnable; }
    void setMSMSCentroidEnable(std::int16_t value) { m_MSMSCentroidEnable = value; }
    bool getMSMSSmoothCentroid() const { return m_MSMSSmoothCentroid; }
    void setMSMSSmoothCentroid(bool value) { m_MSMSSmoothCentroid = value; }
    double getMSMSCentroidHtPerc() const { return m_MSMSCentroidHtPerc; }
    void setMSMSCentroidHtPerc(double value) { m_MSMSCentroidHtPerc = value; }
    double getMSMSCentroidMergeDist() const { return m_MSMSCentroidMergeDist; }
    void setMSMSCentroidMergeDist(double value) { m_MSMSCentroidMergeDist = value; }
    bool getMSMSMergeDistInPPM() const { return m_MSMSMergeDistInPPM; }
    void setMSMSMergeDistInPPM(bool value) { m_MSMSMergeDistInPPM = value; }
    double getMSMSThresholdPerc() const { return m_MSMSThreshold; }
    void setMSMSThresholdPerc(double value) { m_MSMSThreshold = value; }
    bool getMSMSThresholdInPercent() const { return m_MSMSThresholdInPercent; }
    void setMSMSThresholdInPercent(bool value) { m_MSMSThresholdInPercent = value; }
    bool getMSMSDeisotope() const { return m_MSMSDeisotope; }
    void setMSMSDeisotope(bool value) { m_MSMSDeisotope = value; }
    bool getMSMSReportPeakArea() const { return m_MSMSReportPeakArea; }
    void setMSMSReportPeakArea(bool value) { m_MSMSReportPeakArea = value; }
    double getRemoveNearParentValue() const { return m_RemoveNearParent; }
    double getRemoveNearParent() const { return m_RemoveNearParent; }
    // The public class offers no setter; the load and the batch search client's lists fill it.
    void setRemoveNearParent(double value) { m_RemoveNearParent = value; }
    bool getITraq() const { return m_ITraq; }
    void setITraq(bool value) { m_ITraq = value; }
    std::int16_t getMSMSAveNeedXPeaks() const { return m_MSMSAveNeedXPeaks; }
    void setMSMSAveNeedXPeaks(std::int16_t value) { m_MSMSAveNeedXPeaks = value; }
    // The precursor mass limits are fixed; their setters accept a value and discard it.
    double getMSMSAveMinPrecursor() const { return 50.0; }
    void setMSMSAveMinPrecursor(double) {}
    double getMSMSAveMaxPrecursor() const { return 10000.0; }
    void setMSMSAveMaxPrecursor(double) {}
    double getMSMSAvePrecursorTol() const { return m_MSMSAvePrecursorTol; }
    void setMSMSAvePrecursorTol(double value) { m_MSMSAvePrecursorTol = value; }
    std::int16_t getMSMSAveMaxCycBetween() const { return m_MSMSAveMaxCycBetween; }
    void setMSMSAveMaxCycBetween(std::int16_t value) { m_MSMSAveMaxCycBetween = value; }
    std::int16_t getMSMSAveMinCyclesPerGp() const { return m_MSMSAveMinCyclesPerGp; }
    void setMSMSAveMinCyclesPerGp(std::int16_t value) { m_MSMSAveMinCyclesPerGp = value; }
    bool getUseOldQueryTitles() const { return m_UseOldQueryTitles; }
    void setUseOldQueryTitles(bool value) { m_UseOldQueryTitles = value; }

private:
    // Reads every value through `read` (value name, default text) -> text, in the table's order.
    template <typename Read> void load(Read read);

    std::array<std::int16_t, 5> m_defaultChargeStates{};
    std::int16_t m_DiscardHighCharges = 0;
    double m_DDESurveyHtPerc = 0;
    double m_DDESurveyMergeDist = 0;
    bool m_DDEMergeDistInPPM = false;
    std::int16_t m_DDEAutoDetermineCharge = 0;
    std::int16_t m_MSMSCentroidEnable = 0;
    bool m_MSMSSmoothCentroid = false;
    double m_MSMSCentroidHtPerc = 0;
    double m_MSMSCentroidMergeDist = 0;
    bool m_MSMSMergeDistInPPM = false;
    double m_MSMSThreshold = 0;
    bool m_MSMSThresholdInPercent = false;
    bool m_MSMSDeisotope = false;
    bool m_MSMSReportPeakArea = false;
    double m_RemoveNearParent = 0;
    bool m_ITraq = false;
    std::int16_t m_MSMSAveNeedXPeaks = 0;
    double m_MSMSAvePrecursorTol = 0;
    std::int16_t m_MSMSAveMaxCycBetween = 0;
    std::int16_t m_MSMSAveMinCyclesPerGp = 0;
    bool m_UseOldQueryTitles = false;
};

} // namespace ostrand
