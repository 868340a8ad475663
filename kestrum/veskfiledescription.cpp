#include "kestrum/veskfiledescription.h"

#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"

#include "messages/printabletext.h"

namespace kestrum {

namespace {

QString plural(int count, const char* noun) {
    return QStringLiteral("%1 %2%3")
        .arg(count)
        .arg(QLatin1String(noun))
        .arg(count == 1 ? QString() : QStringLiteral("s"));
}

QString seconds(float value) {
    return QString::number(value, 'f', 3);
}

} // namespace

bool isDataDependentSample(const VeskFile& file, int sample) {
    if (file.PeriodCount(sample) != 1)
        return false;
    for (int experiment = 0; experiment < file.ExperimentCount(sample, 0); ++experiment) {
        const auto info = file.Experiment(sample, 0, experiment);
        if (isDataDependentProductScan(info->ScanTypeCode(), info->FixedMass()))
            return true;
    }
    return false;
}

QString describeVeskFile(const VeskFile& file) {
    QString text;
    using messages::printableOnOneLine;
    text += QStringLiteral("File: %1\nSamples: %2\n")
                .arg(printableOnOneLine(file.FilePath()))
                .arg(file.SampleCount());
    for (int sample = 1; sample <= file.SampleCount(); ++sample) {
        const int periods = file.PeriodCount(sample);
        text += QStringLiteral("Sample %1 \"%2\": %3, %4\n")
                    .arg(sample)
                    .arg(printableOnOneLine(file.SampleName(sample)), plural(periods, "period"),
                         isDataDependentSample(file, sample) ? QStringLiteral("data-dependent")
                                                             : QStringLiteral("not data-dependent"));
        for (int period = 0; period < periods; ++period) {
            const int cycles = file.CycleCount(sample, period);
            const int experiments = file.ExperimentCount(sample, period);
            text += QStringLiteral("  Period %1: %2, %3")
                        .arg(period)
                        .arg(plural(experiments, "experiment"), plural(cycles, "cycle"));
            if (cycles > 0 && experiments > 0)
                text += QStringLiteral(" (%1 to %2 s)")
                            .arg(seconds(file.CycleTime(sample, period, 0, 0)),
                                 seconds(file.CycleTime(sample, period, 0, cycles - 1)));
            text += QLatin1Char('\n');
            for (int experiment = 0; experiment < experiments; ++experiment) {
                const auto info = file.Experiment(sample, period, experiment);
                text += QStringLiteral("    Experiment %1: %2%3 (code %4), fixed mass %5, %6\n")
                            .arg(experiment)
                            .arg(info->Polarity() == 0 ? QLatin1Char('+') : QLatin1Char('-'))
                            .arg(scanTypeText(info->ScanTypeCode()))
                            .arg(info->ScanTypeCode())
                            .arg(info->FixedMass())
                            .arg(plural(file.scanCount(sample, period, experiment), "scan"));
            }
        }
    }
    return text;
}

} // namespace kestrum
