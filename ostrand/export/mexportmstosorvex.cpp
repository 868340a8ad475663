#include "mexportmstosorvex.h"

#include "dispatcharguments.h"
#include "mmathutils.h"
#include "script/mlogger.h"
#include "script/sorvexstringhelper.h"
#include "settings/processingparameters.h"

#include "automation/memberbinding.h"
#include "kestrum/automation/hostspectrum.h"
#include "kestrum/filespectrum.h"
#include "kestrum/veskfile.h"

using automation::argumentAt;
using automation::Arguments;
using automation::AutomationError;
using automation::Variant;
using exportarguments::objectArgument;

namespace {

// A list of at most this many peaks is written whole.
constexpr int unthinnedPeakCount = 50;
// Peaks at or below this m/z are left out of a fingerprint.
constexpr double lowestMz = 100;

QString roundedText(double value) {
    return automation::numberText(automation::roundHalfEven(value * 1e4) / 1e4, 15);
}

} // namespace

const automation::DispatchTable<MExportMSToSorvex>& MExportMSToSorvex::dispatchTable() {
    using M = MExportMSToSorvex;
    static const auto table =
        automation::DispatchTable<M>()
            .method(QStringLiteral("SetMSMS"), automation::bindMember(&M::SetMSMS))
            .method(QStringLiteral("DoExportFile"),
                    [](M& self, Arguments& args) {
                        self.DoExportFile(argumentAt(args, 0).toString(), argumentAt(args, 1).toLong(),
                                          objectArgument<ProcessingParameters>(args, 2));
                        return Variant();
                    })
            .method(QStringLiteral("DoExportExperiment"),
                    [](M& self, Arguments& args) {
                        self.DoExportExperiment(argumentAt(args, 0).toString(), argumentAt(args, 1).toLong(),
                                                argumentAt(args, 2).toInteger(),
                                                argumentAt(args, 3).toInteger(),
                                                objectArgument<ProcessingParameters>(args, 4));
                        return Variant();
                    })
            .method(QStringLiteral("DoExportSpectrum"),
                    [](M& self, Arguments& args) {
                        self.DoExportSpectrum(*objectArgument<HostSpectrum>(args, 0)->spectrum(),
                                              objectArgument<ProcessingParameters>(args, 1));
                        return Variant();
                    })
            .method(QStringLiteral("GetQueryStringHelper"),
                    [](M& self, Arguments&) {
                        return Variant(
                            std::static_pointer_cast<automation::Dispatch>(self.GetQueryStringHelper()));
                    })
            .method(QStringLiteral("GetResultString"), automation::bindMember(&M::GetResultString))
            .method(QStringLiteral("GetResultFilename"), automation::bindMember(&M::GetResultFilename));
    return table;
}

MExportMSToSorvex::MExportMSToSorvex() : m_queryHelper(std::make_shared<SorvexStringHelper>()) {}

MExportMSToSorvex::~MExportMSToSorvex() = default;

void MExportMSToSorvex::DoExportFile(const QString& filePath, std::int32_t sampleIndex,
                                     const Params& params) {
    const auto file = kestrum::VeskFileOpener().OpenVeskFile(filePath, sampleIndex);
    if (file->PeriodCount(sampleIndex) > 1)
        throw AutomationError::system(QStringLiteral("Cannot process multi-period samples."));
    if (file->ExperimentCount(sampleIndex, 0) > 1)
        throw AutomationError::system(QStringLiteral("Cannot process multi-experiment samples."));
    DoExportExperiment(filePath, sampleIndex, 0, 0, params);
}

void MExportMSToSorvex::DoExportExperiment(const QString& filePath, std::int32_t sampleIndex,
                                           std::int16_t periodNum, std::int16_t exptNum,
                                           const Params& params) {
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
            m_queryHelper->AppendLine(roundedText(mz[i]) + QLatin1Char(' ') + roundedText(intensity[i]));
    }
}
