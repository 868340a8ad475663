#include "mexportmstosorvex.h"

#include "diagnostics/mlogger.h"
#include "mmathutils.h"
#include "queryfile.h"
#include "settings/processingparameters.h"
#include "sorvexstringhelper.h"

#include "errors/numberederror.h"
#include "kestrum/filespectrum.h"
#include "kestrum/veskfile.h"

namespace ostrand {

namespace {

// A list of at most this many peaks is written whole.
constexpr int unthinnedPeakCount = 50;
// Peaks at or below this m/z are left out of a fingerprint.
constexpr double lowestMz = 100;

} // namespace

MExportMSToSorvex::MExportMSToSorvex() : m_queryHelper(std::make_shared<SorvexStringHelper>()) {}

MExportMSToSorvex::~MExportMSToSorvex() = default;

void MExportMSToSorvex::DoExportFile(const QString& filePath, std::int32_t sampleIndex,
                                     const Params& params) {
    // The checks and the export read the one file opened here, whatever happens to its path.
    const kestrum::VeskFileHold heldFile(filePath);
    const auto file = kestrum::VeskFileOpener().OpenVeskFile(filePath, sampleIndex);
    if (file->PeriodCount(sampleIndex) > 1)
        throw errors::NumberedError::system(QStringLiteral("Cannot process multi-period samples."));
    if (file->ExperimentCount(sampleIndex, 0) > 1)
        throw errors::NumberedError::system(QStringLiteral("Cannot process multi-experiment samples."));
    DoExportExperiment(filePath, sampleIndex, 0, 0, params);
}

void MExportMSToSorvex::DoExportExperiment(const QString& filePath, std::int32_t sampleIndex,
                                           std::int16_t periodNum, std::int16_t exptNum,
                                           const Params& params) {
    const kestrum::VeskFileHold heldFile(filePath);
    const auto file = kestrum::VeskFileOpener().OpenVeskFile(filePath, sampleIndex);
    const int cycles = file->CycleCount(sampleIndex, periodNum);
    // The first and last cycle of a run of three or more are left out of the sum.
    const int first = cycles > 2 ? 1 : 0;
    const int last = cycles > 2 ? cycles - 2 : cycles - 1;
    kestrum::FileSpectrum spectrum;
    spectrum.SetDataFile(filePath);
    spectrum.LoadSpectrum(sampleIndex, periodNum, exptNum,
                          file->CycleTime(sampleIndex, periodNum, exptNum, first),
                          file->CycleTime(sampleIndex, periodNum, exptNum, last));
    DoExportSpectrum(spectrum, params);
}

void MExportMSToSorvex::DoExportSpectrum(const kestrum::CentroidableSpectrum& theSpectrum,
                                         const Params& params) {
    m_params = params;
    if (theSpectrum.IsCentroided()) {
        WritePeakLines(theSpectrum);
        return;
    }
    WritePeakLines(*MMathUtils::DoCentroidNative(theSpectrum, true, false, true, 0, -1));
}

QString MExportMSToSorvex::GetResultString() {
    MLogger::LogMessage(QStringLiteral("MExportMSToSorvex.getResultString - start"));
    QString result = m_queryHelper->GetString();
    MLogger::LogMessage(QStringLiteral("MExportMSToSorvex.getResultString - end"));
    return result;
}

QString MExportMSToSorvex::GetResultFilename() {
    MLogger::LogMessage(QStringLiteral("MExportMSToSorvex.GetResultFilename - start"));
    QString result = m_queryHelper->GetFilename();
    MLogger::LogMessage(QStringLiteral("MExportMSToSorvex.GetResultFilename - end"));
    return result;
}

void MExportMSToSorvex::WritePeakLines(const kestrum::CentroidableSpectrum& peaks) {
    const int count = peaks.PointCount();
    const double highest = peaks.YRange().second;
    const std::vector<double>& mz = peaks.mzValues();
    const std::vector<double>& intensity = peaks.intensities();
    for (std::size_t i = 0; i < mz.size(); ++i) {
        // Small lists are kept whole; longer ones lose the peaks at 1 % of the highest or below.
        const bool strongEnough = intensity[i] > highest / 100 || m_msmsMode || count <= unthinnedPeakCount;
        if (strongEnough && (mz[i] > lowestMz || m_msmsMode))
            m_queryHelper->AppendLine(QueryFile::peakLine(mz[i], intensity[i]));
    }
}

} // namespace ostrand
