#pragma once
// The scan-type code an imported scan gets from its MS level and mass analyser, with the user's
// overrides for survey (MS1) and product (MS2) scans.

#include "sourcespectrum.h"

#include <optional>

namespace kestrum {

class ScanTypeRules {
public:
    std::optional<int> surveyOverride;  // code for every MS1 scan, whatever its analyser
    std::optional<int> productOverride; // code for every MS2 scan, whatever its analyser

    int code(int msLevel, MassAnalyzer analyzer) const;
};

} // namespace kestrum
