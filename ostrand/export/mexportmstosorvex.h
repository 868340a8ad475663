#pragma once
// Turns one spectrum, normally the survey scans of a run summed, into the bare peak list of a
// peptide mass fingerprint query: one line of m/z and intensity per peak, appended to a query
// text buffer. It writes no header lines; the caller writes them into the same buffer first.
// Used by the batch search client.

#include <QString>
#include <cstdint>
#include <memory>

namespace kestrum {
class CentroidableSpectrum;
}

namespace ostrand {

class ProcessingParameters;
class SorvexStringHelper;

class MExportMSToSorvex {
public:
    using Params = std::shared_ptr<ProcessingParameters>;

    MExportMSToSorvex();
    ~MExportMSToSorvex();
    MExportMSToSorvex(const MExportMSToSorvex&) = delete;
    MExportMSToSorvex& operator=(const MExportMSToSorvex&) = delete;

    // From now on every peak is written, unthinned and whatever its m/z.
    void SetMSMS() { m_msmsMode = true; }
    // The whole run of a sample with one period and one experiment.
    void DoExportFile(const QString& filePath, std::int32_t sampleIndex, const Params& params);
    // One experiment of one period, summed over the run less its first and last cycle.
    void DoExportExperiment(const QString& filePath, std::int32_t sampleIndex, std::int16_t periodNum,
                            std::int16_t exptNum, const Params& params);
    // A spectrum the caller already has; profile data are centroided on a copy.
    void DoExportSpectrum(const kestrum::CentroidableSpectrum& theSpectrum, const Params& params);
    std::shared_ptr<SorvexStringHelper> GetQueryStringHelper() const { return m_queryHelper; }
    QString GetResultString();
    QString GetResultFilename();

private:
    void WritePeakLines(const kestrum::CentroidableSpectrum& peaks);

    std::shared_ptr<SorvexStringHelper> m_queryHelper;
    bool m_msmsMode = false;
    Params m_params;
};

} // namespace ostrand
