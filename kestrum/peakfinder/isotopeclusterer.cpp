#include "kestrum/peakfinder/isotopeclusterer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

namespace kestrum {

namespace {

// Mean number of heavy isotopes per dalton of a peptide of average composition (13C, 2H, 15N, 17O,
// 33S), the parameter of the Poisson approximation to its isotope distribution.
constexpr double heavyIsotopesPerDalton = 0.000536;
// How far an observed intensity ratio of neighbouring isotope peaks may stray from the expected one.
constexpr double ratioFactor = 2.2;
constexpr double ratioSlack = 0.3;
constexpr double lowestRatioShare = 0.25;
// Isotope peaks closer than this many tolerances cannot be told from centroid error.
constexpr double spacingInTolerances = 4;
constexpr std::size_t none = std::numeric_limits<std::size_t>::max();

double poissonMean(double mz, int charge) {
    return heavyIsotopesPerDalton * std::max(0.0, (mz - IsotopeClusterer::protonMass) * charge);
}

} // namespace

std::size_t IsotopeClusterer::nearestFree(const std::vector<Peak>& peaks, std::size_t from, double mz,
                                          double tolerance) const {
    // Isotope neighbours lie a few peaks from the one the search starts at, so walking there
    // beats a binary search over the whole list.
    std::size_t first = from;
    if (peaks[from].mz < mz - tolerance) {
        while (first < peaks.size() && peaks[first].mz < mz - tolerance)
            ++first;
    } else {
        while (first > 0 && peaks[first - 1].mz >= mz - tolerance)
            --first;
    }
    std::size_t best = none;
    for (std::size_t index = first; index < peaks.size() && peaks[index].mz <= mz + tolerance; ++index)
        if (!m_placed[index] &&
            (best == none || std::abs(peaks[index].mz - mz) < std::abs(peaks[best].mz - mz)))
            best = index;
    return best;
}

void IsotopeClusterer::growChain(const std::vector<Peak>& peaks, std::size_t seed, int charge,
                                 const IsotopeTolerance& tolerance, Chain& chain) const {
    chain.members.assign(1, seed);
    chain.charge = charge;
    chain.misfit = 0;
    const double spacing = isotopeSpacing / charge;
    const double lambda = poissonMean(peaks[seed].mz, charge);

    // Downwards: the seed is the strongest free peak, so a peak below it can only be an earlier
    // isotope when the pattern lets a later isotope outgrow an earlier one.
    std::size_t current = seed;
    for (;;) {
        const double target = peaks[current].mz - spacing;
        const std::size_t lower = nearestFree(peaks, current, target, tolerance.at(target));
        if (lower == none)
            break;
        const double ratio = peaks[current].height / peaks[lower].height;
        if (ratio > ratioFactor * lambda + ratioSlack)
            break;
        chain.misfit += std::abs(std::log(ratio / std::max(lambda, 1e-3)));
        chain.members.insert(chain.members.begin(), lower);
        current = lower;
    }
    // Upwards: each isotope k follows isotope k - 1 at about lambda / k of its intensity.
    auto position = static_cast<int>(chain.members.size()) - 1;
    current = seed;
    for (;;) {
        const double target = peaks[current].mz + spacing;
        const std::size_t upper = nearestFree(peaks, current, target, tolerance.at(target));
        if (upper == none)
            break;
        const double expected = lambda / (position + 1);
        const double ratio = peaks[upper].height / peaks[current].height;
        if (ratio > ratioFactor * expected + ratioSlack || ratio < lowestRatioShare * expected)
            break;
        chain.misfit += std::abs(std::log(ratio / expected));
        chain.members.push_back(upper);
        current = upper;
        ++position;
    }
}

void IsotopeClusterer::assign(std::vector<Peak>& peaks, const IsotopeTolerance& tolerance, int chargeLimit) {
    for (Peak& peak : peaks) {
        peak.charge = 0;
        peak.standsForItself = true;
        peak.monoisotopicMz = peak.mz;
    }
    m_order.resize(peaks.size());
    std::iota(m_order.begin(), m_order.end(), std::size_t{0});
    // Strongest first; equal heights in m/z order, so that the outcome never depends on the sort.
    std::sort(m_order.begin(), m_order.end(), [&peaks](std::size_t a, std::size_t b) {
        return peaks[a].height > peaks[b].height || (peaks[a].height == peaks[b].height && a < b);
    });
    m_placed.assign(peaks.size(), 0);

    for (std::size_t seed : m_order) {
        if (m_placed[seed])
            continue;
        m_placed[seed] = 1;
        m_best.members.clear();
        const double mz = peaks[seed].mz;
        for (int charge = chargeLimit; charge >= 1; --charge) {
            const double spacing = isotopeSpacing / charge;
            if (spacing < spacingInTolerances * tolerance.at(mz) || spacing < tolerance.resolvableShare * mz)
                continue;
            growChain(peaks, seed, charge, tolerance, m_candidate);
            const bool longer = m_candidate.members.size() > m_best.members.size();
            const bool fitsBetter =
                m_candidate.members.size() == m_best.members.size() && m_candidate.misfit < m_best.misfit;
            if (m_candidate.members.size() >= 2 && (longer || fitsBetter))
                std::swap(m_best, m_candidate);
        }
        if (m_best.members.empty())
            continue;
        const std::size_t monoisotopic = m_best.members.front();
        for (std::size_t member : m_best.members) {
            m_placed[member] = 1;
            peaks[member].charge = m_best.charge;
            peaks[member].monoisotopicMz = peaks[monoisotopic].mz;
            peaks[member].standsForItself = member == monoisotopic;
        }
    }
}

} // namespace kestrum
