#pragma once
// Writes small mzML files for tests: a run of spectra with chosen MS levels, analysers, precursors
// and points, so that each import rule can be checked on a file that shows exactly that case.

#include <QString>
#include <optional>
#include <vector>

namespace testfixture {

struct FixtureSpectrum {
    int msLevel = 1;
    QString analyzer = QStringLiteral("orbitrap"); // "orbitrap", "ion trap", "time-of-flight", "quadrupole"
    double retentionTimeSeconds = 0;
    std::optional<double> precursorMz;
    int charge = 0;
    bool negative = false;
    bool centroided = true;
    std::vector<double> mz{100.0, 200.0};
    std::vector<double> intensity{10.0, 20.0};
};

// Writes an mzML file (not indexed, uncompressed 64-bit arrays); the run is named `runId`.
void writeMzml(const QString& path, const std::vector<FixtureSpectrum>& spectra,
               const QString& runId = QStringLiteral("fixture_run"));

} // namespace testfixture
