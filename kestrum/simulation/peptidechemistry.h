#pragma once
// Masses of peptides and their ions: monoisotopic residue masses (cysteine carbamidomethylated, as
// after the usual reduction and alkylation), isotope envelopes from an averagine model, and the b
// and y fragment series that collision-induced dissociation produces.

#include <QString>
#include <utility>
#include <vector>

namespace kestrum::simulation {

inline constexpr double ProtonMass = 1.007276;
inline constexpr double WaterMass = 18.010565;
inline constexpr double IsotopeSpacing = 1.003355;
// Carbamidomethyl on cysteine, a fixed modification of every simulated peptide.
inline constexpr double CarbamidomethylMass = 57.021464;

enum class Polarity { Positive, Negative };

// Monoisotopic mass of one residue by its one-letter code; raises for any other letter.
double residueMass(QChar residue);
// Neutral monoisotopic mass of a peptide: its residues plus water.
double peptideMass(const QString& sequence);
// m/z of an ion of the given neutral mass carrying `charge` protons (positive) or lacking them.
double ionMz(double neutralMass, int charge, Polarity polarity);

// Relative abundances of the isotope peaks M, M+1, ... of a peptide-like molecule of this mass
// (Poisson approximation of averagine), scaled so that the largest is 1; peaks below
// `minimumRelative` at the end of the envelope are left out.
std::vector<double> isotopeEnvelope(double neutralMass, double minimumRelative = 0.01);

// The isotope peak an instrument isolates for fragmentation: the more intense of the first two, so
// the second isotope for peptides heavier than about 1900 Da.
int isolatedIsotopeOf(double neutralMass);

// Charge states a peptide of this sequence and mass takes in electrospray, with their relative
// abundance: the most likely one first (1.0), then the neighbours its basic residues allow.
std::vector<std::pair<int, double>> chargeStates(const QString& sequence, double neutralMass);

// Retention on reversed-phase chromatography: higher elutes later. A sum of residue coefficients.
double hydrophobicity(const QString& sequence);

struct FragmentIon {
    char series = 'b'; // 'b' or 'y'
    int length = 0;    // residues in the fragment: b3, y7, ...
    int charge = 1;
    double neutralMass = 0;
    double mz = 0; // monoisotopic
    // The residue on the C-terminal side of the broken bond: cleavage before proline is favoured.
    QChar residueAfterCleavage;

    QString label() const { return QString(QChar::fromLatin1(series)) + QString::number(length); }
};

// Every b and y ion of a peptide (b1..b(n-1), y1..y(n-1)) for charges 1 to `maximumCharge`; an ion
// carries a charge only when it has at least that many residues.
std::vector<FragmentIon> fragmentIons(const QString& sequence, int maximumCharge, Polarity polarity);

} // namespace kestrum::simulation
