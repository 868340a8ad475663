#pragma once
// A data-access spectrum as a late-bound object, so that clients calling by name (the batch
// search client, scripts, the host's graph window) can hand spectra to the public classes and read
// them back. A spectrum loaded from a file also tells which file, sample, period, experiment and
// time it came from, as the trace of a graph window does.

#include "kestrum_automation_export.h"

#include "automation/dispatch.h"

#include <memory>

namespace kestrum {
class CentroidableSpectrum;
}

class KESTRUM_AUTOMATION_EXPORT CentroidableSpectrumFace
    : public automation::DispatchObject<CentroidableSpectrumFace> {
public:
    static QString staticClassName() { return QStringLiteral("CentroidableSpectrum"); }
    static const automation::DispatchTable<CentroidableSpectrumFace>& dispatchTable();

    explicit CentroidableSpectrumFace(std::shared_ptr<kestrum::CentroidableSpectrum> spectrum);

    const std::shared_ptr<kestrum::CentroidableSpectrum>& spectrum() const { return m_spectrum; }

private:
    std::shared_ptr<kestrum::CentroidableSpectrum> m_spectrum;
};
