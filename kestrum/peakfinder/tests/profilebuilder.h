#pragma once
// Builds small profile spectra for the peak finder's tests: Gaussian peaks of a given resolving
// power on an even m/z grid over a floor of seeded random noise, or recorded as an ion-counting
// detector records them.

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace kestrum::testing {

struct ProfileBuilder {
    double firstMz = 400;
    double lastMz = 600;
    double step = 0.004;
    double resolution = 15000;
    double noiseFloor = 1; // points carry uniform noise from 0 to twice this (none when 0)

    std::vector<double> mz;
    std::vector<double> intensity;

    ProfileBuilder& grid(unsigned seed = 1) {
        std::mt19937 random(seed);
        std::uniform_real_distribution<double> noise(0, 2 * noiseFloor);
        mz.clear();
        intensity.clear();
        for (double x = firstMz; x <= lastMz; x += step) {
            mz.push_back(x);
            intensity.push_back(noiseFloor > 0 ? noise(random) : 0.0);
        }
        return *this;
    }

    ProfileBuilder& peak(double centre, double height) {
        const double sigma = centre / resolution / 2.354820045;
        for (std::size_t i = 0; i < mz.size(); ++i) {
            const double u = (mz[i] - centre) / sigma;
            if (std::abs(u) < 6)
                intensity[i] += height * std::exp(-0.5 * u * u);
        }
        return *this;
    }

    // Background ions of no interest, one every m/z at .6 past the whole number, a few counts
    // high (exponentially distributed heights of the given mean, at least 1).
    ProfileBuilder& background(unsigned seed, double meanHeight) {
        std::mt19937 random(seed);
        std::exponential_distribution<double> noiseHeight(1 / meanHeight);
        for (double x = firstMz + 0.6; x < lastMz - 1; x += 1.0)
            peak(x, std::max(1.0, noiseHeight(random)));
        return *this;
    }

    // Whole ions per point, and nothing between the peaks but the zero that bounds each stretch of
    // counts: the profile as a counting detector stores it.
    ProfileBuilder& countIons() {
        std::vector<double> countedMz;
        std::vector<double> counted;
        const auto ionsAt = [this](std::size_t i) { return std::round(intensity[i]); };
        for (std::size_t i = 0; i < mz.size(); ++i) {
            const bool besideIons = (i > 0 && ionsAt(i - 1) > 0) || (i + 1 < mz.size() && ionsAt(i + 1) > 0);
            if (ionsAt(i) > 0 || besideIons) {
                countedMz.push_back(mz[i]);
                counted.push_back(ionsAt(i));
            }
        }
        mz = std::move(countedMz);
        intensity = std::move(counted);
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
