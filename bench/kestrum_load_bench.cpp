// Loading spectra from a Vesk file: one 5,000-point profile scan, and a sum of 100 of them, per
// call. Counters give the file's bytes per point beside what zlib-compressed mzML would need.
#include "kestrum/filespectrum.h"
#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"
#include "kestrum/veskwriter.h"

#include <QByteArray>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <random>
#include <zlib.h>

namespace {

constexpr int pointsPerScan = 5000;
constexpr int cycles = 300;

// A time-of-flight-like profile: m/z on a square-root time grid, float32 intensities with noise.
kestrum::ScanRecord profileScan(int cycle, std::mt19937& random) {
    kestrum::ScanRecord scan;
    scan.cycle = cycle;
    scan.retentionTimeSeconds = 60.0 + cycle * 1.25;
    std::exponential_distribution<double> noise(0.01);
    for (int i = 0; i < pointsPerScan; ++i) {
        const double flightTime = 10.0 + i * 0.006 + (random() % 1000) * 1e-7;
        scan.mz.push_back(flightTime * flightTime);
        scan.intensity.push_back(static_cast<float>(noise(random)));
    }
    return scan;
}

// The bytes one array takes in mzML with zlib compression: deflated, then base64.
std::size_t mzmlArrayBytes(const void* data, std::size_t size) {
    uLongf compressedSize = compressBound(static_cast<uLong>(size));
    QByteArray compressed(static_cast<qsizetype>(compressedSize), Qt::Uninitialized);
    compress(reinterpret_cast<Bytef*>(compressed.data()), &compressedSize, static_cast<const Bytef*>(data),
             static_cast<uLong>(size));
    return (compressedSize + 2) / 3 * 4;
}

class LoadFixture : public benchmark::Fixture {
public:
    void SetUp(const benchmark::State&) override {
        if (file)
            return;
        path = folder.filePath(QStringLiteral("bench.vesk"));
        kestrum::VeskWriter writer(path);
        writer.addSample(QStringLiteral("bench"));
        writer.addPeriod(1);
        writer.addExperiment(1, 0, {kestrum::TOFMS, 0, 0});
        std::mt19937 random(7);
        for (int cycle = 0; cycle < cycles; ++cycle) {
            const kestrum::ScanRecord scan = profileScan(cycle, random);
            writer.addCycle(1, 0, scan.retentionTimeSeconds);
            writer.addScan(scan);
            std::vector<float> intensities(scan.intensity.begin(), scan.intensity.end());
            mzmlBytes += mzmlArrayBytes(scan.mz.data(), scan.mz.size() * sizeof(double)) +
                         mzmlArrayBytes(intensities.data(), intensities.size() * sizeof(float));
        }
        writer.commit();
        file = kestrum::VeskFile::open(path);
    }

    void reportSizes(benchmark::State& state) const {
        const double points = double{pointsPerScan} * cycles;
        state.counters["vesk_bytes_per_point"] = static_cast<double>(QFileInfo(path).size()) / points;
        state.counters["mzml_zlib_bytes_per_point"] = static_cast<double>(mzmlBytes) / points;
    }

    QTemporaryDir folder;
    QString path;
    std::shared_ptr<kestrum::VeskFile> file;
    std::size_t mzmlBytes = 0;
};

BENCHMARK_F(LoadFixture, LoadSpectrumOneScan)(benchmark::State& state) {
    kestrum::FileSpectrum spectrum;
    spectrum.SetDataFile(path);
    int cycle = 0;
    for (auto _ : state) {
        const float time = file->CycleTime(1, 0, 0, cycle);
        spectrum.LoadSpectrum(1, 0, 0, time, time);
        benchmark::DoNotOptimize(spectrum.PointCount());
        cycle = (cycle + 1) % cycles;
    }
    reportSizes(state);
}

BENCHMARK_F(LoadFixture, LoadSpectrumSumOf100Scans)(benchmark::State& state) {
    kestrum::FileSpectrum spectrum;
    spectrum.SetDataFile(path);
    int first = 0;
    for (auto _ : state) {
        spectrum.LoadSpectrum(1, 0, 0, file->CycleTime(1, 0, 0, first), file->CycleTime(1, 0, 0, first + 99));
        benchmark::DoNotOptimize(spectrum.PointCount());
        first = (first + 1) % (cycles - 100);
    }
}

BENCHMARK_F(LoadFixture, OpenFileAndLoadOneScan)(benchmark::State& state) {
    // What a caller pays when it opens the file afresh for every scan it reads; an object that
    // still holds the file keeps it shared.
    for (auto _ : state) {
        kestrum::FileSpectrum spectrum;
        spectrum.SetDataFile(path);
        spectrum.LoadSpectrum(1, 0, 0, 60.0f, 60.0f);
        benchmark::DoNotOptimize(spectrum.PointCount());
    }
}

} // namespace

BENCHMARK_MAIN();
