#pragma once
// The chromatography of one simulated sample: which peptide ions elute when, and how strongly.
// Peptides elute in the order of their hydrophobicity, spread over the run, each with a Gaussian
// elution profile; each ion appears in the charge states its sequence allows.

#include "peptidechemistry.h"
#include "proteindigest.h"
#include "simulationrandom.h"
#include "spectrumrenderer.h"

#include <cstdint>
#include <vector>

namespace kestrum::simulation {

struct PeptideFeature {
    const Peptide* peptide = nullptr;
    int charge = 2;
    double apexSeconds = 0;
    double sigmaSeconds = 0;
    double apexHeight = 0; // of the envelope's most intense peak in the survey scan, counts
    double monoisotopicMz = 0;
    int isolatedIsotope = 0;
    std::vector<double> envelope; // relative heights of M, M+1, ..., the largest 1

    double heightAt(double seconds) const;
    double isolatedMz() const { return monoisotopicMz + isolatedIsotope * IsotopeSpacing / charge; }
    double isolatedHeightAt(double seconds) const { return heightAt(seconds) * envelope[isolatedIsotope]; }
};

struct ElutionRealism {
    // Longer runs widen the elution peaks, as longer gradients do; otherwise they keep the width of
    // a 30-minute run, so that long runs are no easier to sample than short ones.
    bool widthFollowsRunLength = true;
    // Share of precursors the instrument isolates on their second isotope whatever their mass; 0
    // isolates the more intense of the first two.
    double secondIsotopeShare = 0;
    double peptidesPerMinute = 150;
    double fixedPeakSeconds = 15; // full width at half maximum when it does not follow the run length
    double abundanceMedian = 1500;
    double abundanceSpread = 1.3;  // natural log
    double otherChargeShare = 0.5; // peptides seen in the charge states beside their preferred one
    // Share of peptides given a partner of the same charge within 1 m/z that elutes with them, as
    // busy stretches of real gradients have: the survey scan tells the two apart, a wide precursor
    // window does not.
    double coElutingShare = 0;

    // Drawn once per seed within the bounds of real nano-LC runs, so that no single seed is the
    // whole story: density, peak widths, intensity range, charge mix, isolation on the second
    // isotope and co-eluting near-isobaric pairs.
    static ElutionRealism variedFor(std::uint64_t seed);
};

class ElutionMap {
public:
    // Ions whose monoisotopic m/z lies outside `surveyRange` are not part of the map. Longer runs
    // spread the peptides further.
    ElutionMap(const PeptidePool& pool, double runSeconds, Polarity polarity, MzRange surveyRange,
               SimulationRandom& random, const ElutionRealism& realism = {});

    const std::vector<PeptideFeature>& features() const { return m_features; }
    // Ions eluting at this time, that is within four standard deviations of their apex.
    void elutingAt(double seconds, std::vector<const PeptideFeature*>& eluting) const;

private:
    void pairCoElutingPeptides(double share, SimulationRandom& random);

    std::vector<PeptideFeature> m_features; // by ascending apex
    double m_peakWidthSeconds = 0;          // typical full width at half maximum
    double m_widestSigma = 0;
};

} // namespace kestrum::simulation
