#pragma once
// Reads the spectra of one mzML or mzXML file, one at a time and in acquisition order, through the
// ProteoWizard reader library. The library checks an index against the file before it trusts it.

#include "sourcespectrum.h"

#include <QString>
#include <memory>

namespace kestrum {

class SpectrumSource {
public:
    // Raises a KestrumError naming the file when it is missing, empty or not mzML/mzXML.
    explicit SpectrumSource(const QString& path);
    ~SpectrumSource();
    SpectrumSource(const SpectrumSource&) = delete;
    SpectrumSource& operator=(const SpectrumSource&) = delete;

    // The run's id, or the file's base name when the run has none.
    QString runName() const;
    qsizetype count() const;
    // Spectrum `index` (from 0) with its points; raises a KestrumError naming the file and the
    // spectrum when its data cannot be read.
    SourceSpectrum read(qsizetype index) const;
    // The MS level alone, without decoding the points.
    int msLevel(qsizetype index) const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace kestrum
