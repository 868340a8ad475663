#pragma once
// What a Vesk file records, as plain values that the reader hands out and the writer takes in: an
// experiment's scan type, polarity and fixed mass, and one scan with its place in the acquisition.

#include <optional>
#include <vector>

namespace kestrum {

struct ExperimentDefinition {
    int scanTypeCode = 0; // see scantype.h
    int polarity = 0;     // 0 positive, 1 negative
    double fixedMass = 0;
};

struct ScanRecord {
    int sample = 1; // samples count from 1
    int period = 0; // periods, experiments and cycles from 0
    int experiment = 0;
    int cycle = 0;
    double retentionTimeSeconds = 0;
    std::optional<double> precursorMz;
    int precursorCharge = 0; // 0 = unknown
    bool centroided = false;
    std::vector<double> mz, intensity; // ascending m/z, one intensity per m/z
};

} // namespace kestrum
