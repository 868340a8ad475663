#pragma once
// Walks a Vesk data file sample by sample and cycle by cycle and turns its MS/MS spectra into query
// blocks in a query text buffer. Data-dependent runs: product scans are grouped by precursor (and
// charge, read from the survey scan when wanted), summed and written once their precursor has not
// come back for a set number of cycles. Fixed-precursor runs: one query per MS/MS experiment and
// period, per cycle or summed over the run. The search dialog and the batch search client use it.

#include "precursorgroups.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace kestrum {
class FileChromatogram;
class CentroidableSpectrum;
class FileSpectrum;
class VeskFile;
} // namespace kestrum

namespace ostrand {

class ExportProgress;
class PendingEvents;
class ProcessingParameters;
class SampleLabel;
class SorvexStringHelper;
class VeskFileInfo;

// Which cycles an export takes, indexed by cycle number from `lowerBound`. A cycle above the last
// flag (and cycle -1, "every cycle") is always taken; the default selects every cycle.
struct CycleSelection {
    std::int32_t lowerBound = -1;
    std::vector<bool> flags{false};

    std::int32_t upperBound() const { return lowerBound + static_cast<std::int32_t>(flags.size()) - 1; }
    // Raises "Subscript out of range" for a cycle below the lower bound other than -1.
    bool isSelected(std::int32_t cycle) const;
};

class MExportMSMSToSorvex {
public:
    using Params = std::shared_ptr<ProcessingParameters>;

    MExportMSMSToSorvex();
    ~MExportMSMSToSorvex();
    MExportMSMSToSorvex(const MExportMSMSToSorvex&) = delete;
    MExportMSMSToSorvex& operator=(const MExportMSMSToSorvex&) = delete;

    // Exports the one cycle `startCycle` of the sample (sample -1: every sample; cycle -1: every cycle).
    void DoExport(const QString& filePath, std::int32_t sampleIndex, const Params& params,
                  ExportProgress* progress, std::int32_t startCycle);
    QString GetResultString();
    void DoExportRange(const QString& filePath, std::int32_t sampleIndex, const Params& params,
                       ExportProgress* progress, std::int32_t startCycle, std::int32_t endCycle,
                       SampleLabel* sampleNameLabel);
    // Asks a running export to stop at its next cycle.
    void CancelExport() { m_cancelled = true; }
    bool wasCancelled() const { return m_cancelled; }
    // Queries written since the object was made.
    std::int32_t numSpectraInResult() const { return m_spectraWritten; }
    // The query text buffer, made on first use; callers name the file and write the header lines.
    std::shared_ptr<SorvexStringHelper> GetQueryStringHelper();
    void DoExportSpecificCycles(const QString& filePath, std::int32_t sampleIndex, const Params& params,
                                ExportProgress* progress, SampleLabel* sampleNameLabel,
                                const CycleSelection& useCycles);
    void DoExportPrivate(const QString& filePath, std::int32_t sampleIndex, const Params& params,
                         ExportProgress* progress, std::int32_t startCycle, std::int32_t endCycle,
                         SampleLabel* sampleNameLabel, const CycleSelection& useCycles);
    QString GetResultFilename();

    // What runs before each cycle so that a cancel request can arrive; by default the
    // application's pending events.
    void setPendingEvents(std::shared_ptr<PendingEvents> pendingEvents);

private:
    void exportSamples(ExportProgress* progress, std::int32_t startCycle, std::int32_t endCycle,
                       SampleLabel* sampleNameLabel, const CycleSelection& useCycles,
                       std::int32_t firstSample, std::int32_t lastSample);
    void DoExportMSMS(ExportProgress* progress, std::int32_t startCycle, std::int32_t endCycle,
                      const CycleSelection& useCycles);
    void DoExportDDE(ExportProgress* progress, std::int32_t startCycle, std::int32_t endCycle,
                     const CycleSelection& useCycles);
    void ProcessOneCycle(kestrum::FileSpectrum& survey, kestrum::FileSpectrum& product,
                         const kestrum::VeskFile& file, std::int32_t sample, std::int32_t cycle);
    bool WantSurveyCharge() const;
    void FlushGroups(std::int32_t cycle);
    QString ExportOneMSMSSpectrum(const kestrum::VeskFile& file, std::int32_t period, std::int32_t experiment,
                                  std::int32_t cycle);
    std::shared_ptr<kestrum::VeskFile> openFile() const;
    void writeQuery(const QString& text);

    PrecursorGroups m_groups;
    SurveyPrecursors m_survey;
    Params m_params;
    std::shared_ptr<SorvexStringHelper> m_queryHelper;
    std::shared_ptr<VeskFileInfo> m_fileInfo;
    bool m_cancelled = false;
    std::int32_t m_spectraWritten = 0;
    std::vector<std::shared_ptr<kestrum::FileChromatogram>> m_experimentTraces;
    std::shared_ptr<PendingEvents> m_pendingEvents;
};

} // namespace ostrand
