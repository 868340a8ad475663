#pragma once
// One spectrum as read from an open-format input file, in the terms the importer needs: MS level,
// the analyser that recorded it, its precursor, its polarity and its points.

#include <optional>
#include <vector>

namespace kestrum {

// The kinds of mass analyser that decide a scan's type code.
enum class MassAnalyzer { Other, TimeOfFlight, FourierTransform, IonTrap };

struct SourceSpectrum {
    int msLevel = 1;
    MassAnalyzer analyzer = MassAnalyzer::Other;
    double retentionTimeSeconds = 0;
    std::optional<double> precursorMz;
    int precursorCharge = 0; // 0 = unknown
    bool negative = false;
    bool centroided = false;
    std::vector<double> mz, intensity; // ascending m/z
};

} // namespace kestrum
