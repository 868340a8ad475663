#pragma once
// The runs of one sample of a generated acquisition, written scan by scan through the Vesk
// writer with each product scan's answer going to the truth file.

#include "acquisitiongenerator.h"
#include "elutionmap.h"
#include "kestrum/veskwriter.h"
#include "productscansimulator.h"
#include "truthwriter.h"

#include <functional>

namespace kestrum::simulation {

// m/z range of every survey scan.
inline constexpr MzRange SurveyScanRange{350.0, 1700.0};
// Accumulation time of each product scan of a fixed-precursor run.
inline constexpr double FixedProductSeconds = 0.25;

struct SampleRunContext {
    const GenerationOptions& options;
    const ProductScanSimulator& simulator;
    VeskWriter& writer;
    TruthWriter& truth;
    std::function<void(double fractionOfSample)> progress;
    int surveyScans = 0;
    int productScans = 0;

    Polarity polarity() const { return simulator.polarity(); }
    // The polarity as experiments record it: 0 positive, 1 negative.
    int polarityCode() const { return polarity() == Polarity::Negative ? 1 : 0; }
    // The chromatography of a sample, the same for a seed and sample number whatever the mode.
    ElutionMap elutionOf(int sample) const;
    // Records one product scan in the file and its answer in the truth file; `coIsolated` add
    // their fragments to the scan.
    void addProductScan(const Precursor& precursor, const ScanPosition& position,
                        const std::vector<Precursor>& coIsolated = {});
};

// A data-dependent run: one period; experiment 0 the survey scan, experiments 1..topN the product
// scans of the most intense precursors not excluded.
void writeDataDependentSample(SampleRunContext& context, const QString& sampleName);
// A run of consecutive periods whose experiments fragment fixed precursors.
void writeFixedPrecursorSample(SampleRunContext& context, const QString& sampleName);

} // namespace kestrum::simulation
