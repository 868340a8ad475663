#pragma once
// Groups peaks into isotope clusters and gives each cluster its charge. Clusters are grown from
// the strongest peak not yet placed: for every charge that the data can resolve, a chain of peaks
// spaced 1.00335/z apart whose intensities follow the isotope pattern of a peptide of that mass;
// the longest, best-fitting chain wins. A peak much stronger than the pattern allows ends a chain,
// so that a cluster overlapping another one leaves that cluster's first peak to start its own.

#include "kestrum/peakfinder/peak.h"

#include "kestrum_peakfinder_export.h"

#include <vector>

namespace kestrum {

// How far an isotope peak may sit from its expected m/z: absolute plus a share of the m/z.
struct IsotopeTolerance {
    double absolute = 0;
    double relative = 0;
    // Narrowest isotope spacing that peaks of this data can show apart, as a share of the m/z;
    // 0 when unknown.
    double resolvableShare = 0;

    double at(double mz) const { return absolute + relative * mz; }
};

class KESTRUM_PEAKFINDER_EXPORT IsotopeClusterer {
public:
    static constexpr double isotopeSpacing = 1.00335;
    static constexpr double protonMass = 1.007276;

    // Sets charge, monoisotopic m/z and "stands for itself" on every peak; `peaks` must be in
    // ascending m/z. Charges run from 1 to `chargeLimit`.
    void assign(std::vector<Peak>& peaks, const IsotopeTolerance& tolerance, int chargeLimit);

private:
    struct Chain {
        std::vector<std::size_t> members; // ascending m/z
        int charge = 0;
        double misfit = 0; // summed distance of the intensity ratios from the expected ones
    };

    void growChain(const std::vector<Peak>& peaks, std::size_t seed, int charge,
                   const IsotopeTolerance& tolerance, Chain& chain) const;
    std::size_t nearestFree(const std::vector<Peak>& peaks, std::size_t from, double mz,
                            double tolerance) const;

    std::vector<std::size_t> m_order;
    std::vector<char> m_placed;
    Chain m_best;
    Chain m_candidate;
};

} // namespace kestrum
