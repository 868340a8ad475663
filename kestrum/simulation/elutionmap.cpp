#include "elutionmap.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kestrum::simulation {

namespace {

// The width of elution peaks that follow the run length.
constexpr double PeakWidthPerRunMinute = 0.5; // seconds of FWHM per minute of run
constexpr double NarrowestPeakSeconds = 6;
constexpr double WidestPeakSeconds = 60;
constexpr double FwhmPerSigma = 2.354820045;
// Peptides elute between these fractions of the run: none in the dead volume, none in the wash.
constexpr double FirstElution = 0.04;
constexpr double LastElution = 0.94;
// A co-eluting partner lies this far in m/z from its peptide: far enough for the survey scan to
// resolve the two and for dynamic exclusion to let both be fragmented, near enough for a precursor
// window of 1 m/z.
constexpr double NearestPartnerMz = 0.1;
constexpr double FarthestPartnerMz = 1.0;

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

ElutionRealism ElutionRealism::variedFor(std::uint64_t seed) {
    SimulationRandom random = SimulationRandom::forKey(seed, {-7});
    ElutionRealism realism;
    realism.widthFollowsRunLength = false;
    realism.peptidesPerMinute = random.uniform(70, 150);
    realism.fixedPeakSeconds = random.uniform(10, 22);
    realism.abundanceMedian = random.logNormal(1500, 0.4);
    realism.abundanceSpread = random.uniform(1.1, 1.6);
    realism.otherChargeShare = random.uniform(0.35, 0.7);
    realism.secondIsotopeShare = random.uniform(0.1, 0.22);
    realism.coElutingShare = random.uniform(0.025, 0.05);
    return realism;
}

double PeptideFeature::heightAt(double seconds) const {
    const double offset = (seconds - apexSeconds) / sigmaSeconds;
    return apexHeight * std::exp(-0.5 * offset * offset);
}

ElutionMap::ElutionMap(const PeptidePool& pool, double runSeconds, Polarity polarity, MzRange surveyRange,
                       SimulationRandom& random, const ElutionRealism& realism) {
    const double runMinutes = runSeconds / 60.0;
    m_peakWidthSeconds = realism.widthFollowsRunLength ? std::clamp(PeakWidthPerRunMinute * runMinutes,
                                                                    NarrowestPeakSeconds, WidestPeakSeconds)
                                                       : realism.fixedPeakSeconds;
    const int poolSize = static_cast<int>(pool.peptides.size());
    const int count =
        std::min(poolSize, std::max(1, static_cast<int>(realism.peptidesPerMinute * runMinutes)));
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
        const double abundance = random.logNormal(realism.abundanceMedian, realism.abundanceSpread);
        const std::vector<double> envelope = isotopeEnvelope(peptide.mass);
        const int isolated = realism.secondIsotopeShare > 0
                                 ? (random.chance(realism.secondIsotopeShare) ? 1 : 0)
                                 : isolatedIsotopeOf(peptide.mass);
        for (const auto& [charge, share] : chargeStates(peptide.sequence, peptide.mass)) {
            // The preferred charge state is always seen; the others in some of the peptides.
            if (share < 1.0 && !random.chance(realism.otherChargeShare))
                continue;
            const double mz = ionMz(peptide.mass, charge, polarity);
            if (mz < surveyRange.low || mz > surveyRange.high)
                continue;
            m_features.push_back({&peptide, charge, apex, sigma, abundance * share, mz, isolated, envelope});
            m_widestSigma = std::max(m_widestSigma, sigma);
        }
    }
    if (realism.coElutingShare > 0)
        pairCoElutingPeptides(realism.coElutingShare, random);
    std::stable_sort(m_features.begin(), m_features.end(),
                     [](const auto& a, const auto& b) { return a.apexSeconds < b.apexSeconds; });
}

void ElutionMap::pairCoElutingPeptides(double share, SimulationRandom& random) {
    std::vector<const Peptide*> peptides;
    for (const PeptideFeature& feature : m_features)
        if (peptides.empty() || peptides.back() != feature.peptide)
            peptides.push_back(feature.peptide);
    std::vector<const Peptide*> paired;
    const auto isPaired = [&paired](const Peptide* peptide) {
        return std::find(paired.begin(), paired.end(), peptide) != paired.end();
    };
    const int wanted = static_cast<int>(std::lround(share * static_cast<double>(peptides.size())));
    std::vector<std::size_t> candidates;
    for (int attempt = 0, pairs = 0; pairs < wanted && attempt < 20 * wanted; ++attempt) {
        const PeptideFeature& first = m_features[random.below(static_cast<int>(m_features.size()))];
        if (isPaired(first.peptide))
            continue;
        candidates.clear();
        for (std::size_t index = 0; index < m_features.size(); ++index) {
            const PeptideFeature& other = m_features[index];
            const double apart = std::abs(other.monoisotopicMz - first.monoisotopicMz);
            if (other.charge == first.charge && other.peptide != first.peptide && !isPaired(other.peptide) &&
                apart > NearestPartnerMz && apart <= FarthestPartnerMz)
                candidates.push_back(index);
        }
        if (candidates.empty())
            continue;
        const PeptideFeature& partner =
            m_features[candidates[random.below(static_cast<int>(candidates.size()))]];
        // The partner elutes within half a standard deviation of the first, at a comparable height, so that
        // both are fragmented while both are in the survey scan.
        const double apex = first.apexSeconds + random.normal(0, 0.5 * first.sigmaSeconds);
        const double scale = first.apexHeight * random.logNormal(1, 0.7) / partner.apexHeight;
        const Peptide* moved = partner.peptide;
        for (PeptideFeature& feature : m_features)
            if (feature.peptide == moved) {
                feature.apexSeconds = apex;
                feature.apexHeight *= scale;
            }
        paired.push_back(first.peptide);
        paired.push_back(moved);
        ++pairs;
    }
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
