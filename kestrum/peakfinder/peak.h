#pragma once
// One peak as the peak finder reports it: where it is, how big it is, and how it relates to the
// isotope cluster it belongs to. De-isotoping folds every peak that does not stand for itself
// into the peak at its cluster's monoisotopic m/z.

namespace kestrum {

struct Peak {
    double mz = 0;     // centroid m/z
    double height = 0; // highest intensity of the peak
    double area = 0;   // intensity integrated between the peak's bounds
    double signalToNoise = 0;
    double monoisotopicMz = 0;   // m/z of the cluster's monoisotopic peak; its own m/z when alone
    bool standsForItself = true; // false for a further isotope peak of a cluster
    int charge = 0;              // 0 when unknown
    // A lone profile peak below the signal-to-noise cut without an isotope peak beside it;
    // reported only to callers that ask for such peaks and weigh other evidence for them.
    bool lacksEvidence = false;
};

} // namespace kestrum
