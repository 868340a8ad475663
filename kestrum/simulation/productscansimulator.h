#pragma once
// Product (MS/MS) scans of peptide precursors with their known answer: the b and y fragments a
// collision cell produces, with seeded relative intensities, isotope peaks, doubly charged fragments
// from precursors of charge 3 and more, and a remnant of the unfragmented precursor, recorded by a
// SpectrumRenderer. Acquisitions use it scan by scan; benchmarks draw single scans from it.

#include "kestrum/veskwriter.h"
#include "peptidechemistry.h"
#include "proteindigest.h"
#include "spectrumrenderer.h"

#include <QStringList>
#include <cstdint>
#include <vector>

namespace kestrum::simulation {

// What makes product scans as hard to read as real ones. The defaults give clean scans.
struct ProductScanRealism {
    double fragmentSpread = 0.9;    // spread (natural log) of the fragments' abundances
    double fragmentYield = 1;       // scales the strongest fragment against the isolated precursor
    int chemicalNoisePeaks = 0;     // mean number of ions of no peptide per scan, each with isotopes
    double chemicalNoiseHeight = 0; // median apex height of those ions, counts
    double precursorErrorPpm = 0;   // spread of the reported precursor m/z
    bool recordCharges = true;      // the scan carries its precursor's charge
};

// Counting statistics, m/z errors, chemical noise and fragment intensities as real instruments
// record them.
void makeRealistic(InstrumentSettings& instrument, ProductScanRealism& realism);

// m/z range of every product scan.
inline constexpr MzRange ProductScanRange{100.0, 2000.0};

struct ScanPosition {
    int sample = 1;
    int period = 0;
    int experiment = 0;
    int cycle = 0;
    double retentionTimeSeconds = 0;
};

struct Precursor {
    const Peptide* peptide = nullptr;
    int charge = 2;
    int isolatedIsotope = 0; // 0 when the monoisotopic peak was isolated, 1 for the second isotope
    double intensity = 0;    // height of the isolated peak in the survey scan, counts
};

struct FragmentTruth {
    QString ion; // "b3", "y7"
    int charge = 1;
    double mz = 0;     // monoisotopic, theoretical
    double height = 0; // apex height of its monoisotopic peak before noise, counts
};

struct ProductScanTruth {
    ScanPosition position;
    QString peptide;
    QStringList proteins; // accessions
    int charge = 0;
    double monoisotopicMz = 0;
    double isolatedMz = 0; // the precursor m/z the scan reports
    int isolatedIsotope = 0;
    double precursorIntensity = 0;
    double noiseLevel = 0;                // mean height of the baseline noise peaks
    std::vector<FragmentTruth> fragments; // those at one count or more, by ascending m/z
};

struct SimulatedProductScan {
    ScanRecord scan;
    ProductScanTruth truth;
};

class ProductScanSimulator {
public:
    ProductScanSimulator(const InstrumentSettings& instrument, Polarity polarity,
                         const PeptidePool& pool = PeptidePool::builtIn(),
                         const ProductScanRealism& realism = {});

    const SpectrumRenderer& renderer() const { return m_renderer; }
    Polarity polarity() const { return m_polarity; }

    // `coIsolated` are the other ions inside the isolation window, each with the height it has there:
    // their fragments join the scan but not its answer.
    SimulatedProductScan simulate(const Precursor& precursor, const ScanPosition& position,
                                  SimulationRandom& random,
                                  const std::vector<Precursor>& coIsolated = {}) const;
    // A scan of a peptide drawn from the pool, in one of its charge states at a typical intensity;
    // the same seed and index give the same scan.
    SimulatedProductScan randomScan(std::uint64_t seed, int index) const;

private:
    std::vector<Peak> fragmentPeaks(const Precursor& precursor, double baseHeight, SimulationRandom& random,
                                    std::vector<FragmentTruth>& truth) const;
    void addChemicalNoise(std::vector<Peak>& peaks, SimulationRandom& random) const;

    const PeptidePool& m_pool;
    ProductScanRealism m_realism;
    SpectrumRenderer m_renderer;
    Polarity m_polarity;
};

} // namespace kestrum::simulation
