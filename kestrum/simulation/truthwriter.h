#pragma once
// The ground truth of a generated acquisition as JSON: the settings it was made with, then one
// entry per product scan, written as the scans are made so that no run is held in memory. The
// file appears only when commit() succeeds.

#include "productscansimulator.h"

#include "files/savefile.h"

#include <QFile>
#include <QJsonObject>
#include <QStringList>

namespace kestrum::simulation {

struct TruthHeader {
    QJsonObject settings; // how the acquisition was generated
    QStringList sampleNames;
    QString fastaFileName; // the protein list beside the truth file
};

class TruthWriter {
public:
    // Raises when the file cannot be created.
    TruthWriter(const QString& path, const TruthHeader& header);

    void addProductScan(const ProductScanTruth& truth);
    // Closes the list with the scan counts and puts the file in place; raises on a write failure.
    void commit(int surveyScans);

private:
    void write(const QByteArray& bytes);
    [[noreturn]] void failWriting() const;

    files::SaveFile m_save;
    QFile m_file; // the save's temporary file

    int m_productScans = 0;
};

} // namespace kestrum::simulation
