#pragma once
// The peak finder's options and their text form, a comma-separated list of numbers:
//   field 1  height percentage at which a profile peak's centroid is taken (50)
//   field 2  charge state: 0 determines charges; n > 0 searches charges 1 to n only (0)
//   field 3  lowest signal-to-noise ratio of a reported profile peak (2); peaks of an isotope
//            cluster are reported down to a tenth of it
//   field 4  highest charge searched when charges are determined (8)
// Callers only ever replace field 2, so the charge must stay second.

#include "kestrum_peakfinder_export.h"

#include <QString>

namespace kestrum {

struct KESTRUM_PEAKFINDER_EXPORT PeakFinderOptions {
    double heightPercent = 50;
    int chargeState = 0;
    double minSignalToNoise = 2;
    int maxCharge = 8;
    // Not part of the text: also reports the lone profile peaks below the cut, flagged as lacking
    // evidence, for callers that can tell fragments from noise by what else the spectrum holds.
    bool reportWeakLonePeaks = false;

    // The highest charge an isotope cluster may be given under these options.
    int chargeLimit() const { return chargeState > 0 ? chargeState : maxCharge; }
    // Searches charges 1 to `charge` only (0: determines charges), at most the highest charge the
    // finder tells apart.
    void setChargeState(int charge);

    QString toText() const;
    // Raises a KestrumError naming the field when the text is malformed; missing trailing
    // fields keep their defaults.
    static PeakFinderOptions fromText(const QString& text);
};

} // namespace kestrum
