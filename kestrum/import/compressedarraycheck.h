#pragma once
// A spectrum's zlib-compressed arrays checked in the input file before the reader library decodes
// them: a megabyte of crafted data can inflate to gigabytes, which the library would hold in memory
// before any check of the array's length could refuse it. Here each array is inflated into a small
// buffer that is thrown away, and inflation stops as soon as it passes what the spectrum declares
// (defaultArrayLength in mzML, peaksCount in mzXML), so memory stays bounded by that declaration.

#include <QString>

namespace kestrum {

// What is wrong with the spectrum whose element starts at byte `position` of the file at `path`:
// a compressed array that inflates past the points the spectrum declares. Empty when nothing is
// wrong, and when no spectrum starts there (the reader library then has its say).
QString compressedArrayProblem(const QString& path, qint64 position);

} // namespace kestrum
