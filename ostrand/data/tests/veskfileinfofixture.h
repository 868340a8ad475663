#pragma once
// Vesk files laid out sample by sample for the data-file information tests: which samples, periods
// and experiments a file has, with cycles but no scans.

#include "kestrum/scantype.h"
#include "kestrum/veskwriter.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace veskfileinfotest {

using kestrum::ExperimentDefinition;

// One sample of a test acquisition: its name, the experiments of each period, and how many cycles
// every period records.
struct SampleLayout {
    QString name;
    std::vector<std::vector<ExperimentDefinition>> periods;
    int cyclesPerPeriod = 4;
};

ExperimentDefinition experiment(int scanTypeCode, double fixedMass = 0.0, int polarity = 0) {
    return {scanTypeCode, polarity, fixedMass};
}

class VeskFileInfoTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    // Writes a Vesk file with these samples; the information read here needs no scans.
    QString writeFile(const QString& name, const std::vector<SampleLayout>& samples) {
        const QString path = m_dir.filePath(name);
        kestrum::VeskWriter writer(path);
        for (const SampleLayout& layout : samples) {
            const int sample = writer.addSample(layout.name);
            for (const auto& experiments : layout.periods) {
                const int period = writer.addPeriod(sample);
                for (const ExperimentDefinition& definition : experiments)
                    writer.addExperiment(sample, period, definition);
                for (int cycle = 0; cycle < layout.cyclesPerPeriod; ++cycle)
                    writer.addCycle(sample, period, 2.0 * cycle);
            }
        }
        writer.commit();
        return path;
    }

    // A typical data-dependent run: a TOF MS survey followed by two product scans whose
    // precursors the instrument chooses.
    QString writeDdeRun() {
        return writeFile(QStringLiteral("dde.vesk"),
                         {{QStringLiteral("BSA digest"),
                           {{experiment(kestrum::TOFMS), experiment(kestrum::TOFProduct),
                             experiment(kestrum::TOFProduct)}},
                           6}});
    }

    QTemporaryDir m_dir;
};

} // namespace veskfileinfotest
