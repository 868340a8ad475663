#include "productscansimulator.h"

#include <algorithm>

namespace kestrum::simulation {

namespace {

// Intensity of the strongest fragment relative to the isolated precursor peak in the survey scan:
// product scans accumulate longer, which makes up for the ions lost in the collision cell.
constexpr double FragmentYieldLow = 0.3;
constexpr double FragmentYieldHigh = 0.8;
// Fragments listed in the answer: weaker ones are lost in the counting noise.
constexpr double ListedFragmentHeight = 1.0;

// Relative intensity of one fragment ion before scaling, or 0 when it is not formed.
double fragmentAbundance(const FragmentIon& ion, int peptideLength, double spread, SimulationRandom& random) {
    const bool yIon = ion.series == 'y';
    if (!random.chance(yIon ? 0.85 : 0.65))
        return 0;
    double abundance = random.logNormal(yIon ? 0.25 : 0.12, spread);
    if (ion.residueAfterCleavage == u'P')
        abundance *= 4.0; // the bond before proline breaks most easily
    if (ion.length <= 2 || ion.length >= peptideLength - 1)
        abundance *= ion.series == 'b' && ion.length == 1 ? 0.05 : 0.3;
    if (ion.charge > 1)
        abundance *= random.chance(0.5) ? 0.5 : 0.0;
    return abundance;
}

void addIsotopePeaks(std::vector<Peak>& peaks, double neutralMass, double monoisotopicMz, int charge,
                     double monoisotopicHeight) {
    const std::vector<double> envelope = isotopeEnvelope(neutralMass);
    for (std::size_t k = 0; k < envelope.size(); ++k)
        peaks.push_back({monoisotopicMz + static_cast<double>(k) * IsotopeSpacing / charge,
                         monoisotopicHeight * envelope[k] / envelope[0]});
}

} // namespace

void makeRealistic(InstrumentSettings& instrument, ProductScanRealism& realism) {
    instrument.poissonCounts = true;
    instrument.pointNoise = 0.03;
    instrument.calibrationErrorPpm = 3;
    // Product scans are short and the collision cell loses ions: most fragments are a few counts.
    realism.fragmentSpread = 1.4;
    realism.fragmentYield = 0.07;
    realism.chemicalNoisePeaks = 150;
    realism.chemicalNoiseHeight = 8;
    realism.precursorErrorPpm = 3;
}

ProductScanSimulator::ProductScanSimulator(const InstrumentSettings& instrument, Polarity polarity,
                                           const PeptidePool& pool, const ProductScanRealism& realism)
    : m_pool(pool), m_realism(realism), m_renderer(instrument), m_polarity(polarity) {}

void ProductScanSimulator::addChemicalNoise(std::vector<Peak>& peaks, SimulationRandom& random) const {
    // Solvent clusters, polymers and fragments of unselected ions: singly charged, with isotopes.
    const int count = random.poisson(m_realism.chemicalNoisePeaks);
    for (int i = 0; i < count; ++i) {
        const double mz = random.uniform(ProductScanRange.low, ProductScanRange.high);
        const double height = random.logNormal(m_realism.chemicalNoiseHeight, 1.0);
        const std::vector<double> envelope = isotopeEnvelope(mz - ProtonMass);
        addIsotopePeaks(peaks, mz - ProtonMass, mz, 1, height * envelope[0]);
    }
}

std::vector<Peak> ProductScanSimulator::fragmentPeaks(const Precursor& precursor, double baseHeight,
                                                      SimulationRandom& random,
                                                      std::vector<FragmentTruth>& truth) const {
    const QString& sequence = precursor.peptide->sequence;
    const int length = static_cast<int>(sequence.size());
    const std::vector<FragmentIon> ions = fragmentIons(sequence, precursor.charge >= 3 ? 2 : 1, m_polarity);
    std::vector<double> abundances(ions.size());
    double strongest = 0;
    for (std::size_t i = 0; i < ions.size(); ++i) {
        abundances[i] = fragmentAbundance(ions[i], length, m_realism.fragmentSpread, random);
        strongest = std::max(strongest, abundances[i]);
    }
    std::vector<Peak> peaks;
    if (strongest <= 0)
        return peaks;
    for (std::size_t i = 0; i < ions.size(); ++i) {
        const FragmentIon& ion = ions[i];
        if (abundances[i] <= 0 || ion.mz < ProductScanRange.low || ion.mz > ProductScanRange.high)
            continue;
        // The envelope's most intense peak carries the fragment's abundance.
        const std::vector<double> envelope = isotopeEnvelope(ion.neutralMass);
        const double monoisotopicHeight = baseHeight * abundances[i] / strongest * envelope[0];
        addIsotopePeaks(peaks, ion.neutralMass, ion.mz, ion.charge, monoisotopicHeight);
        if (monoisotopicHeight >= ListedFragmentHeight)
            truth.push_back({ion.label(), ion.charge, ion.mz, monoisotopicHeight});
    }
    std::sort(truth.begin(), truth.end(), [](const auto& a, const auto& b) { return a.mz < b.mz; });
    return peaks;
}

SimulatedProductScan ProductScanSimulator::simulate(const Precursor& precursor, const ScanPosition& position,
                                                    SimulationRandom& random,
                                                    const std::vector<Precursor>& coIsolated) const {
    const Peptide& peptide = *precursor.peptide;
    SimulatedProductScan result;
    ProductScanTruth& truth = result.truth;
    truth.position = position;
    truth.peptide = peptide.sequence;
    for (int protein : peptide.proteins)
        truth.proteins.append(m_pool.proteins[protein].accession);
    truth.charge = precursor.charge;
    truth.monoisotopicMz = ionMz(peptide.mass, precursor.charge, m_polarity);
    truth.isolatedIsotope = precursor.isolatedIsotope;
    truth.isolatedMz = truth.monoisotopicMz + precursor.isolatedIsotope * IsotopeSpacing / precursor.charge;
    truth.precursorIntensity = precursor.intensity;
    truth.noiseLevel = m_renderer.settings().noiseHeight;

    const double baseHeight =
        precursor.intensity * m_realism.fragmentYield * random.uniform(FragmentYieldLow, FragmentYieldHigh);
    std::vector<Peak> peaks = fragmentPeaks(precursor, baseHeight, random, truth.fragments);
    // Some of the precursor survives the collision cell.
    const std::vector<double> envelope = isotopeEnvelope(peptide.mass);
    addIsotopePeaks(peaks, peptide.mass, truth.monoisotopicMz, precursor.charge,
                    baseHeight * random.uniform(0.05, 0.3) * envelope[0]);
    std::vector<FragmentTruth> notListed;
    for (const Precursor& other : coIsolated) {
        const double otherHeight =
            other.intensity * m_realism.fragmentYield * random.uniform(FragmentYieldLow, FragmentYieldHigh);
        const std::vector<Peak> otherPeaks = fragmentPeaks(other, otherHeight, random, notListed);
        peaks.insert(peaks.end(), otherPeaks.begin(), otherPeaks.end());
    }
    if (m_realism.chemicalNoisePeaks > 0)
        addChemicalNoise(peaks, random);

    ScanRecord& scan = result.scan;
    scan.sample = position.sample;
    scan.period = position.period;
    scan.experiment = position.experiment;
    scan.cycle = position.cycle;
    scan.retentionTimeSeconds = position.retentionTimeSeconds;
    if (m_realism.precursorErrorPpm > 0)
        truth.isolatedMz *= 1.0 + m_realism.precursorErrorPpm * 1e-6 * random.normal();
    scan.precursorMz = truth.isolatedMz;
    scan.precursorCharge = m_realism.recordCharges ? precursor.charge : 0;
    scan.centroided = m_renderer.settings().centroid;
    ScanPoints points = m_renderer.render(std::move(peaks), ProductScanRange, random);
    scan.mz = std::move(points.mz);
    scan.intensity = std::move(points.intensity);
    return result;
}

SimulatedProductScan ProductScanSimulator::randomScan(std::uint64_t seed, int index) const {
    SimulationRandom random = SimulationRandom::forKey(seed, {index});
    const Peptide& peptide = m_pool.peptides[random.below(static_cast<int>(m_pool.peptides.size()))];
    const std::vector<std::pair<int, double>> states = chargeStates(peptide.sequence, peptide.mass);
    const int charge = states[random.below(static_cast<int>(states.size()))].first;
    const Precursor precursor{&peptide, charge, isolatedIsotopeOf(peptide.mass), random.logNormal(1500, 1.0)};
    return simulate(precursor, ScanPosition{1, 0, 1, index, 0.0}, random);
}

} // namespace kestrum::simulation
