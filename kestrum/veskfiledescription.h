#pragma once
// A plain-text description of a Vesk file for people: its samples, periods, experiments with their
// scan types, cycles and scans, and which samples are data-dependent runs.

#include "kestrum_export.h"

#include <QString>

namespace kestrum {

class VeskFile;

// Whether the sample is a data-dependent run: it has exactly one period, and an experiment of it
// is a product scan whose precursor is chosen during acquisition.
KESTRUM_EXPORT bool isDataDependentSample(const VeskFile& file, int sample);

KESTRUM_EXPORT QString describeVeskFile(const VeskFile& file);

} // namespace kestrum
