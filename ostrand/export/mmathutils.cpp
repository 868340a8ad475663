#include "mmathutils.h"

#include "complementaryions.h"
#include "diagnostics/mlogger.h"

#include "errors/numberederror.h"
#include "kestrum/centroidablespectrum.h"
#include "kestrum/peakfinder/peakfinder.h"
#include "numbers/numberconversion.h"

#include <cmath>

using errors::NumberedError;
using numbers::numberText;

namespace MMathUtils {

namespace {

// iTRAQ reporter ions lie strictly between these m/z values; their isotope peaks are kept.
constexpr double reporterRegionLow = 112.5;
constexpr double reporterRegionHigh = 121.5;
// The monoisotopic m/z an isotope peak names is the m/z of that peak's own point.
constexpr double samePeakTolerance = 1e-9;

QString word(bool flag) {
    return flag ? QStringLiteral("True") : QStringLiteral("False");
}

void logFailure(const QString& description, bool deisotope, bool useIntensityNotArea,
                const kestrum::SpectrumData& original, const kestrum::SpectrumData& partial) {
    if (!MLogger::IsLogEnabled())
        return;
    MLogger::LogMessage(QStringLiteral("MMathUtils.DoCentroidNative failed"));
    MLogger::LogMessage(QStringLiteral("\terror = ") + description);
    MLogger::LogMessage(QStringLiteral("\tdeisotope = ") + word(deisotope));
    MLogger::LogMessage(QStringLiteral("\tuseIntensityNotArea = ") + word(useIntensityNotArea));
    MLogger::LogMessage(QStringLiteral("\tOriginal Data - start"));
    MLogger::LogMessage(SpectrumToText(original));
    MLogger::LogMessage(QStringLiteral("\tOriginal Data - end"));
    MLogger::LogMessage(QStringLiteral("\tCentroid Data - start"));
    MLogger::LogMessage(SpectrumToText(partial));
    MLogger::LogMessage(QStringLiteral("\tCentroid Data - end"));
}

[[noreturn]] void raiseCentroidFailure(const NumberedError& error, bool deisotope, bool useIntensityNotArea,
                                       const kestrum::SpectrumData& original,
                                       const kestrum::SpectrumData& partial) {
    logFailure(error.description(), deisotope, useIntensityNotArea, original, partial);
    throw NumberedError::system(QStringLiteral("Error centroiding data. (") + error.description() +
                                QLatin1Char(')'));
}

void buildPeakList(const kestrum::SpectrumData& spectrum, bool deisotope, bool iTraq,
                   bool useIntensityNotArea, double minIntensity, std::int16_t chargeState,
                   const ostrand::ComplementaryIons* complements, kestrum::CentroidableSpectrum& result) {
    // The default options, searching charges 1 to `chargeState` only when one is given.
    kestrum::PeakFinderOptions options;
    if (chargeState > 0)
        options.setChargeState(chargeState);
    options.reportWeakLonePeaks = complements != nullptr;
    const auto peaks = kestrum::PeakFinder().FindPeaks(spectrum, options);
    const std::vector<bool> partnered = complements
                                            ? complements->partnered(peaks->peaks(), options.minSignalToNoise)
                                            : std::vector<bool>(peaks->peaks().size());
    const int count = peaks->PeakCount();
    for (int i = 1; i <= count; ++i) {
        const std::size_t index = static_cast<std::size_t>(i - 1);
        if (peaks->peaks()[index].lacksEvidence && !partnered[index])
            continue;
        const double height = peaks->PeakValue(i).second;
        if (minIntensity > 0 && height < minIntensity)
            continue;
        bool keep = true;
        if (deisotope) {
            keep = peaks->StandsForItself(i);
            if (iTraq && !keep) {
                const double mz = peaks->PeakField(i, kestrum::PeakList::CentroidField);
                keep = mz > reporterRegionLow && mz < reporterRegionHigh;
            }
        }
        const double intensity =
            useIntensityNotArea ? height : peaks->PeakField(i, kestrum::PeakList::AreaField);
        if (keep) {
            result.AppendPoint(peaks->PeakField(i, kestrum::PeakList::CentroidField), intensity);
            result.SetChargeAt(result.PointCount(), peaks->PeakCharge(i));
            continue;
        }
        // An isotope peak adds its intensity to the point of its cluster's monoisotopic peak. When
        // that peak was left out (below the height threshold) the isotope is dropped too: the
        // nearest point belongs to another ion and must keep its own m/z and intensity.
        const double target = peaks->PeakField(i, kestrum::PeakList::MonoisotopicMzField);
        const int k = result.FindPointIndex(target, 1);
        if (k >= 1 && k <= result.PointCount() && std::abs(result.XAt(k) - target) <= samePeakTolerance)
            result.SetPoint(k, target, intensity + result.YAt(k));
    }
}

} // namespace

std::shared_ptr<kestrum::CentroidableSpectrum>
DoCentroidNative(const kestrum::SpectrumData& spectrum, bool deisotope, bool iTraq, bool useIntensityNotArea,
                 double minIntensity, std::int16_t chargeState,
                 const ostrand::ComplementaryIons* complements) {
    auto result = std::make_shared<kestrum::CentroidableSpectrum>();
    result->ResetFlag(0);
    try {
        buildPeakList(spectrum, deisotope, iTraq, useIntensityNotArea, minIntensity, chargeState, complements,
                      *result);
    } catch (const NumberedError& error) {
        raiseCentroidFailure(error, deisotope, useIntensityNotArea, spectrum, *result);
    }
    result->SetCentroided(true);
    return result;
}

std::shared_ptr<kestrum::PeakList> FindPeaksNative(const kestrum::SpectrumData& spectrum) {
    try {
        return kestrum::PeakFinder().FindPeaks(spectrum, kestrum::PeakFinderOptions());
    } catch (const NumberedError& error) {
        raiseCentroidFailure(error, false, false, spectrum, kestrum::CentroidableSpectrum());
    }
}

void ThresholdByPercent(kestrum::SpectrumData& spectrum, double percent) {
    if (percent <= 0)
        return;
    kestrum::CentroidableSpectrum copy;
    CopyPointRange(spectrum, 1, 0, copy);
    spectrum.SetPointCount(0);
    const double cutoff = copy.YRange().second * percent / 100.0;
    const std::vector<double>& mz = copy.mzValues();
    const std::vector<double>& intensity = copy.intensities();
    for (std::size_t i = 0; i < mz.size(); ++i)
        if (intensity[i] >= cutoff)
            spectrum.AppendPoint(mz[i], intensity[i]);
}

void CopyPointRange(const kestrum::SpectrumData& source, std::int32_t first, std::int32_t last,
                    kestrum::SpectrumData& target) {
    if (last < 1)
        last = source.PointCount();
    const std::int32_t count = std::max(0, last - first + 1);
    target.SetPointCount(count);
    for (std::int32_t i = 0; i < count; ++i) {
        const auto [x, y] = source.PointAt(first + i);
        target.SetPoint(i + 1, x, y);
    }
}

QString SpectrumToText(const kestrum::SpectrumData& spectrum) {
    try {
        QString text;
        const std::vector<double>& mz = spectrum.mzValues();
        const std::vector<double>& intensity = spectrum.intensities();
        for (std::size_t i = 0; i < mz.size(); ++i)
            text += numberText(mz[i]) + QLatin1Char('\t') + numberText(intensity[i]) + QStringLiteral("\r\n");
        return text;
    } catch (const std::exception& error) {
        return QStringLiteral("Error converting data to text: ") + QString::fromUtf8(error.what());
    }
}

} // namespace MMathUtils
