#pragma once
// A spectrum that knows whether it holds profile data or a peak list; what FileSpectrum loads,
// what CopySpectrum returns and what the peak finder's callers build results in.

#include "kestrum/spectrumdata.h"

namespace kestrum {

class KESTRUM_EXPORT CentroidableSpectrum : public SpectrumData {
public:
    using SpectrumData::SpectrumData;

    bool IsCentroided() const { return isFlagSet(CentroidedFlag); }
    void SetCentroided(bool centroided) { setFlag(CentroidedFlag, centroided); }
};

} // namespace kestrum
