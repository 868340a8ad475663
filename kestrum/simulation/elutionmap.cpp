#include "elutionmap.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kestrum::simulation {

namespace {

// How many peptides a minute of gradient separates, and the width of their elution peaks.
constexpr double PeptidesPerMinute = 150;
constexpr double PeakWidthPerRunMinute = 0.5; // seconds of FWHM per minute of run
constexpr double NarrowestPeakSeconds = 6;
constexpr double FixedPeakSeconds = 15;
constexpr double WidestPeakSeconds = 60;
constexpr double FwhmPerSigma = 2.354820045;
// Peptides elute between these fractions of the run: none in the dead volume, none in the wash.
constexpr double FirstElution = 0.04;
constexpr double LastElution = 0.94;

// A random selection of `count` peptides of the pool, in pool order.
std::vector<int> choosePeptides(int poolSize, int count, SimulationRandom& random) {
    std::vector<int> indexes(poolSize);
    std::iota(indexes.begin(), indexes.end(), 0);
    for (int i = 0; i < count; ++i)
        std::swap(indexes[i], indexes[i + random.below(poolSize - i)]);
    indexes.resize(count);
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}

} // namespace

double PeptideFeature::heightAt(double seconds) const {
    const double offset = (seconds - apexSeconds) / sigmaSeconds;
    return apexHeight * std::exp(-0.5 * offset * offset);
}

ElutionMap::ElutionMap(const PeptidePool& pool, double runSeconds, Polarity polarity, MzRange surveyRange,
                       SimulationRandom& random, const ElutionRealism& realism) {
    const double runMinutes = runSeconds / 60.0;
    m_peakWidthSeconds = realism.widthFollowsRunLength ? std::clamp(PeakWidthPerRunMinute * runMinutes,
                                                                    NarrowestPeakSeconds, WidestPeakSeconds)
                                                       : FixedPeakSeconds;
    const int poolSize = static_cast<int>(pool.peptides.size());
    const int count = std::min(poolSize, std::max(1, static_cast<int>(PeptidesPerMinute * runMinutes)));
    const std::vector<int> chosen = choosePeptides(poolSize, count, random);

    // Elution order: hydrophobicity with some scatter, mapped evenly over the gradient.
    std::vector<std::pair<double, int>> order;
    for (int index : chosen) {
        const Peptide& peptide = pool.peptides[index];
        order.emplace_back(hydrophobicity(peptide.sequence) + random.normal(0, 4.0), index);
    }
    std::sort(order.begin(), order.end());
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
        const Peptide& peptide = pool.peptides[order[rank].second];
        const double fraction = (static_cast<double>(rank) + 0.5) / static_cast<double>(order.size());
        const double apex = runSeconds * (FirstElution + (LastElution - FirstElution) * fraction);
        const double sigma = m_peakWidthSeconds / FwhmPerSigma * random.logNormal(1.0, 0.2);
        const double abundance = random.logNormal(1500, 1.3);
        const std::vector<double> envelope = isotopeEnvelope(peptide.mass);
        const int isolated = realism.secondIsotopeShare > 0
                                 ? (random.chance(realism.secondIsotopeShare) ? 1 : 0)
                                 : isolatedIsotopeOf(peptide.mass);
        for (const auto& [charge, share] : chargeStates(peptide.sequence, peptide.mass)) {
            // The preferred charge state is always seen; the others in about half of the peptides.
            if (share < 1.0 && !random.chance(0.5))
                continue;
            const double mz = ionMz(peptide.mass, charge, polarity);
            if (mz < surveyRange.low || mz > surveyRange.high)
                continue;
            m_features.push_back({&peptide, charge, apex, sigma, abundance * share, mz, isolated, envelope});
            m_widestSigma = std::max(m_widestSigma, sigma);
        }
    }
    std::stable_sort(m_features.begin(), m_features.end(),
                     [](const auto& a, const auto& b) { return a.apexSeconds < b.apexSeconds; });
}

void ElutionMap::elutingAt(double seconds, std::vector<const PeptideFeature*>& eluting) const {
    eluting.clear();
    const double reach = 4.0 * m_widestSigma;
    auto it = std::lower_bound(m_features.begin(), m_features.end(), seconds - reach,
                               [](const PeptideFeature& f, double t) { return f.apexSeconds < t; });
    for (; it != m_features.end() && it->apexSeconds <= seconds + reach; ++it)
        if (std::abs(seconds - it->apexSeconds) <= 4.0 * it->sigmaSeconds)
            eluting.push_back(&*it);
}

} // namespace kestrum::simulation
