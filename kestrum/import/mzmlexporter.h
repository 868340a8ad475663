#pragma once
// Writes one sample of a Vesk file as an indexed mzML file, so that other tools (msconvert, OpenMS,
// search engines) can read our acquisitions. Spectra are written one at a time in acquisition
// order: cycle by cycle, and within a cycle experiment by experiment.

#include <QString>
#include <functional>

namespace kestrum {

struct ConversionProgress {
    qsizetype spectrum = 0; // spectra written so far
    qsizetype spectrumCount = 0;
};

class MzmlExporter {
public:
    // Called after each spectrum; it may throw to abandon the conversion, which then leaves nothing.
    std::function<void(const ConversionProgress&)> reportProgress;

    // Raises a KestrumError naming the file and the reason when the Vesk file cannot be read,
    // has no such sample, or the output cannot be written; on failure no output file is left and
    // an older one is kept.
    void exportSample(const QString& veskPath, int sample, const QString& output) const;
};

} // namespace kestrum
