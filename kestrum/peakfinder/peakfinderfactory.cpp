#include "kestrum/peakfinder/peakfinderfactory.h"

#include "kestrum/kestrumerror.h"

namespace kestrum {

std::shared_ptr<PeakFinder> PeakFinderFactory::CreatePeakFinder(QString& options, int kind,
                                                                int version) const {
    if (kind != massSpectrumKind || version != currentVersion)
        throw KestrumError::system(
            QStringLiteral(
                "There is no peak finder of kind %1, version %2; kind 1, version 1 finds the peaks "
                "of mass spectra.")
                .arg(kind)
                .arg(version),
            QStringLiteral("PeakFinderFactory"));
    if (options.isEmpty())
        options = PeakFinderOptions().toText();
    else
        PeakFinderOptions::fromText(options);
    return std::make_shared<PeakFinder>();
}

} // namespace kestrum
