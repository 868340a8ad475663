#pragma once
// What a Vesk data file holds for one sample and scan position: its samples, periods, experiments
// and cycles, the scan type in use, whether the run is data-dependent (DDE) and whether it holds
// MS/MS data. It also carries the rules that classify scan types and the parser that reads a
// precursor m/z out of a spectrum title. The search dialog and the export engine fill one with
// setFileNameAndIndex and ask it how to treat the data.

#include <QString>
#include <cstdint>
#include <memory>

namespace kestrum {
class VeskFile;
}

namespace ostrand {

class VeskFileInfo {
public:
    static QString DllVersion() { return QStringLiteral("1.6b25"); }

    // Reads everything below from the file for the sample and keeps the caller's scan position.
    // On failure the object keeps what it held before and the error reaches the caller unchanged.
    void setFileNameAndIndex(const QString& strFileName, std::int32_t sampleIndex, std::int32_t currentPeriod,
                             std::int32_t currentExperiment, std::int32_t currentCycle);

    QString getScanTypeText() const;
    const QString& GetFilename() const { return m_state.fileName; }
    std::int32_t getSampleIndex() const { return m_state.sampleIndex; }
    // Decimal text, as the dialog shows it.
    QString getNumberOfSamples() const { return QString::number(m_state.numberOfSamples); }
    const QString& getSampleName() const { return m_state.sampleName; }
    std::int32_t getNumPeriods() const { return m_state.numberOfPeriods; }
    std::int32_t getScanType() const { return m_state.scanType; }
    std::int32_t getMaxExperiments() const { return m_state.maxExperiments; }
    std::int32_t getNumCyclesInFirstPeriod() const { return m_state.cyclesInFirstPeriod; }
    bool isDDE() const { return m_state.dde; }
    std::int32_t getCurrentPeriod() const { return m_state.currentPeriod; }
    std::int32_t getCurrentExperiment() const { return m_state.currentExperiment; }
    std::int32_t getCurrentCycle() const { return m_state.currentCycle; }

    // The current experiment is an MS/MS scan, or the run is data-dependent.
    bool isMSMS() const;
    // Product, TOF product, enhanced product, MS/MS/MS and time-delay fragmentation scans.
    static bool isThisScanMSMS(std::int16_t scanType);
    // Opens the file afresh: true while the acquisition is still being recorded.
    bool isDataBeingAcquired() const;
    // A data-dependent run whose survey scan (experiment 0) is a TOF MS scan.
    bool isTOFSurveyDDE() const;
    // A data-dependent sample whose product scans carry the precursor charges the instrument
    // recorded: callers then take precursor m/z and charge from GetParentMZAndCharge rather than
    // the m/z alone from the spectrum title.
    bool haveEngineDDEChargeState() const { return m_state.recordedCharges; }
    // The current experiment alone is an MS/MS scan.
    bool isMSMSButNotDDE() const;
    static bool isThisScanMSCubed(std::int16_t scanType);
    // An MS/MS experiment whose fixed mass lies below 31 has its precursor chosen during
    // acquisition.
    static bool isThisScanDDEProduct(std::int16_t scanType, double fixedMass);
    // The precursor m/z and charge recorded with the scan of that cycle (charge 0 when the scan
    // carries none). Raises, leaving the out-parameters as they are, without a file or when the
    // scan recorded no precursor.
    static void GetParentMZAndCharge(const kestrum::VeskFile* theWF, std::int16_t theSampleIndex,
                                     std::int16_t thePeriod, std::int16_t theExpt, std::int32_t theCycle,
                                     double& parentMZ, std::int16_t& chargeState);
    // The number in the first pair of parentheses, or the one after "),(" when that converts;
    // 0.0 when neither does.
    static double ParseParentMZFromTitle(const QString& specTitle);
    // Opens the file afresh: whether the experiment of the stored sample records positive ions.
    bool IsPositive(std::int32_t periodNum, std::int32_t experimentNum) const;

private:
    struct State {
        QString fileName;
        std::int32_t sampleIndex = 0;
        std::int16_t numberOfSamples = 0;
        QString sampleName;
        std::int32_t numberOfPeriods = 0;
        std::int16_t scanType = 0;
        std::int32_t maxExperiments = 0;
        std::int32_t cyclesInFirstPeriod = 0;
        bool dde = false;
        bool recordedCharges = false;
        std::int16_t surveyScanType = 0;
        std::int32_t currentPeriod = 0;
        std::int32_t currentExperiment = 0;
        std::int32_t currentCycle = 0;
    };

    static State readState(const QString& fileName, std::int32_t sampleIndex, std::int32_t currentPeriod,
                           std::int32_t currentExperiment, std::int32_t currentCycle);

    State m_state;
};

} // namespace ostrand
