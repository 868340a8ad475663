#include "complementaryions.h"

#include "kestrum/peakfinder/isotopeclusterer.h"

#include <algorithm>
#include <cmath>

namespace ostrand {

namespace {

using kestrum::IsotopeClusterer;

// How far the neutral masses of two partners may add up from the precursor's, as a share of the
// precursor's neutral mass: weak peaks are centroided from a few ions.
constexpr double partnerTolerancePpm = 20;
// Both fragments of a cleavage may be weak: a weak peak that rises at least this share of the way
// to the cut is a partner too. The faint hills below it lie everywhere in ion-counting data, and
// two of them would often add up to the precursor by chance.
constexpr double weakPartnerShare = 0.5;

double neutralMass(double mz, int charge) {
    return (mz - IsotopeClusterer::protonMass) * charge;
}

} // namespace

ComplementaryIons::ComplementaryIons(double precursorMz, std::vector<int> charges)
    : m_precursorMz(precursorMz), m_charges(std::move(charges)) {}

std::vector<bool> ComplementaryIons::partnered(const std::vector<kestrum::Peak>& peaks,
                                               double signalToNoiseCut) const {
    std::vector<bool> result(peaks.size(), false);
    // The neutral masses of the fragments that may be partners; a fragment of unknown charge is
    // taken as singly charged, as most fragments of peptide ions are.
    const double weakPartnerMinimum = weakPartnerShare * signalToNoiseCut;
    std::vector<double> masses;
    for (const kestrum::Peak& peak : peaks)
        if (peak.standsForItself && (!peak.lacksEvidence || peak.signalToNoise >= weakPartnerMinimum))
            masses.push_back(neutralMass(peak.mz, std::max(peak.charge, 1)));
    std::sort(masses.begin(), masses.end());
    const auto hasPartner = [&masses](double partner, double tolerance) {
        const auto nearest = std::lower_bound(masses.begin(), masses.end(), partner - tolerance);
        return nearest != masses.end() && *nearest <= partner + tolerance;
    };
    for (const int charge : m_charges) {
        if (charge <= 0)
            continue;
        // The fragments of a precursor of charge 3 or more may carry two charges.
        const int highestFragmentCharge = charge >= 3 ? 2 : 1;
        // A precursor selected on its second isotope peak has an m/z one isotope spacing above
        // its monoisotopic one, so the fragments' masses add up to one of the two.
        for (const int selectedIsotope : {0, 1}) {
            const double precursor =
                neutralMass(m_precursorMz, charge) - selectedIsotope * IsotopeClusterer::isotopeSpacing;
            const double tolerance = precursor * partnerTolerancePpm * 1e-6;
            for (int fragmentCharge = 1; fragmentCharge <= highestFragmentCharge; ++fragmentCharge)
                for (std::size_t i = 0; i < peaks.size(); ++i)
                    if (peaks[i].lacksEvidence && !result[i])
                        result[i] =
                            hasPartner(precursor - neutralMass(peaks[i].mz, fragmentCharge), tolerance);
        }
    }
    return result;
}

} // namespace ostrand
