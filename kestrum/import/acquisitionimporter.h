#pragma once
// Imports mzML and mzXML files into one Vesk file, one sample per input file, streaming the spectra
// so that memory does not grow with the size of the input.

#include "scantyperules.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace kestrum {

struct ImportProgress {
    int input = 0; // from 0
    int inputCount = 0;
    QString path;
    qsizetype spectrum = 0; // spectra of this input done so far
    qsizetype spectrumCount = 0;
};

class AcquisitionImporter {
public:
    ScanTypeRules scanTypes;
    // Called after each spectrum; it may throw to abandon the import, which then leaves nothing.
    std::function<void(const ImportProgress&)> reportProgress;

    // Raises a KestrumError naming the file and the reason when an input cannot be read or the
    // output cannot be written; on failure no output file is left and an older one is kept.
    void importFiles(const QStringList& inputs, const QString& output) const;
};

} // namespace kestrum
