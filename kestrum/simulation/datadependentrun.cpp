#include "kestrum/scantype.h"
#include "sampleruns.h"

#include <algorithm>
#include <cmath>

namespace kestrum::simulation {

namespace {

// Accumulation times: a cycle of a survey scan and six product scans takes 0.85 seconds.
constexpr double SurveySeconds = 0.25;
constexpr double ProductSeconds = 0.1;
// Precursors weaker than this in the survey scan are not fragmented.
constexpr double SelectionThreshold = 50;
// Precursors within this m/z of an excluded one count as the same.
constexpr double ExclusionTolerance = 0.05;
// Half width of the quadrupole's isolation window, in m/z.
constexpr double IsolationHalfWidth = 0.7;

struct Exclusion {
    double mz = 0;
    double untilSeconds = 0;
};

// Remembers fragmented precursors so that the next cycles pick others.
class DynamicExclusion {
public:
    explicit DynamicExclusion(double seconds) : m_seconds(seconds) {}

    void expire(double now) {
        std::erase_if(m_excluded, [now](const Exclusion& e) { return e.untilSeconds <= now; });
    }
    bool isExcluded(double mz) const {
        return std::any_of(m_excluded.begin(), m_excluded.end(),
                           [mz](const Exclusion& e) { return std::abs(e.mz - mz) <= ExclusionTolerance; });
    }
    void exclude(double mz, double now) { m_excluded.push_back({mz, now + m_seconds}); }

private:
    double m_seconds;
    std::vector<Exclusion> m_excluded;
};

ScanRecord surveyScan(const std::vector<const PeptideFeature*>& eluting, const ScanPosition& at,
                      const SpectrumRenderer& renderer, SimulationRandom& random) {
    std::vector<Peak> peaks;
    for (const PeptideFeature* feature : eluting) {
        const double height = feature->heightAt(at.retentionTimeSeconds);
        for (std::size_t k = 0; k < feature->envelope.size(); ++k)
            peaks.push_back(
                {feature->monoisotopicMz + static_cast<double>(k) * IsotopeSpacing / feature->charge,
                 height * feature->envelope[k]});
    }
    ScanPoints points = renderer.render(std::move(peaks), SurveyScanRange, random);
    ScanRecord scan;
    scan.sample = at.sample;
    scan.cycle = at.cycle;
    scan.retentionTimeSeconds = at.retentionTimeSeconds;
    scan.centroided = renderer.settings().centroid;
    scan.mz = std::move(points.mz);
    scan.intensity = std::move(points.intensity);
    return scan;
}

// The most intense eluting precursors above the threshold that are not excluded, at most `count`.
std::vector<const PeptideFeature*> choosePrecursors(std::vector<const PeptideFeature*> eluting, double now,
                                                    int count, DynamicExclusion& exclusion) {
    std::erase_if(eluting,
                  [now](const PeptideFeature* f) { return f->isolatedHeightAt(now) < SelectionThreshold; });
    std::stable_sort(eluting.begin(), eluting.end(), [now](const PeptideFeature* a, const PeptideFeature* b) {
        return a->isolatedHeightAt(now) > b->isolatedHeightAt(now);
    });
    std::vector<const PeptideFeature*> chosen;
    for (const PeptideFeature* feature : eluting) {
        if (static_cast<int>(chosen.size()) == count)
            break;
        if (exclusion.isExcluded(feature->isolatedMz()))
            continue;
        exclusion.exclude(feature->isolatedMz(), now);
        chosen.push_back(feature);
    }
    return chosen;
}

// The other ions whose isotope peaks fall inside the isolation window of `chosen`, each with the
// height it has there.
std::vector<Precursor> coIsolatedWith(const PeptideFeature& chosen,
                                      const std::vector<const PeptideFeature*>& eluting, double now) {
    std::vector<Precursor> others;
    const double centre = chosen.isolatedMz();
    for (const PeptideFeature* feature : eluting) {
        if (feature == &chosen)
            continue;
        double inside = 0;
        for (std::size_t k = 0; k < feature->envelope.size(); ++k) {
            const double mz =
                feature->monoisotopicMz + static_cast<double>(k) * IsotopeSpacing / feature->charge;
            if (std::abs(mz - centre) <= IsolationHalfWidth)
                inside += feature->envelope[k];
        }
        if (inside > 0)
            others.push_back({feature->peptide, feature->charge, 0, feature->heightAt(now) * inside});
    }
    return others;
}

} // namespace

void writeDataDependentSample(SampleRunContext& context, const QString& sampleName) {
    const GenerationOptions& options = context.options;
    const int polarity = context.polarityCode();
    const int sample = context.writer.addSample(sampleName);
    context.writer.addPeriod(sample);
    context.writer.addExperiment(sample, 0, {TOFMS, polarity, 0.0});
    for (int product = 1; product <= options.topN; ++product)
        context.writer.addExperiment(sample, 0, {TOFProduct, polarity, 0.0});

    const double runSeconds = options.minutes * 60.0;
    const ElutionMap map = context.elutionOf(sample);
    const double cycleSeconds = SurveySeconds + options.topN * ProductSeconds;
    const int cycles = std::max(1, static_cast<int>(runSeconds / cycleSeconds));
    DynamicExclusion exclusion(options.exclusionSeconds);
    std::vector<const PeptideFeature*> eluting;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        const double start = cycle * cycleSeconds;
        context.writer.addCycle(sample, 0, start);
        map.elutingAt(start, eluting);

        const ScanPosition surveyAt{sample, 0, 0, cycle, start};
        SimulationRandom surveyRandom = SimulationRandom::forKey(options.seed, {sample, 0, 0, cycle});
        context.writer.addScan(surveyScan(eluting, surveyAt, context.simulator.renderer(), surveyRandom));
        ++context.surveyScans;

        exclusion.expire(start);
        const std::vector<const PeptideFeature*> chosen =
            choosePrecursors(eluting, start, options.topN, exclusion);
        for (int k = 0; k < static_cast<int>(chosen.size()); ++k) {
            const PeptideFeature& feature = *chosen[k];
            const ScanPosition at{sample, 0, k + 1, cycle, start + SurveySeconds + k * ProductSeconds};
            context.addProductScan(
                {feature.peptide, feature.charge, feature.isolatedIsotope, feature.isolatedHeightAt(start)},
                at, options.realistic ? coIsolatedWith(feature, eluting, start) : std::vector<Precursor>{});
        }
        if (context.progress)
            context.progress(static_cast<double>(cycle + 1) / cycles);
    }
}

} // namespace kestrum::simulation
