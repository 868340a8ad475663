#include "truthwriter.h"

#include "kestrum/kestrumerror.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>

namespace kestrum::simulation {

namespace {

// Enough digits for any instrument: m/z to a micro-unit, intensities to a hundredth of a count.
double rounded(double value, double scale) {
    return std::round(value * scale) / scale;
}

QByteArray compact(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject scanEntry(const ProductScanTruth& truth) {
    QJsonArray fragments;
    for (const FragmentTruth& fragment : truth.fragments)
        fragments.append(QJsonObject{{QStringLiteral("ion"), fragment.ion},
                                     {QStringLiteral("charge"), fragment.charge},
                                     {QStringLiteral("mz"), rounded(fragment.mz, 1e6)},
                                     {QStringLiteral("height"), rounded(fragment.height, 100)}});
    const ScanPosition& at = truth.position;
    return QJsonObject{
        {QStringLiteral("sample"), at.sample},
        {QStringLiteral("period"), at.period},
        {QStringLiteral("experiment"), at.experiment},
        {QStringLiteral("cycle"), at.cycle},
        {QStringLiteral("retentionTimeSeconds"), rounded(at.retentionTimeSeconds, 1000)},
        {QStringLiteral("peptide"), truth.peptide},
        {QStringLiteral("proteins"), QJsonArray::fromStringList(truth.proteins)},
        {QStringLiteral("charge"), truth.charge},
        {QStringLiteral("monoisotopicMz"), rounded(truth.monoisotopicMz, 1e6)},
        {QStringLiteral("isolatedMz"), rounded(truth.isolatedMz, 1e6)},
        {QStringLiteral("isolatedIsotope"), truth.isolatedIsotope},
        {QStringLiteral("precursorIntensity"), rounded(truth.precursorIntensity, 100)},
        {QStringLiteral("noiseLevel"), truth.noiseLevel},
        {QStringLiteral("fragments"), fragments},
    };
}

} // namespace

TruthWriter::TruthWriter(const QString& path, const TruthHeader& header) : m_file(path) {
    if (!m_file.open(QIODevice::WriteOnly))
        throw KestrumError::system(
            QStringLiteral("Cannot create the ground-truth file %1: %2").arg(path, m_file.errorString()));
    QByteArray opening = compact(QJsonObject{
        {QStringLiteral("settings"), header.settings},
        {QStringLiteral("samples"), QJsonArray::fromStringList(header.sampleNames)},
        {QStringLiteral("fasta"), header.fastaFileName},
        {QStringLiteral("fixedModifications"), QJsonArray{QStringLiteral("Carbamidomethyl (C)")}},
    });
    opening.chop(1); // leaves the object open for the scan list
    write(opening + ",\"productScans\":[\n");
}

void TruthWriter::addProductScan(const ProductScanTruth& truth) {
    write((m_productScans > 0 ? QByteArrayLiteral(",\n") : QByteArray()) + compact(scanEntry(truth)));
    ++m_productScans;
}

void TruthWriter::commit(int surveyScans) {
    write(QStringLiteral("\n],\"surveyScanCount\":%1,\"productScanCount\":%2}\n")
              .arg(surveyScans)
              .arg(m_productScans)
              .toLatin1());
    if (!m_file.commit())
        failWriting();
}

void TruthWriter::write(const QByteArray& bytes) {
    if (m_file.write(bytes) != bytes.size())
        failWriting();
}

void TruthWriter::failWriting() const {
    throw KestrumError::system(QStringLiteral("Cannot write the ground-truth file %1: %2")
                                   .arg(m_file.fileName(), m_file.errorString()));
}

} // namespace kestrum::simulation
