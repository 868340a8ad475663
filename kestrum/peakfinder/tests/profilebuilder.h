#pragma once
// Builds small profile spectra for the peak finder's tests: Gaussian peaks of a given resolving
// power on an even m/z grid over a floor of seeded random noise.

#include <cmath>
#include <random>
#include <vector>

namespace kestrum::testing {

struct ProfileBuilder {
    double firstMz = 400;
    double lastMz = 600;
    double step = 0.004;
    double resolution = 15000;
    double noiseFloor = 1; // points carry uniform noise from 0 to twice this

    std::vector<double> mz;
    std::vector<double> intensity;

    ProfileBuilder& grid(unsigned seed = 1) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> noise(0, 2 * noiseFloor);
        mz.clear();
        intensity.clear();
        for (double x = firstMz; x <= lastMz; x += step) {
            mz.push_back(x);
            intensity.push_back(noise(random));
        }
        return *this;
    }

    ProfileBuilder& peak(double centre, double height) {
        const double sigma = centre / resolution / 2.354820045;
        for (std::size_t i = 0; i < mz.size(); ++i) {
            const double u = (mz[i] - centre) / sigma;
            intensity[i] += height * std::exp(-0.5 * u * u);
        }
        return *this;
    }

    // Peaks of an isotope cluster: monoisotopic m/z, charge and the heights of M, M+1, ...
    ProfileBuilder& cluster(double monoisotopicMz, int charge, const std::vector<double>& heights) {
        for (std::size_t k = 0; k < heights.size(); ++k)
            peak(monoisotopicMz + static_cast<double>(k) * 1.00335 / charge, heights[k]);
        return *this;
    }
};

} // namespace kestrum::testing
