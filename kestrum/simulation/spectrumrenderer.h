#pragma once
// Turns the ions of one scan into the points a time-of-flight instrument records. Each ion is a
// Gaussian whose width follows the resolving power, sampled on the instrument's flight-time grid
// (equal steps of the square root of m/z), with counting noise on every point and a baseline of
// small random noise peaks; optionally a calibration shift common to the whole scan. Only non-zero stretches
// are kept, each bracketed by a zero point, as the instrument stores them. In centroid mode the points are
// the peaks' centroids instead.

#include "simulationrandom.h"

#include <vector>

namespace kestrum::simulation {

struct Peak {
    double mz = 0;
    double height = 0; // apex intensity, counts
};

struct MzRange {
    double low = 0;
    double high = 0;
};

struct InstrumentSettings {
    double resolution = 15000;      // m/z over full width at half maximum
    bool centroid = false;          // record centroided points instead of profile
    double massErrorPpm = 2;        // spread of each peak's measured position
    double noisePeaksPerMz = 0.025; // baseline noise peaks per unit of m/z
    double noiseHeight = 2.0;       // mean apex height of a noise peak, counts
    // Counting statistics: true Poisson counts on every point instead of a gentler spread, and a
    // further relative spread of each point (detector gain), as real instruments show.
    bool poissonCounts = false;
    double pointNoise = 0;          // relative standard deviation of each recorded point
    double calibrationErrorPpm = 0; // spread of one scan's shift of all its m/z values
};

struct ScanPoints {
    std::vector<double> mz;
    std::vector<double> intensity;
};

class SpectrumRenderer {
public:
    explicit SpectrumRenderer(const InstrumentSettings& settings);

    const InstrumentSettings& settings() const { return m_settings; }
    // Full width at half maximum of a peak at this m/z.
    double peakWidth(double mz) const { return mz / m_settings.resolution; }

    // The recorded points of a scan over `range` holding `ions` plus baseline noise.
    ScanPoints render(std::vector<Peak> ions, MzRange range, SimulationRandom& random) const;

private:
    void addNoisePeaks(std::vector<Peak>& peaks, MzRange range, SimulationRandom& random) const;
    ScanPoints profile(const std::vector<Peak>& peaks, MzRange range, SimulationRandom& random) const;
    ScanPoints centroids(std::vector<Peak>& peaks, SimulationRandom& random) const;
    double withCountingNoise(double value, SimulationRandom& random) const;

    InstrumentSettings m_settings;
};

} // namespace kestrum::simulation
