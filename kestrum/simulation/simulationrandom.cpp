#include "simulationrandom.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kestrum::simulation {

namespace {

std::uint64_t splitMix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

std::uint64_t rotateLeft(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

} // namespace

SimulationRandom::SimulationRandom(std::uint64_t seed) {
    for (std::uint64_t& word : m_state)
        word = splitMix(seed);
}

SimulationRandom SimulationRandom::forKey(std::uint64_t seed, std::initializer_list<std::int64_t> key) {
    std::uint64_t mixed = seed;
    for (std::int64_t part : key) {
        std::uint64_t x = mixed ^ static_cast<std::uint64_t>(part);
        mixed = splitMix(x);
    }
    return SimulationRandom(mixed);
}

std::uint64_t SimulationRandom::next() {
    const std::uint64_t result = rotateLeft(m_state[1] * 5, 7) * 9;
    const std::uint64_t t = m_state[1] << 17;
    m_state[2] ^= m_state[0];
    m_state[3] ^= m_state[1];
    m_state[1] ^= m_state[2];
    m_state[0] ^= m_state[3];
    m_state[2] ^= t;
    m_state[3] = rotateLeft(m_state[3], 45);
    return result;
}

double SimulationRandom::uniform() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

int SimulationRandom::below(int count) {
    return static_cast<int>(uniform() * count);
}

double SimulationRandom::normal() {
    // Box-Muller; 1 - u keeps the logarithm away from zero.
    const double u = 1.0 - uniform();
    const double v = uniform();
    return std::sqrt(-2.0 * std::log(u)) * std::cos(2.0 * std::numbers::pi * v);
}

double SimulationRandom::exponential(double mean) {
    return -mean * std::log(1.0 - uniform());
}

double SimulationRandom::logNormal(double median, double sigma) {
    return median * std::exp(sigma * normal());
}

int SimulationRandom::poisson(double mean) {
    if (mean > 30.0)
        return std::max(0, static_cast<int>(std::lround(normal(mean, std::sqrt(mean)))));
    const double limit = std::exp(-mean);
    int count = 0;
    for (double product = uniform(); product > limit; product *= uniform())
        ++count;
    return count;
}

} // namespace kestrum::simulation
