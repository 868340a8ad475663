#include "peptidechemistry.h"

#include "kestrum/kestrumerror.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kestrum::simulation {

namespace {

struct ResidueProperties {
    double mass = 0;
    double retention = 0;
};

// Indexed by letter from 'A'; a zero mass marks letters that are not amino acids.
const std::array<ResidueProperties, 26>& residueTable() {
    static const std::array<ResidueProperties, 26> table = [] {
        std::array<ResidueProperties, 26> t{};
        auto set = [&t](char letter, double mass, double retention) { t[letter - 'A'] = {mass, retention}; };
        set('G', 57.021464, -0.2);
        set('A', 71.037114, 2.0);
        set('S', 87.032028, -0.2);
        set('P', 97.052764, 2.0);
        set('V', 99.068414, 5.0);
        set('T', 101.047679, 0.6);
        set('C', 103.009185 + CarbamidomethylMass, 2.6);
        set('L', 113.084064, 8.1);
        set('I', 113.084064, 7.4);
        set('N', 114.042927, -0.6);
        set('D', 115.026943, 0.2);
        set('Q', 128.058578, 0.0);
        set('K', 128.094963, -2.1);
        set('E', 129.042593, 1.1);
        set('M', 131.040485, 5.5);
        set('H', 137.058912, -2.1);
        set('F', 147.068414, 8.1);
        set('R', 156.101111, -0.6);
        set('Y', 163.063329, 4.5);
        set('W', 186.079313, 8.8);
        return t;
    }();
    return table;
}

const ResidueProperties& residue(QChar letter) {
    const char c = letter.toLatin1();
    if (c >= 'A' && c <= 'Z' && residueTable()[c - 'A'].mass > 0)
        return residueTable()[c - 'A'];
    throw KestrumError::system(
        QStringLiteral("'%1' is not the one-letter code of an amino acid.").arg(letter));
}

// Expected number of heavy isotopes (13C, 15N, 2H, 17O, 18O, 34S) per dalton of averagine.
constexpr double HeavyIsotopesPerDalton = 0.000533;

} // namespace

double residueMass(QChar letter) {
    return residue(letter).mass;
}

double peptideMass(const QString& sequence) {
    double mass = WaterMass;
    for (QChar letter : sequence)
        mass += residueMass(letter);
    return mass;
}

double ionMz(double neutralMass, int charge, Polarity polarity) {
    const double protons = polarity == Polarity::Positive ? ProtonMass : -ProtonMass;
    return (neutralMass + charge * protons) / charge;
}

std::vector<double> isotopeEnvelope(double neutralMass, double minimumRelative) {
    const double lambda = neutralMass * HeavyIsotopesPerDalton;
    std::vector<double> envelope;
    double probability = std::exp(-lambda);
    double largest = 0;
    for (int k = 0; k < 12; ++k) {
        if (k > 0)
            probability *= lambda / k;
        largest = std::max(largest, probability);
        if (k > lambda && probability < minimumRelative * largest)
            break;
        envelope.push_back(probability);
    }
    for (double& value : envelope)
        value /= largest;
    return envelope;
}

int isolatedIsotopeOf(double neutralMass) {
    const std::vector<double> envelope = isotopeEnvelope(neutralMass);
    return envelope.size() > 1 && envelope[1] > envelope[0] ? 1 : 0;
}

std::vector<std::pair<int, double>> chargeStates(const QString& sequence, double neutralMass) {
    // Each basic residue (and the N terminus) can carry a proton; heavier peptides carry more.
    const int basic = static_cast<int>(sequence.count(u'K') + sequence.count(u'R') + sequence.count(u'H'));
    const int highest = std::min(4, 1 + basic);
    const int massPreferred = neutralMass < 800 ? 1 : neutralMass < 2000 ? 2 : neutralMass < 3000 ? 3 : 4;
    const int preferred = std::min(massPreferred, highest);
    std::vector<std::pair<int, double>> states{{preferred, 1.0}};
    if (preferred + 1 <= highest)
        states.emplace_back(preferred + 1, 0.3);
    if (preferred - 1 >= 1)
        states.emplace_back(preferred - 1, 0.15);
    return states;
}

double hydrophobicity(const QString& sequence) {
    double sum = 0;
    for (QChar letter : sequence)
        sum += residue(letter).retention;
    return sum;
}

std::vector<FragmentIon> fragmentIons(const QString& sequence, int maximumCharge, Polarity polarity) {
    const int n = static_cast<int>(sequence.size());
    std::vector<double> prefix(n + 1, 0.0);
    for (int i = 0; i < n; ++i)
        prefix[i + 1] = prefix[i] + residueMass(sequence[i]);
    std::vector<FragmentIon> ions;
    ions.reserve(2 * static_cast<std::size_t>(std::max(n - 1, 0)) *
                 static_cast<std::size_t>(std::max(maximumCharge, 0)));
    for (int charge = 1; charge <= maximumCharge; ++charge) {
        for (int length = std::max(1, charge); length < n; ++length) {
            // A b ion keeps the first residues as an acylium ion; a y ion the last ones plus water.
            const double bMass = prefix[length];
            ions.push_back({'b', length, charge, bMass, ionMz(bMass, charge, polarity), sequence[length]});
            const double yMass = prefix[n] - prefix[n - length] + WaterMass;
            ions.push_back(
                {'y', length, charge, yMass, ionMz(yMass, charge, polarity), sequence[n - length]});
        }
    }
    return ions;
}

} // namespace kestrum::simulation
