#include "kestrum/scantype.h"
#include "sampleruns.h"

#include <algorithm>
#include <set>

namespace kestrum::simulation {

namespace {

// For each experiment of a period, the ion it fragments: the most abundant multiply charged ions
// eluting during the period, each peptide once; ions of other times fill in when too few elute.
std::vector<const PeptideFeature*> targetsOfPeriod(const ElutionMap& map, double from, double to, int count) {
    std::vector<const PeptideFeature*> candidates;
    for (const PeptideFeature& feature : map.features())
        if (feature.charge >= 2)
            candidates.push_back(&feature);
    auto inPeriod = [from, to](const PeptideFeature* f) {
        return f->apexSeconds >= from && f->apexSeconds < to;
    };
    std::stable_sort(candidates.begin(), candidates.end(),
                     [&](const PeptideFeature* a, const PeptideFeature* b) {
                         if (inPeriod(a) != inPeriod(b))
                             return inPeriod(a);
                         return a->apexHeight > b->apexHeight;
                     });
    std::vector<const PeptideFeature*> targets;
    std::set<const Peptide*> peptides;
    for (const PeptideFeature* feature : candidates) {
        if (static_cast<int>(targets.size()) == count)
            break;
        if (peptides.insert(feature->peptide).second)
            targets.push_back(feature);
    }
    return targets;
}

} // namespace

void writeFixedPrecursorSample(SampleRunContext& context, const QString& sampleName) {
    const GenerationOptions& options = context.options;
    const int polarity = context.polarityCode();
    const double runSeconds = options.minutes * 60.0;
    const int sample = context.writer.addSample(sampleName);
    const ElutionMap map = context.elutionOf(sample);

    const double periodSeconds = runSeconds / options.periods;
    const double cycleSeconds = options.experiments * FixedProductSeconds;
    const int cyclesPerPeriod = std::max(1, static_cast<int>(periodSeconds / cycleSeconds));
    for (int period = 0; period < options.periods; ++period) {
        const double periodStart = period * periodSeconds;
        const std::vector<const PeptideFeature*> targets =
            targetsOfPeriod(map, periodStart, periodStart + periodSeconds, options.experiments);
        context.writer.addPeriod(sample);
        for (const PeptideFeature* target : targets)
            context.writer.addExperiment(sample, period, {TOFProduct, polarity, target->monoisotopicMz});
        for (int cycle = 0; cycle < cyclesPerPeriod; ++cycle) {
            const double start = periodStart + cycle * cycleSeconds;
            context.writer.addCycle(sample, period, start);
            for (int experiment = 0; experiment < static_cast<int>(targets.size()); ++experiment) {
                const PeptideFeature& target = *targets[experiment];
                const ScanPosition at{sample, period, experiment, cycle,
                                      start + experiment * FixedProductSeconds};
                // The monoisotopic peak is isolated, however weak it is at this moment.
                context.addProductScan({target.peptide, target.charge, 0,
                                        target.heightAt(at.retentionTimeSeconds) * target.envelope[0]},
                                       at);
            }
            if (context.progress)
                context.progress((period + static_cast<double>(cycle + 1) / cyclesPerPeriod) /
                                 options.periods);
        }
    }
}

} // namespace kestrum::simulation
