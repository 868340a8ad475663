#pragma once
// Finds the peaks of one spectrum after another with the options text it is given. Spectra that
// say they are centroided give one peak per point; all others are centroided first unless their
// points lie as far apart as a peak list's. The spectrum itself is never changed.

#include "kestrum/peakfinder/peakfinderalgorithm.h"
#include "kestrum/peakfinder/peaklist.h"

#include "kestrum_peakfinder_export.h"

#include <QString>
#include <memory>

namespace kestrum {

class SpectrumData;

class KESTRUM_PEAKFINDER_EXPORT PeakFinder {
public:
    // The only kind of search: peaks of a mass spectrum.
    static constexpr int massSpectrumMode = 1;

    PeakFinder();
    ~PeakFinder();

    // `maxPeaks` -1 keeps every peak, n >= 0 the n highest; `lowMz` and `highMz` bound the m/z
    // range searched, 0 leaving that side open. Raises when the options text is malformed.
    std::shared_ptr<PeakList> FindPeaks(int mode, const SpectrumData& spectrum, int maxPeaks, double lowMz,
                                        double highMz, const QString& options);
    // The same with the options as values, for callers that have no options text.
    std::shared_ptr<PeakList> FindPeaks(const SpectrumData& spectrum, const PeakFinderOptions& options,
                                        int maxPeaks = -1, double lowMz = 0, double highMz = 0);

private:
    PeakFinderAlgorithm m_algorithm;
    QString m_optionsText;
    PeakFinderOptions m_options;
    bool m_optionsRead = false;
};

} // namespace kestrum
