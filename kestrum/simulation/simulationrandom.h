#pragma once
// The random numbers of the simulation: a small generator of our own (xoshiro256**) with its own
// distributions, so that a seed gives the same acquisition on every compiler and platform. Each
// scan draws from a generator keyed by the seed and its position, so scans do not depend on
// the order in which they are made.

#include <cstdint>
#include <initializer_list>

namespace kestrum::simulation {

class SimulationRandom {
public:
    explicit SimulationRandom(std::uint64_t seed);
    // A generator for one part of a run: the seed combined with the part's key numbers.
    static SimulationRandom forKey(std::uint64_t seed, std::initializer_list<std::int64_t> key);

    std::uint64_t next();
    // Uniform in [0, 1).
    double uniform();
    double uniform(double low, double high) { return low + (high - low) * uniform(); }
    // Uniform whole number in [0, count).
    int below(int count);
    bool chance(double probability) { return uniform() < probability; }
    double normal();
    double normal(double mean, double sd) { return mean + sd * normal(); }
    double exponential(double mean);
    // exp(normal(log(median), sigma)): a positive quantity spread over orders of magnitude.
    double logNormal(double median, double sigma);
    int poisson(double mean);

private:
    std::uint64_t m_state[4];
};

} // namespace kestrum::simulation
