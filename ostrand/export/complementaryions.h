#pragma once
// Evidence for weak fragment peaks from their complementary ions. A peptide ion breaks into two
// fragments whose neutral masses add up to the peptide's (a b ion and its y partner), so a weak
// peak whose partner the peak list already holds is seldom noise, while a weak peak of chemical
// noise finds a partner only by chance. Partners are sought for each charge the precursor is
// searched with, for a precursor selected on its first or second isotope peak, and for weak
// fragments of one charge or, from precursors of three charges or more, of two.

#include "kestrum/peakfinder/peak.h"

#include <vector>

namespace ostrand {

class ComplementaryIons {
public:
    // `precursorMz` of a positive ion searched with each of `charges` (an unknown charge is
    // searched with several: a partner for any of them counts).
    ComplementaryIons(double precursorMz, std::vector<int> charges);

    // For each peak: whether it lacks evidence of its own and its complementary ion, for one of the
    // precursor's charges, is a peak that has some or a weak one not far below `signalToNoiseCut`.
    std::vector<bool> partnered(const std::vector<kestrum::Peak>& peaks, double signalToNoiseCut) const;

private:
    double m_precursorMz;
    std::vector<int> m_charges;
};

} // namespace ostrand
