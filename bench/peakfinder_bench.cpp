// Measures the peak finder on synthetic product scans with known fragments: how many true
// monoisotopic fragments it keeps, how often it gets their charge right, how much of what it keeps
// is noise or unfolded isotopes, how close its centroids are, and how many spectra per second it
// processes. A plain local-maximum picker runs beside it as the yardstick for precision, and
// OpenMS PeakPickerHiRes, when installed, on the same spectra for centroid error and speed.
// Usage: peakfinder_bench [Google Benchmark options] [scans per resolution, default 300]
#include "kestrum/centroidablespectrum.h"
#include "kestrum/peakfinder/peakfinderfactory.h"
#include "kestrum/scantype.h"
#include "kestrum/simulation/peptidechemistry.h"
#include "kestrum/simulation/productscansimulator.h"
#include "kestrum/simulation/simulationrandom.h"
#include "kestrum/veskwriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

#include <sys/resource.h>

using kestrum::CentroidableSpectrum;
using kestrum::Peak;
using kestrum::PeakFinder;
using kestrum::PeakFinderFactory;
using kestrum::ScanRecord;
using kestrum::SpectrumData;
using kestrum::simulation::FragmentTruth;
using kestrum::simulation::InstrumentSettings;
using kestrum::simulation::isotopeEnvelope;
using kestrum::simulation::PeptidePool;
using kestrum::simulation::Polarity;
using kestrum::simulation::Precursor;
using kestrum::simulation::ProductScanSimulator;
using kestrum::simulation::ProductScanTruth;
using kestrum::simulation::ProtonMass;
using kestrum::simulation::ScanPosition;
using kestrum::simulation::SimulatedProductScan;
using kestrum::simulation::SimulationRandom;

namespace {

constexpr double matchPpm = 20;
constexpr double strongSignalToNoise = 10;
// An isotope peak counts as visible when it stands this far above the noise.
constexpr double visibleSignalToNoise = 5;

struct Quality {
    int strongFragments = 0;
    int strongFragmentsKept = 0;
    int visibleClusters = 0;
    int visibleClustersRightCharge = 0;
    int strongKept = 0;
    int strongKeptFalse = 0;
    int kept = 0;
    int keptTrue = 0;
    int plainMaxima = 0;
    int plainMaximaTrue = 0;
    std::vector<double> centroidErrorsPpm;
};

bool near(double a, double b) {
    return std::abs(a - b) <= matchPpm * 1e-6 * b;
}

// The index of the truth fragment nearest to `mz` within the match window, or -1.
int matchingFragment(const ProductScanTruth& truth, double mz) {
    const auto it =
        std::lower_bound(truth.fragments.begin(), truth.fragments.end(), mz * (1 - matchPpm * 1e-6),
                         [](const FragmentTruth& f, double value) { return f.mz < value; });
    int best = -1;
    for (auto f = it; f != truth.fragments.end() && f->mz <= mz * (1 + matchPpm * 1e-6); ++f)
        if (best < 0 ||
            std::abs(f->mz - mz) < std::abs(truth.fragments[static_cast<std::size_t>(best)].mz - mz))
            best = static_cast<int>(f - truth.fragments.begin());
    return best;
}

bool isTrueSignal(const ProductScanTruth& truth, double mz) {
    return matchingFragment(truth, mz) >= 0 || near(mz, truth.monoisotopicMz);
}

void score(const ProductScanTruth& truth, const ScanRecord& scan, const std::vector<Peak>& peaks,
           Quality& q) {
    const double noise = truth.noiseLevel;
    for (const FragmentTruth& fragment : truth.fragments) {
        if (fragment.height < strongSignalToNoise * noise)
            continue;
        ++q.strongFragments;
        const auto found = std::find_if(peaks.begin(), peaks.end(), [&](const Peak& p) {
            return p.standsForItself && near(p.mz, fragment.mz);
        });
        if (found == peaks.end())
            continue;
        ++q.strongFragmentsKept;
        q.centroidErrorsPpm.push_back(std::abs(found->mz - fragment.mz) / fragment.mz * 1e6);
        const std::vector<double> envelope =
            isotopeEnvelope((fragment.mz - ProtonMass) * fragment.charge, 0.0);
        const double mostAbundant = fragment.height / envelope.front();
        if (envelope.size() > 1 && mostAbundant * envelope[1] >= visibleSignalToNoise * noise) {
            ++q.visibleClusters;
            if (found->charge == fragment.charge)
                ++q.visibleClustersRightCharge;
        }
    }
    for (const Peak& peak : peaks) {
        if (!peak.standsForItself)
            continue;
        const bool real = isTrueSignal(truth, peak.mz);
        ++q.kept;
        q.keptTrue += real;
        if (peak.height >= strongSignalToNoise * noise) {
            ++q.strongKept;
            q.strongKeptFalse += !real;
        }
    }
    const std::vector<double>& y = scan.intensity;
    for (std::size_t i = 1; i + 1 < y.size(); ++i) {
        if (y[i] > 0 && y[i] > y[i - 1] && y[i] >= y[i + 1]) {
            ++q.plainMaxima;
            q.plainMaximaTrue += isTrueSignal(truth, scan.mz[i]);
        }
    }
}

// Processor seconds used so far by this process: the machine may be shared, so time on the
// processor is what speed is judged by.
double processorSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double percent(int part, int whole) {
    return whole > 0 ? 100.0 * part / whole : 0;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

void report(const char* title, const Quality& q) {
    const double ours = percent(q.keptTrue, q.kept);
    const double plain = percent(q.plainMaximaTrue, q.plainMaxima);
    std::printf("%s\n", title);
    std::printf("  monoisotopic fragments at S/N >= 10 kept within 20 ppm: %d of %d (%.1f %%)\n",
                q.strongFragmentsKept, q.strongFragments, percent(q.strongFragmentsKept, q.strongFragments));
    std::printf("  right charge, clusters with two or more visible isotopes: %d of %d (%.1f %%)\n",
                q.visibleClustersRightCharge, q.visibleClusters,
                percent(q.visibleClustersRightCharge, q.visibleClusters));
    std::printf("  noise or unfolded isotopes among kept peaks at S/N >= 10: %d of %d (%.1f %%)\n",
                q.strongKeptFalse, q.strongKept, percent(q.strongKeptFalse, q.strongKept));
    std::printf("  true share of all kept peaks: %.1f %% (local maxima: %.1f %%, %.1f times)\n", ours, plain,
                plain > 0 ? ours / plain : 0);
    std::printf("  median centroid error: %.2f ppm\n", median(q.centroidErrorsPpm));
}

// The peak finder as callers create it, with its default options.
struct DefaultPeakFinder {
    QString options;
    std::shared_ptr<PeakFinder> finder = PeakFinderFactory().CreatePeakFinder(options, 1, 1);

    std::shared_ptr<kestrum::PeakList> find(const SpectrumData& spectrum) {
        return finder->FindPeaks(1, spectrum, -1, 0, 0, options);
    }
};

ProductScanSimulator simulatorAt(double resolution, bool centroid = false) {
    InstrumentSettings instrument;
    instrument.resolution = resolution;
    instrument.centroid = centroid;
    return ProductScanSimulator(instrument, Polarity::Positive);
}

// Single scans as recorded, in profile or, with `centroid`, as the instrument's peak list.
void measureSingleScans(double resolution, int scans, bool centroid) {
    const ProductScanSimulator simulator = simulatorAt(resolution, centroid);
    DefaultPeakFinder finder;
    Quality quality;
    for (int i = 0; i < scans; ++i) {
        const SimulatedProductScan s = simulator.randomScan(7, i);
        CentroidableSpectrum spectrum(s.scan.mz, s.scan.intensity);
        spectrum.SetCentroided(centroid);
        score(s.truth, s.scan, finder.find(spectrum)->peaks(), quality);
    }
    char title[112];
    std::snprintf(title, sizeof title, "Single product scans (%s), resolution %.0f, %d scans",
                  centroid ? "centroided" : "profile", resolution, scans);
    report(title, quality);
}

// The truth of a sum of scans: every fragment any scan holds, with the heights of all scans added.
void addFragments(ProductScanTruth& sum, const ProductScanTruth& scan, bool first) {
    if (first) {
        sum = scan;
        return;
    }
    for (const FragmentTruth& fragment : scan.fragments) {
        const auto same =
            std::find_if(sum.fragments.begin(), sum.fragments.end(), [&](const FragmentTruth& f) {
                return f.ion == fragment.ion && f.charge == fragment.charge;
            });
        if (same != sum.fragments.end())
            same->height += fragment.height;
        else
            sum.fragments.push_back(fragment);
    }
    std::sort(sum.fragments.begin(), sum.fragments.end(),
              [](const FragmentTruth& a, const FragmentTruth& b) { return a.mz < b.mz; });
}

// Sums of three scans of one precursor, each recorded with a calibration a few ppm apart, as the
// spectrum accumulator merges them: the grids interleave and the sum turns jagged.
void measureJaggedSums(double resolution, int sums) {
    const ProductScanSimulator simulator = simulatorAt(resolution);
    const PeptidePool& pool = PeptidePool::builtIn();
    DefaultPeakFinder finder;
    Quality quality;
    for (int i = 0; i < sums; ++i) {
        SimulationRandom pick = SimulationRandom::forKey(11, {i});
        const auto& peptide =
            pool.peptides[static_cast<std::size_t>(pick.below(static_cast<int>(pool.peptides.size())))];
        const Precursor precursor{&peptide, 2 + pick.below(2), 0, pick.logNormal(1500, 1.0)};
        SpectrumData sum;
        ProductScanTruth truth;
        for (int k = 0; k < 3; ++k) {
            SimulationRandom random = SimulationRandom::forKey(11, {i, k});
            SimulatedProductScan s = simulator.simulate(precursor, ScanPosition{}, random);
            for (double& mz : s.scan.mz)
                mz *= 1 + 3e-6 * k;
            addFragments(truth, s.truth, k == 0);
            sum.MergeSpectrum(SpectrumData(s.scan.mz, s.scan.intensity), 0.001);
        }
        ScanRecord summed;
        summed.mz = sum.mzValues();
        summed.intensity = sum.intensities();
        score(truth, summed, finder.find(sum)->peaks(), quality);
    }
    char title[96];
    std::snprintf(title, sizeof title, "Jagged sums of three scans, resolution %.0f, %d sums", resolution,
                  sums);
    report(title, quality);
}

// Stretches of exactly `points` consecutive points cut from product scans.
const std::vector<SpectrumData>& stretchesOf(std::size_t points) {
    static std::map<std::size_t, std::vector<SpectrumData>> cache;
    std::vector<SpectrumData>& spectra = cache[points];
    if (!spectra.empty())
        return spectra;
    InstrumentSettings instrument;
    instrument.noisePeaksPerMz = 1.0; // long scans to cut 10,000-point stretches from
    const ProductScanSimulator simulator(instrument, Polarity::Positive);
    for (int i = 0; spectra.size() < 200; ++i) {
        const SimulatedProductScan s = simulator.randomScan(5, i);
        for (std::size_t begin = 0; begin + points <= s.scan.mz.size() && spectra.size() < 200;
             begin += points) {
            const auto from = static_cast<std::ptrdiff_t>(begin);
            const auto to = static_cast<std::ptrdiff_t>(begin + points);
            spectra.emplace_back(
                std::vector<double>(s.scan.mz.begin() + from, s.scan.mz.begin() + to),
                std::vector<double>(s.scan.intensity.begin() + from, s.scan.intensity.begin() + to));
        }
    }
    return spectra;
}

// Profile spectra of 1,000 and 10,000 points; items per second are spectra per second on one core.
void FindPeaksInProfileSpectra(benchmark::State& state) {
    const std::vector<SpectrumData>& spectra = stretchesOf(static_cast<std::size_t>(state.range(0)));
    DefaultPeakFinder finder;
    std::size_t next = 0;
    std::int64_t peaks = 0;
    for (auto _ : state) {
        peaks += finder.find(spectra[next])->PeakCount();
        next = (next + 1) % spectra.size();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["peaks_per_spectrum"] =
        static_cast<double>(peaks) / static_cast<double>(std::max<std::int64_t>(1, state.iterations()));
}
BENCHMARK(FindPeaksInProfileSpectra)->Arg(1000)->Arg(10000);

// A crafted scan of N points at one m/z: the time grows with N, not with its square.
void FindPeaksInADenseScanOfOneMz(benchmark::State& state) {
    SpectrumData spectrum;
    for (std::int64_t i = 0; i < state.range(0); ++i)
        spectrum.AppendPoint(500.0, i % 7 == 0 ? 1000.0 : 10.0);
    DefaultPeakFinder finder;
    for (auto _ : state)
        benchmark::DoNotOptimize(finder.find(spectrum)->PeakCount());
    state.SetComplexityN(state.range(0));
}
BENCHMARK(FindPeaksInADenseScanOfOneMz)
    ->RangeMultiplier(4)
    ->Range(1 << 14, 1 << 20)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// Centroid m/z values of every spectrum of an mzML file, in file order.
std::vector<std::vector<double>> readCentroids(const QString& path) {
    std::vector<std::vector<double>> spectra;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return spectra;
    QXmlStreamReader xml(&file);
    bool mzArray = false, doubles = true, zlib = false;
    while (!xml.atEnd()) {
        if (!xml.readNextStartElement())
            continue;
        const QStringView name = xml.name();
        if (name == QLatin1String("spectrum")) {
            spectra.emplace_back();
        } else if (name == QLatin1String("binaryDataArray")) {
            mzArray = false;
            doubles = true;
            zlib = false;
        } else if (name == QLatin1String("cvParam")) {
            const QStringView accession = xml.attributes().value(QLatin1String("accession"));
            mzArray = mzArray || accession == QLatin1String("MS:1000514");
            doubles = doubles && accession != QLatin1String("MS:1000521");
            zlib = zlib || accession == QLatin1String("MS:1000574");
        } else if (name == QLatin1String("binary") && mzArray && !spectra.empty()) {
            QByteArray bytes = QByteArray::fromBase64(xml.readElementText().toLatin1());
            if (zlib) {
                const auto hint = static_cast<quint32>(bytes.size() * 20);
                const char size[4] = {char(hint >> 24), char(hint >> 16), char(hint >> 8), char(hint)};
                bytes = qUncompress(QByteArray(size, 4) + bytes);
            }
            std::vector<double>& values = spectra.back();
            const qsizetype width = doubles ? 8 : 4;
            for (qsizetype at = 0; at + width <= bytes.size(); at += width) {
                if (doubles) {
                    double value;
                    std::memcpy(&value, bytes.constData() + at, 8);
                    values.push_back(value);
                } else {
                    float value;
                    std::memcpy(&value, bytes.constData() + at, 4);
                    values.push_back(value);
                }
            }
        }
    }
    return spectra;
}

// Runs a program to its end; returns what it wrote to its output and error channels, or nothing
// when it failed.
std::optional<QString> runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::printf("  %s failed: %s\n", qPrintable(program), process.readAll().constData());
        return std::nullopt;
    }
    return QString::fromLocal8Bit(process.readAll());
}

// The processor seconds PeakPickerHiRes reports, with -debug 1, for its picking step alone.
std::optional<double> pickingSeconds(const QString& log) {
    static const QRegularExpression done(
        QStringLiteral("picking peaks'.*?-- done \\[took ([0-9.]+) (ms|s) \\(CPU\\)"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = done.match(log);
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toDouble() * (match.captured(2) == QLatin1String("ms") ? 1e-3 : 1);
}

// Writes the scans as one sample of a Vesk file and converts it to mzML with `vesk convert`.
// Returns the mzML path, or nothing on failure.
QString profileMzml(const QTemporaryDir& dir, const QString& name,
                    const std::vector<SimulatedProductScan>& scans) {
    const QString vesk = dir.filePath(name + QStringLiteral(".vesk"));
    {
        kestrum::VeskWriter writer(vesk);
        const int sample = writer.addSample(QStringLiteral("peak finder benchmark"));
        const int period = writer.addPeriod(sample);
        const int experiment = writer.addExperiment(sample, period, {kestrum::TOFProduct, 0, 0.0});
        for (std::size_t i = 0; i < scans.size(); ++i) {
            ScanRecord record = scans[i].scan;
            record.sample = sample;
            record.period = period;
            record.experiment = experiment;
            record.cycle = writer.addCycle(sample, period, static_cast<double>(i));
            writer.addScan(record);
        }
        writer.commit();
    }
    const QString mzml = dir.filePath(name + QStringLiteral(".mzML"));
    const QString tool = QCoreApplication::applicationDirPath() + QStringLiteral("/vesk");
    if (!runTool(tool, {QStringLiteral("convert"), vesk, QStringLiteral("-o"), mzml, QStringLiteral("-q")}))
        return {};
    return mzml;
}

// The same profile scans through OpenMS PeakPickerHiRes and through our peak finder: median
// centroid error of the strong true fragments, and speed: processor time of our peak finder on
// spectra in memory against the time PeakPickerHiRes reports for its picking step, both without
// reading or writing files.
void compareWithOpenMs(int scans) {
    std::printf("OpenMS PeakPickerHiRes on the same profile scans, resolution 15000\n");
    const QString picker = QStandardPaths::findExecutable(QStringLiteral("PeakPickerHiRes"));
    const QString vesk = QCoreApplication::applicationDirPath() + QStringLiteral("/vesk");
    if (picker.isEmpty() || !QFile::exists(vesk)) {
        std::printf("  skipped: needs PeakPickerHiRes (Debian package topp) and %s\n", qPrintable(vesk));
        return;
    }
    QTemporaryDir dir;
    const ProductScanSimulator simulator = simulatorAt(15000);
    std::vector<SimulatedProductScan> simulated;
    for (int i = 0; i < scans; ++i)
        simulated.push_back(simulator.randomScan(13, i));
    const QString profile = profileMzml(dir, QStringLiteral("scans"), simulated);
    if (profile.isEmpty())
        return;
    const QString picked = dir.filePath(QStringLiteral("picked.mzML"));
    const std::optional<QString> log = runTool(
        picker, {QStringLiteral("-in"), profile, QStringLiteral("-out"), picked, QStringLiteral("-threads"),
                 QStringLiteral("1"), QStringLiteral("-debug"), QStringLiteral("1")});
    const std::optional<double> theirSeconds = log ? pickingSeconds(*log) : std::nullopt;
    const std::vector<std::vector<double>> theirs = readCentroids(picked);
    if (!theirSeconds || theirs.size() != simulated.size()) {
        std::printf("  skipped: PeakPickerHiRes gave %zu spectra for %zu scans%s\n", theirs.size(),
                    simulated.size(), theirSeconds ? "" : " and no time for its picking step");
        return;
    }

    DefaultPeakFinder finder;
    std::vector<SpectrumData> spectra;
    std::vector<std::vector<Peak>> ours;
    for (const SimulatedProductScan& s : simulated) {
        spectra.emplace_back(s.scan.mz, s.scan.intensity);
        ours.push_back(finder.find(spectra.back())->peaks());
    }
    // Timed over repeated passes, as one pass is too short to time well.
    constexpr int passes = 10;
    const double start = processorSeconds();
    for (int pass = 0; pass < passes; ++pass)
        for (const SpectrumData& spectrum : spectra)
            finder.find(spectrum);
    const double ourSeconds = (processorSeconds() - start) / passes;

    Quality quality;
    std::vector<double> theirErrors;
    int theirFound = 0;
    for (std::size_t i = 0; i < simulated.size(); ++i) {
        const ProductScanTruth& truth = simulated[i].truth;
        score(truth, simulated[i].scan, ours[i], quality);
        for (const FragmentTruth& fragment : truth.fragments) {
            if (fragment.height < strongSignalToNoise * truth.noiseLevel)
                continue;
            double best = matchPpm + 1;
            for (double mz : theirs[i])
                best = std::min(best, std::abs(mz - fragment.mz) / fragment.mz * 1e6);
            if (best <= matchPpm) {
                ++theirFound;
                theirErrors.push_back(best);
            }
        }
    }
    const double theirPicking = std::max(*theirSeconds, 1e-3);
    std::printf("  strong fragments found within 20 ppm: ours %d, theirs %d of %d\n",
                quality.strongFragmentsKept, theirFound, quality.strongFragments);
    std::printf("  median centroid error: ours %.2f ppm, theirs %.2f ppm\n",
                median(quality.centroidErrorsPpm), median(theirErrors));
    std::printf(
        "  spectra per second on one core: ours %.0f, theirs %.0f (picking step, %.2f s for %d spectra); "
        "ours is %.1f times theirs\n",
        static_cast<double>(scans) / ourSeconds, static_cast<double>(scans) / theirPicking, *theirSeconds,
        scans, theirPicking / ourSeconds);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    const int scans = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    for (double resolution : {10000.0, 20000.0}) {
        measureSingleScans(resolution, scans, false);
        measureSingleScans(resolution, scans, true);
        measureJaggedSums(resolution, scans / 3);
    }
    compareWithOpenMs(std::max(scans, 2000));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
