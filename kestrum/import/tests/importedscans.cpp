#include "importedscans.h"

#include "kestrum/veskfile.h"

namespace testfixture {

std::vector<ImportedScan> importedScans(const QString& veskPath, int sample) {
    const auto file = kestrum::VeskFile::open(veskPath);
    std::vector<ImportedScan> result;
    for (int period = 0; period < file->PeriodCount(sample); ++period)
        for (int cycle = 0; cycle < file->CycleCount(sample, period); ++cycle)
            for (int experiment = 0; experiment < file->ExperimentCount(sample, period); ++experiment)
                if (auto scan = file->scan(sample, period, experiment, cycle)) {
                    const auto definition = file->Experiment(sample, period, experiment);
                    result.push_back({period, experiment, cycle, definition->ScanTypeCode(),
                                      definition->Polarity(), std::move(*scan)});
                }
    return result;
}

} // namespace testfixture
