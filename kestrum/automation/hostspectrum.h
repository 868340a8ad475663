#pragma once
// A data-access spectrum as a late-bound object, so that clients calling by name (the batch
// search client, scripts) can hand spectra to the public classes and read them back.

#include "automation/dispatch.h"

#include <memory>

namespace kestrum {
class CentroidableSpectrum;
}

class HostSpectrum : public automation::DispatchObject<HostSpectrum> {
public:
    static QString staticClassName() { return QStringLiteral("CentroidableSpectrum"); }
    static const automation::DispatchTable<HostSpectrum>& dispatchTable();

    explicit HostSpectrum(std::shared_ptr<kestrum::CentroidableSpectrum> spectrum);

    const std::shared_ptr<kestrum::CentroidableSpectrum>& spectrum() const { return m_spectrum; }

private:
    std::shared_ptr<kestrum::CentroidableSpectrum> m_spectrum;
};
