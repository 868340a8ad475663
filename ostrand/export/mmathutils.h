#pragma once
// Turns spectra into peak lists: runs the peak finder over a spectrum and builds a centroided
// spectrum from its peaks (optionally folding isotope peaks into their monoisotopic peak, keeping
// the iTRAQ reporter region as it is, reporting heights or areas, keeping each peak's charge);
// thresholds by a percentage of the highest peak; dumps spectra as text for the diagnostic log.

#include <QString>
#include <cstdint>
#include <memory>

namespace kestrum {
class CentroidableSpectrum;
class PeakList;
class SpectrumData;
} // namespace kestrum

namespace ostrand {
class ComplementaryIons;
}

namespace MMathUtils {

// A new centroided spectrum made from the peaks of `spectrum`, which is left unchanged. Peaks
// lower than `minIntensity` (when it is above 0) are left out; `chargeState` above 0 bounds the
// charges the peak finder assigns. Raises "Error centroiding data. (...)" when the peak finder fails.
// With `complements` (a product spectrum of a known precursor), a lone peak below the peak
// finder's signal-to-noise cut is kept as well when its complementary fragment is listed.
std::shared_ptr<kestrum::CentroidableSpectrum>
DoCentroidNative(const kestrum::SpectrumData& spectrum, bool deisotope, bool iTraq, bool useIntensityNotArea,
                 double minIntensity, std::int16_t chargeState,
                 const ostrand::ComplementaryIons* complements = nullptr);

// The peak finder's peaks of `spectrum` under its default options, each with its isotope cluster
// and charge. Raises "Error centroiding data. (...)" when the peak finder fails.
std::shared_ptr<kestrum::PeakList> FindPeaksNative(const kestrum::SpectrumData& spectrum);

// Removes, in place, every point below `percent` per cent of the highest intensity; nothing when
// `percent` is 0 or less. Charges are not kept.
void ThresholdByPercent(kestrum::SpectrumData& spectrum, double percent);

// Copies points first..last (from 1; last below 1 means to the end) into `target`, numbered from 1.
void CopyPointRange(const kestrum::SpectrumData& source, std::int32_t first, std::int32_t last,
                    kestrum::SpectrumData& target);

// One line per point: m/z, tab, intensity, CR LF. Never fails.
QString SpectrumToText(const kestrum::SpectrumData& spectrum);

} // namespace MMathUtils
