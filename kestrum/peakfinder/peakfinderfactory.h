#pragma once
// Hands out peak finders with their options. An empty options text asks for the defaults, which
// are then written back into it so that callers can change a field before the search.

#include "kestrum/peakfinder/peakfinder.h"

#include "kestrum_peakfinder_export.h"

#include <QString>
#include <memory>

namespace kestrum {

class KESTRUM_PEAKFINDER_EXPORT PeakFinderFactory {
public:
    // The peak finder of profile and centroided mass spectra, and its only version.
    static constexpr int massSpectrumKind = 1;
    static constexpr int currentVersion = 1;

    // Raises for another kind or version, or when a given options text is malformed.
    std::shared_ptr<PeakFinder> CreatePeakFinder(QString& options, int kind, int version) const;
};

} // namespace kestrum
