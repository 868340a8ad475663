#pragma once
// Estimates the noise level along a profile spectrum, window by window of m/z, so that a peak's
// signal-to-noise ratio is judged against the noise around it. Where the instrument kept its
// noise, most hills of the profile are noise: their median height, after leaving out those that
// clearly are peaks, is the level. Where it dropped its noise and stored mostly zeros between the
// peaks, what noise remains is the foot of the stored peaks: the lowest tenth of non-zero points.

#include <span>
#include <vector>

namespace kestrum {

class NoiseEstimator {
public:
    struct Apex {
        double mz;
        double height;
    };

    // `apexes` are the tops of the profile's hills, in ascending m/z.
    void estimate(std::span<const double> mz, std::span<const double> intensity,
                  std::span<const Apex> apexes);
    // The noise level at an m/z, interpolated between window centres; the level of all hills
    // together where no window had enough of them, and 0 when nothing was measured.
    double levelAt(double mz) const;

private:
    double footLevel(std::span<const double> intensity);
    double hillLevel(std::span<const Apex> apexes);

    struct Window {
        double centreMz;
        double level;
    };
    std::vector<Window> m_windows;
    std::vector<double> m_scratch;
    double m_overallLevel = 0;
};

} // namespace kestrum
