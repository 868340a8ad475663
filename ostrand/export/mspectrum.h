#pragma once
// One query in the making: an MS/MS scan, or the sum of the scans of one precursor, with its
// precursor m/z, charge, elution span and the periods, experiments and cycles that went into it.
// When asked for its text it centroids and thresholds the sum, checks it holds enough peaks and
// writes one query block per charge to be searched.

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestrum {
class CentroidableSpectrum;
}

namespace ostrand {

class ProcessingParameters;
class VeskFileInfo;

class MSpectrum {
public:
    using Spectrum = std::shared_ptr<kestrum::CentroidableSpectrum>;

    double GetParentMZ() const { return m_parentMZ; }
    std::int16_t GetChargeState() const { return m_chargeState; }
    std::int32_t GetLastCycle() const { return m_lastCycle; }

    void SetInfo2(double parentMZ, std::int16_t chargeState, std::shared_ptr<ProcessingParameters> params,
                  std::shared_ptr<VeskFileInfo> veskInfo);
    // Adds one scan; the spectrum is taken over, so callers hand in a copy.
    void AddSpectrum(Spectrum theSpectrum, std::int32_t cycleNumber, double theTime, std::int32_t periodNum,
                     std::int16_t experimentNum);
    // Sets a spectrum already summed over the cycles from first to last.
    void AddSummedSpectrum2(Spectrum theSpectrum, std::int32_t firstCycleNumber, std::int32_t lastCycleNumber,
                            double startTime, double endTime, std::int16_t periodNum,
                            std::int16_t experimentNum);
    // Gives a charge to a spectrum whose charge is still undetermined.
    void UpdateChargeState(std::int16_t newCharge);

    // The query text ("" when the spectrum is not to be searched). Centroids the stored spectrum
    // in place, so it is called once.
    QString getSorvexDataForOneMSMSDataSet();

    QString GetQueryTitle() const;
    QString GetCycleListText() const;

private:
    void RecordCycles(bool first, std::int32_t firstCycle, std::int32_t lastCycle, std::int16_t experiment);
    void CentroidAndThreshold();
    // A fragment weighs less than its precursor, so even a singly charged one lies below the
    // singly protonated precursor (for the highest charge searched); peaks above it are noise
    // and are dropped. Positive ions of a known or default charge only.
    void DropPeaksAboveThePrecursor();
    // The charges the query blocks are written with: the spectrum's own, else the default ones,
    // else 0 for one block without a charge.
    std::vector<int> SearchedCharges() const;
    QString GetIonsBlock(std::int16_t charge, std::int64_t& peakLines) const;
    QString GetOldQueryTitle() const;
    QString GetNewQueryTitle() const;
    void requireInitialised() const;

    // The cycles of one experiment: runs already closed, as text, and the open run.
    struct ExperimentCycles {
        QString cycleText;
        std::int32_t runStart = 0;
        std::int32_t runEnd = 0;
        bool hasCycles = false;
    };

    double m_parentMZ = 0;
    std::int16_t m_chargeState = 0;
    std::int32_t m_lastCycle = 0;
    std::int32_t m_cycleCount = 0;
    Spectrum m_spectrum;
    double m_startTime = 0;
    double m_endTime = 0;
    std::int32_t m_firstPeriod = 0;
    std::int32_t m_lastPeriod = 0;
    std::shared_ptr<ProcessingParameters> m_params;
    QString m_sampleName;
    std::int32_t m_sampleIndex = 0;
    QString m_fileName;
    std::vector<ExperimentCycles> m_experiments;
    std::shared_ptr<VeskFileInfo> m_fileInfo;
    bool m_isPositive = true;
};

} // namespace ostrand
