#include "kestrum/filespectrum.h"

#include "kestrum/pointmerge.h"
#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"

#include "kestrum/kestrumerror.h"

#include <algorithm>

namespace kestrum {

namespace {

std::shared_ptr<VeskFile> openedFile(const SpectrumData& spectrum, const char* className) {
    if (!spectrum.origin().file)
        throw KestrumError::system(QStringLiteral("No data file is set; call SetDataFile before loading."),
                                   QString::fromLatin1(className));
    return spectrum.origin().file;
}

QString minutes(double seconds) {
    return QString::number(seconds / 60.0, 'f', 3);
}

// "+TOF Product (523.7812)": polarity, scan type and, for a scan with a precursor, its m/z.
QString experimentLabel(const ExperimentInfo& experiment, const std::optional<double>& precursorMz) {
    QString label = (experiment.Polarity() == 0 ? QStringLiteral("+") : QStringLiteral("-")) +
                    scanTypeText(experiment.ScanTypeCode());
    if (precursorMz)
        label += QStringLiteral(" (%1)").arg(QString::number(*precursorMz, 'f', 4));
    return label;
}

} // namespace

void FileSpectrum::SetDataFile(const QString& path) {
    setOrigin(TraceOrigin{VeskFile::open(path), 0, 0, 0, 0});
}

void FileSpectrum::LoadSpectrum(int sample, int period, int experiment, float startSeconds,
                                float endSeconds) {
    const auto file = openedFile(*this, "FileSpectrum");
    const auto info = file->Experiment(sample, period, experiment);
    std::vector<ScanRecord> scans = file->scansBetween(sample, period, experiment, startSeconds, endSeconds);

    const bool centroided =
        !scans.empty() && std::all_of(scans.begin(), scans.end(), [](const auto& s) { return s.centroided; });
    const bool profile = !scans.empty() &&
                         std::none_of(scans.begin(), scans.end(), [](const auto& s) { return s.centroided; });
    if (scans.size() == 1) {
        setPoints(std::move(scans.front().mz), std::move(scans.front().intensity));
    } else {
        std::vector<PointRun> runs;
        runs.reserve(scans.size());
        for (const ScanRecord& scan : scans)
            runs.push_back({scan.mz, scan.intensity, {}});
        PointList sum = mergeSorted(runs, 0.0, profile ? Sampling::Profile : Sampling::Peaks);
        setPoints(std::move(sum.x), std::move(sum.y));
    }
    SetCentroided(centroided);
    setSampledProfile(profile);

    const double first =
        scans.empty() ? std::min(startSeconds, endSeconds) : scans.front().retentionTimeSeconds;
    const double last =
        scans.empty() ? std::max(startSeconds, endSeconds) : scans.back().retentionTimeSeconds;
    const QString time = minutes(first) == minutes(last)
                             ? minutes(first)
                             : minutes(first) + QStringLiteral(" to ") + minutes(last);
    setTitle(experimentLabel(*info, scans.empty() ? std::nullopt : scans.front().precursorMz) +
             QStringLiteral(": ") + time + QStringLiteral(" min"));
    setXUnits(QStringLiteral("Da"));
    setOrigin(TraceOrigin{file, sample, period, experiment, std::min(startSeconds, endSeconds)});
}

void FileChromatogram::SetDataFile(const QString& path) {
    setOrigin(TraceOrigin{VeskFile::open(path), 0, 0, 0, 0});
}

void FileChromatogram::LoadChromatogram(int sample, int period, int experiment) {
    const auto file = openedFile(*this, "FileChromatogram");
    const auto info = file->Experiment(sample, period, experiment);
    std::vector<double> currents = file->totalIonCurrents(sample, period, experiment);
    std::vector<double> times(currents.size());
    for (std::size_t cycle = 0; cycle < times.size(); ++cycle)
        times[cycle] = file->CycleTime(sample, period, experiment, static_cast<int>(cycle)) / 60.0;
    setPoints(std::move(times), std::move(currents));
    setTitle(
        QStringLiteral("TIC of %1, experiment %2").arg(experimentLabel(*info, std::nullopt)).arg(experiment));
    setXUnits(QStringLiteral("min"));
    setOrigin(TraceOrigin{file, sample, period, experiment, 0});
}

} // namespace kestrum
