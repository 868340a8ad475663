#include "proteindigest.h"

#include "peptidechemistry.h"

#include <QHash>
#include <QIODevice>

namespace kestrum::simulation {

namespace {

// Positions just after each cleavage site, with 0 and the sequence length at the ends.
std::vector<int> cleavageBoundaries(const QString& sequence) {
    std::vector<int> boundaries{0};
    const int n = static_cast<int>(sequence.size());
    for (int i = 0; i + 1 < n; ++i) {
        const QChar c = sequence[i];
        if ((c == u'K' || c == u'R') && sequence[i + 1] != u'P')
            boundaries.push_back(i + 1);
    }
    boundaries.push_back(n);
    return boundaries;
}

} // namespace

std::vector<Peptide> trypticPeptides(const std::vector<Protein>& proteins, const DigestRules& rules) {
    std::vector<Peptide> peptides;
    QHash<QString, int> indexBySequence;
    for (int p = 0; p < static_cast<int>(proteins.size()); ++p) {
        const QString& sequence = proteins[p].sequence;
        const std::vector<int> boundaries = cleavageBoundaries(sequence);
        const int pieces = static_cast<int>(boundaries.size()) - 1;
        for (int first = 0; first < pieces; ++first) {
            for (int last = first; last < pieces && last - first <= rules.missedCleavages; ++last) {
                const int length = boundaries[last + 1] - boundaries[first];
                if (length < rules.minimumLength || length > rules.maximumLength)
                    continue;
                const QString peptide = sequence.mid(boundaries[first], length);
                const auto known = indexBySequence.constFind(peptide);
                if (known != indexBySequence.constEnd()) {
                    std::vector<int>& owners = peptides[*known].proteins;
                    if (owners.back() != p)
                        owners.push_back(p);
                    continue;
                }
                const double mass = peptideMass(peptide);
                if (mass < rules.minimumMass || mass > rules.maximumMass)
                    continue;
                indexBySequence.insert(peptide, static_cast<int>(peptides.size()));
                peptides.push_back({peptide, {p}, mass});
            }
        }
    }
    return peptides;
}

const PeptidePool& PeptidePool::builtIn() {
    static const PeptidePool pool{builtInProteins(), trypticPeptides(builtInProteins())};
    return pool;
}

void writeFasta(QIODevice& device, const std::vector<Protein>& proteins) {
    constexpr int LineLength = 60;
    for (const Protein& protein : proteins) {
        QString text =
            QStringLiteral(">%1|%2 %3\n").arg(protein.accession, protein.entryName, protein.description);
        for (qsizetype i = 0; i < protein.sequence.size(); i += LineLength)
            text += protein.sequence.mid(i, LineLength) + u'\n';
        device.write(text.toLatin1());
    }
}

} // namespace kestrum::simulation
