// Costs of the query text buffer, unique temporary files and synthesised typing.
#include "export/sorvexstringhelper.h"
#include "files/tempfiles.h"
#include "script/mbettersendkeys.h"
#include "testsupport/xvfbdisplay.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

namespace {

const QString peakLine = QStringLiteral("1234.5678 12345.6");

long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key)
        if (key == "VmRSS:" && status >> value)
            return value;
    return 0;
}

void QueryBufferAppendLine(benchmark::State& state) {
    QTemporaryDir folder;
    ostrand::SorvexStringHelper buffer;
    buffer.SetFilename(folder.filePath(QStringLiteral("query.txt")));
    const long before = residentKilobytes();
    for (auto _ : state)
        buffer.AppendLine(peakLine);
    buffer.CloseFile();
    state.SetBytesProcessed(state.iterations() * (peakLine.size() + 2));
    state.counters["rss_growth_kB"] = static_cast<double>(residentKilobytes() - before);
}
BENCHMARK(QueryBufferAppendLine)->Iterations(2000000);

// The same bytes written straight to a QFile: what appending must not exceed by much.
void PlainFileWrite(benchmark::State& state) {
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("plain.txt")));
    file.open(QIODevice::WriteOnly);
    for (auto _ : state)
        file.write(peakLine.toLocal8Bit() + QByteArrayLiteral("\r\n"));
    file.close();
    state.SetBytesProcessed(state.iterations() * (peakLine.size() + 2));
}
BENCHMARK(PlainFileWrite)->Iterations(2000000);

void UniqueTemporaryFile(benchmark::State& state) {
    QTemporaryDir folder;
    for (auto _ : state)
        benchmark::DoNotOptimize(files::createUniqueFile(folder.path(), QStringLiteral("sor")));
}
BENCHMARK(UniqueTemporaryFile)->Iterations(2000);

void TypeTextPath(benchmark::State& state) {
    testsupport::XvfbDisplay display;
    if (!display.isRunning()) {
        state.SkipWithError("no Xvfb");
        return;
    }
    const QString path = QStringLiteral("/home/lab/queries/Run1 X Sample 12.sxq");
    for (auto _ : state)
        MBetterSendKeys::TypeText(path);
    state.counters["characters_per_s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * path.size()), benchmark::Counter::kIsRate);
}
BENCHMARK(TypeTextPath)->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
