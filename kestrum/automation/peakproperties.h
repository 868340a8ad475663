#pragma once
// A peak's properties as late-bound callers ask for them, by number: 3 the charge of its isotope
// cluster (an Integer, 0 when unknown), 8 whether it stands for itself (a Boolean: a monoisotopic
// or lone peak). Peaks count from 1.

#include "kestrum_automation_export.h"

#include "kestrum/peakfinder/peaklist.h"

#include "automation/variant.h"

namespace kestrum {

enum PeakPropertyNumber : int {
    ChargeProperty = 3,
    StandsForItselfProperty = 8,
};

// Raises "Subscript out of range" naming the peak or the property when either does not exist.
KESTRUM_AUTOMATION_EXPORT automation::Variant PeakProperty(const PeakList& peaks, int index, int property);

} // namespace kestrum
