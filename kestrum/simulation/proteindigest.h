#pragma once
// The proteins a simulated sample is made of, their tryptic peptides, and the protein list as
// FASTA so that a search engine can be run against the same sequences.

#include <QString>
#include <vector>

class QIODevice;

namespace kestrum::simulation {

struct Protein {
    QString accession; // "SIM001"
    QString entryName; // "ALDS_SYNTH"
    QString description;
    QString sequence;
};

// A few dozen proteins of typical composition, built in so that generation needs no input.
const std::vector<Protein>& builtInProteins();

struct Peptide {
    QString sequence;
    std::vector<int> proteins; // indexes into the protein list, every protein that contains it
    double mass = 0;           // neutral monoisotopic
};

struct DigestRules {
    int minimumLength = 7;
    int maximumLength = 30;
    int missedCleavages = 1;
    double minimumMass = 600;
    double maximumMass = 4000;
};

// Peptides of a trypsin digest (cleavage after K or R, not before P), each sequence once, in
// the order of first appearance.
std::vector<Peptide> trypticPeptides(const std::vector<Protein>& proteins, const DigestRules& rules = {});

// The built-in proteins and their tryptic peptides, digested once per process.
struct PeptidePool {
    std::vector<Protein> proteins;
    std::vector<Peptide> peptides;

    static const PeptidePool& builtIn();
};

// ">SIM001|ALDS_SYNTH description" headers and sequences in lines of 60 residues.
void writeFasta(QIODevice& device, const std::vector<Protein>& proteins);

} // namespace kestrum::simulation
