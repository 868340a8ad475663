#pragma once
// Small Vesk files written with the real writer into a private temporary folder.

#include "kestrum/scantype.h"
#include "kestrum/veskwriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace kestrum::testing {

inline ScanRecord makeScan(int sample, int period, int experiment, int cycle, double seconds,
                           std::vector<double> mz, std::vector<double> intensity) {
    ScanRecord scan;
    scan.sample = sample;
    scan.period = period;
    scan.experiment = experiment;
    scan.cycle = cycle;
    scan.retentionTimeSeconds = seconds;
    scan.mz = std::move(mz);
    scan.intensity = std::move(intensity);
    return scan;
}

// Sample 1 "Run A": one period, a TOF MS survey (experiment 0) in every one of 4 cycles starting at
// 60, 62, 64 and 66 s, and a data-dependent TOF Product (experiment 1) in cycles 0 and 2 only.
// Sample 2 "Run B": period 0 with one Q1 experiment over 2 cycles; period 1 with two negative
// experiments over 3 cycles and no scans at all.
inline void writeTwoSampleFile(const QString& path) {
    VeskWriter writer(path);
    const int a = writer.addSample(QStringLiteral("Run A"));
    writer.addPeriod(a);
    writer.addExperiment(a, 0, {TOFMS, 0, 0});
    writer.addExperiment(a, 0, {TOFProduct, 0, 0});
    for (int cycle = 0; cycle < 4; ++cycle) {
        writer.addCycle(a, 0, 60.0 + 2 * cycle);
        writer.addScan(makeScan(a, 0, 0, cycle, 60.1 + 2 * cycle, {400.0, 523.7812, 600.0 + cycle},
                                {10.0 * (cycle + 1), 100.0, 1.0}));
    }
    for (int cycle : {0, 2}) {
        ScanRecord product = makeScan(a, 0, 1, cycle, 61.0 + 2 * cycle, {120.5, 250.25, 500.125}, {5, 7, 9});
        product.precursorMz = 523.7812;
        product.precursorCharge = 2;
        product.centroided = true;
        writer.addScan(product);
    }
    const int b = writer.addSample(QStringLiteral("Run B"));
    writer.addPeriod(b);
    writer.addExperiment(b, 0, {Q1Scan, 0, 0});
    writer.addCycle(b, 0, 0.0);
    writer.addCycle(b, 0, 30.0);
    writer.addScan(makeScan(b, 0, 0, 1, 31.0, {100.0}, {3.0}));
    writer.addPeriod(b);
    writer.addExperiment(b, 1, {Q3Scan, 1, 0});
    writer.addExperiment(b, 1, {ProductScan, 1, 250.0});
    for (int cycle = 0; cycle < 3; ++cycle)
        writer.addCycle(b, 1, 100.0 + 10 * cycle);
    writer.commit();
}

class VeskFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    QString pathOf(const QString& name) const { return folder.filePath(name); }
    QStringList filesInFolder() const { return QDir(folder.path()).entryList(QDir::Files); }

    QTemporaryDir folder;
};

} // namespace kestrum::testing
