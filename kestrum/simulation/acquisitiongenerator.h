#pragma once
// Generates a synthetic acquisition with known answers: a Vesk file, its ground truth as JSON
// (OUT.truth.json beside OUT.vesk) and the protein list as FASTA (OUT.fasta) for searching it.
// The same options and seed always give the same files.

#include <QString>
#include <cstdint>
#include <functional>

namespace kestrum::simulation {

enum class AcquisitionMode {
    // Per cycle a profile survey scan ("TOF MS") and product scans ("TOF Product", fixed mass 0)
    // of the most intense precursors not recently fragmented.
    DataDependent,
    // Periods one after another, each with product experiments of chosen precursors whose fixed
    // mass is the precursor's m/z.
    FixedPrecursor,
};

struct GenerationOptions {
    QString outputPath; // the Vesk file to write
    std::uint64_t seed = 1;
    double minutes = 30; // length of each sample's run
    AcquisitionMode mode = AcquisitionMode::DataDependent;
    int samples = 1;
    int periods = 1;             // fixed-precursor runs only; a data-dependent run has one
    int experiments = 4;         // product experiments per period of a fixed-precursor run
    int topN = 6;                // product scans per cycle of a data-dependent run
    double exclusionSeconds = 8; // a fragmented precursor m/z is not chosen again for this long
    bool centroid = false;
    bool negative = false;
    double resolution = 15000; // m/z over full width at half maximum
    // As hard as real data: Poisson counts with 3 % point noise, about 150 chemical-noise ions per
    // product scan, fragment heights over three decades, a few ppm of m/z error, 10 to 22 % of
    // precursors isolated on their second isotope, co-isolated precursors adding their fragments,
    // near-isobaric peptides of the same charge eluting together, elution peaks as wide in long
    // runs as in short ones; density, peak widths, intensities and charge mix drawn per seed. Off,
    // the scans are clean and easy to read.
    bool realistic = true;
    bool recordCharges = true; // product scans carry their precursor's charge
};

struct GenerationResult {
    QString acquisitionPath;
    QString truthPath;
    QString fastaPath;
    int surveyScans = 0;
    int productScans = 0;
};

// OUT.truth.json and OUT.fasta for OUT.vesk (a name without ".vesk" keeps its whole name as OUT).
QString truthPathFor(const QString& acquisitionPath);
QString fastaPathFor(const QString& acquisitionPath);

// Raises an error saying which option is wrong and why.
void validateOptions(const GenerationOptions& options);

// Writes the three files, reporting the fraction done as it goes. On any failure it raises and
// leaves none of them behind.
GenerationResult generateAcquisition(const GenerationOptions& options,
                                     const std::function<void(double fractionDone)>& progress = {});

} // namespace kestrum::simulation
