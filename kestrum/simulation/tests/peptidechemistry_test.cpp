#include "kestrum/simulation/peptidechemistry.h"
#include "kestrum/simulation/proteindigest.h"

#include "errors/numberederror.h"

#include <QBuffer>
#include <gtest/gtest.h>

#include <algorithm>

using namespace kestrum::simulation;

namespace {

const FragmentIon& findIon(const std::vector<FragmentIon>& ions, char series, int length, int charge) {
    auto it = std::find_if(ions.begin(), ions.end(), [&](const FragmentIon& ion) {
        return ion.series == series && ion.length == length && ion.charge == charge;
    });
    if (it == ions.end())
        throw std::runtime_error("ion not found");
    return *it;
}

TEST(PeptideChemistry, MassesOfPeptidesAndTheirIons) {
    // Values computed by hand from the monoisotopic residue masses.
    EXPECT_NEAR(peptideMass(QStringLiteral("PEPTIDE")), 799.359964, 1e-6);
    EXPECT_NEAR(ionMz(799.359964, 2, Polarity::Positive), 400.687258, 1e-6);
    EXPECT_NEAR(ionMz(799.359964, 1, Polarity::Negative), 798.352688, 1e-6);
    // Cysteine is carbamidomethylated.
    EXPECT_NEAR(peptideMass(QStringLiteral("ACK")) - peptideMass(QStringLiteral("AGK")),
                103.009185 + 57.021464 - 57.021464, 1e-6);

    const std::vector<FragmentIon> ions = fragmentIons(QStringLiteral("PEPTIDE"), 2, Polarity::Positive);
    EXPECT_NEAR(findIon(ions, 'b', 2, 1).mz, 227.102633, 1e-6);
    EXPECT_NEAR(findIon(ions, 'y', 1, 1).mz, 148.060434, 1e-6);
    EXPECT_NEAR(findIon(ions, 'y', 6, 1).mz, 703.314476, 1e-6);
    EXPECT_NEAR(findIon(ions, 'y', 6, 2).mz, (703.314476 + ProtonMass) / 2, 1e-6);
    EXPECT_EQ(findIon(ions, 'y', 6, 1).label(), QStringLiteral("y6"));
    // b_i + y_(n-i) is the precursor plus two protons, for every cleavage.
    for (int i = 1; i < 7; ++i)
        EXPECT_NEAR(findIon(ions, 'b', i, 1).mz + findIon(ions, 'y', 7 - i, 1).mz,
                    799.359964 + 2 * ProtonMass, 1e-6);
    // 6 cleavages, b and y, singly and doubly charged (no doubly charged ion of one residue).
    EXPECT_EQ(ions.size(), 12u + 10u);
    // The residue after the broken bond: y5 of PEPTIDE starts at the second P.
    EXPECT_EQ(findIon(ions, 'y', 5, 1).residueAfterCleavage, u'P');

    EXPECT_THROW(peptideMass(QStringLiteral("PEPXIDE")), errors::NumberedError);
}

TEST(PeptideChemistry, IsotopeEnvelopesGrowWithMass) {
    const std::vector<double> light = isotopeEnvelope(800);
    EXPECT_EQ(light[0], 1.0);
    EXPECT_NEAR(light[1], 800 * 0.000533, 0.01);
    const std::vector<double> heavy = isotopeEnvelope(3500);
    EXPECT_GT(heavy[1], heavy[0]);
    EXPECT_GT(heavy.size(), light.size());
    EXPECT_EQ(*std::max_element(heavy.begin(), heavy.end()), 1.0);

    EXPECT_EQ(isolatedIsotopeOf(1200), 0);
    EXPECT_EQ(isolatedIsotopeOf(2500), 1);
}

TEST(PeptideChemistry, ChargeStatesFollowMassAndBasicResidues) {
    EXPECT_EQ(chargeStates(QStringLiteral("AGLLVEK"), 700).front().first, 1);
    EXPECT_EQ(chargeStates(QStringLiteral("AGLLVEKAGLLVEK"), 1400).front().first, 2);
    // Without enough basic residues a heavy peptide cannot reach charge 4.
    for (const auto& [charge, share] : chargeStates(QStringLiteral("AGLLVEAGLLVEAGLLVEAGLLVEK"), 3500))
        EXPECT_LE(charge, 2);
    EXPECT_EQ(chargeStates(QStringLiteral("AGLLVHKAGLLRVEAGLLVEAGLLVEK"), 3500).front().first, 4);
}

TEST(ProteinDigest, TrypsinCutsAfterLysineAndArginineButNotBeforeProline) {
    const std::vector<Protein> proteins{
        {QStringLiteral("P1"), QStringLiteral("ONE"), QStringLiteral("first"),
         QStringLiteral("AAAAAAKPGGGGGGRLLLLLLLKVVVVVVVV")},
        {QStringLiteral("P2"), QStringLiteral("TWO"), QStringLiteral("second"),
         QStringLiteral("MMMMMMMRLLLLLLLK")},
    };
    DigestRules rules;
    rules.minimumMass = 0;
    std::vector<QString> sequences;
    for (const Peptide& peptide : trypticPeptides(proteins, rules))
        sequences.push_back(peptide.sequence);
    const std::vector<QString> expected{
        QStringLiteral("AAAAAAKPGGGGGGR"),  QStringLiteral("AAAAAAKPGGGGGGRLLLLLLLK"),
        QStringLiteral("LLLLLLLK"),         QStringLiteral("LLLLLLLKVVVVVVVV"),
        QStringLiteral("VVVVVVVV"),         QStringLiteral("MMMMMMMR"),
        QStringLiteral("MMMMMMMRLLLLLLLK"),
    };
    EXPECT_EQ(sequences, expected);
    // A peptide found in both proteins names both.
    const std::vector<Peptide> peptides = trypticPeptides(proteins, rules);
    EXPECT_EQ(peptides[2].proteins, (std::vector<int>{0, 1}));
}

TEST(ProteinDigest, BuiltInPoolAndFastaAgree) {
    const PeptidePool& pool = PeptidePool::builtIn();
    EXPECT_GE(pool.proteins.size(), 24u);
    EXPECT_GT(pool.peptides.size(), 1500u);
    for (const Peptide& peptide : pool.peptides) {
        ASSERT_GE(peptide.mass, 600);
        ASSERT_LE(peptide.mass, 4000);
    }

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    writeFasta(buffer, pool.proteins);
    const QStringList lines = QString::fromLatin1(buffer.data()).split(u'\n', Qt::SkipEmptyParts);
    QString sequence;
    int protein = -1;
    for (const QString& line : lines) {
        if (line.startsWith(u'>')) {
            if (protein >= 0) {
                EXPECT_EQ(sequence, pool.proteins[protein].sequence);
            }
            ++protein;
            EXPECT_TRUE(line.startsWith(QStringLiteral(">%1|").arg(pool.proteins[protein].accession)));
            sequence.clear();
        } else {
            EXPECT_LE(line.size(), 60);
            sequence += line;
        }
    }
    EXPECT_EQ(sequence, pool.proteins.back().sequence);
    EXPECT_EQ(protein + 1, static_cast<int>(pool.proteins.size()));
}

} // namespace
