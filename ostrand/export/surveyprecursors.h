#pragma once
// The precursors of a cycle's product scans as its survey scan shows them. The survey scan's peaks
// are found once per cycle; each product scan then looks up the survey peak it was selected on:
// its centroid and charge, the monoisotopic m/z of its isotope cluster when the selected peak is the
// cluster's second or third peak, and how precisely the survey places a peak. Two selections are
// the same ion when the survey cannot tell their precursors apart.

#include <cstdint>
#include <memory>

namespace kestrum {
class PeakList;
class SpectrumData;
} // namespace kestrum

namespace ostrand {

// One selected precursor as the survey scan shows it; unknown when the survey shows no peak there.
struct PrecursorIon {
    double selectedMz = 0;     // centroid of the survey peak the instrument selected; 0: unknown
    double monoisotopicMz = 0; // m/z of its cluster's monoisotopic peak (the selected one's own when alone)
    std::int16_t charge = 0;   // 0 when the survey gives none
    double accuracy = 0;       // how far apart the survey's centroids of one peak may lie

    bool known() const { return selectedMz > 0; }
    // Whether the survey tells the two apart: both known, and their charges (where both are known)
    // or both their selected and their monoisotopic peaks differ by more than the surveys' accuracy.
    bool differsFrom(const PrecursorIon& other) const;
};

class SurveyPrecursors {
public:
    SurveyPrecursors();
    ~SurveyPrecursors();

    // Finds the survey scan's peaks; an empty scan has none. Raises "Error centroiding data. (...)"
    // when the peak finder fails.
    void findPeaks(const kestrum::SpectrumData& survey);
    // The most intense survey peak (by area; the lower one on a tie) within 0.1 of the m/z the
    // instrument recorded; unknown when there is none.
    PrecursorIon ionAt(double recordedMz) const;

private:
    std::shared_ptr<kestrum::PeakList> m_peaks;
};

} // namespace ostrand
