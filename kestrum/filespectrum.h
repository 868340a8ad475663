#pragma once
// A spectrum loaded from a Vesk file: the sum of an experiment's scans over a time range, titled
// like "+TOF Product (523.7812): 31.533 min" (or "a to b min" for a sum over several times).

#include "kestrum/centroidablespectrum.h"

namespace kestrum {

class KESTRUM_EXPORT FileSpectrum : public CentroidableSpectrum {
public:
    // Opens the file; raises when it cannot be read.
    void SetDataFile(const QString& path);
    // Replaces the points with the sum of the experiment's scans whose retention time lies between
    // the two times (seconds, either order). Points at exactly the same m/z are summed, and for
    // profile scans also points within half the local sampling interval (see pointmerge.h). The
    // result is centroided when every summed scan was; it is empty when no scan lies in the range.
    void LoadSpectrum(int sample, int period, int experiment, float startSeconds, float endSeconds);
};

// The time trace of one experiment: its total ion current with one point per cycle of the period,
// x in minutes ("min"), 0 where the experiment recorded no scan in that cycle.
class KESTRUM_EXPORT FileChromatogram : public SpectrumData {
public:
    void SetDataFile(const QString& path);
    void LoadChromatogram(int sample, int period, int experiment);
};

} // namespace kestrum
