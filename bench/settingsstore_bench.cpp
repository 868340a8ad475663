// The settings store as the script uses it: reading one value (open the key, read, close), loading
// the thirty values of the processing parameters, and writing one value (saved at once, atomically,
// merged with other programs' writes). The hive also holds a few other programs' keys.
#include "registry/registrykey.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

const QString settingsKey = QStringLiteral("SOFTWARE\\Brenlow\\Corvana\\Scripts\\Sorvex");
constexpr int valuesInKey = 30;

QString valueName(int i) {
    return QStringLiteral("Value%1").arg(i);
}

// A settings folder of the benchmark's own, filled as a user's hive would be after some use.
class FilledHive {
public:
    FilledHive() {
        qputenv("OSTRAND_SETTINGS_DIR", m_folder.path().toLocal8Bit());
        auto key = registry::Key::create(registry::Hive::CurrentUser, settingsKey);
        for (int i = 0; i < valuesInKey; ++i)
            key->setValue(valueName(i), QStringLiteral("%1.5").arg(i));
        for (int program = 0; program < 5; ++program) {
            auto other = registry::Key::create(registry::Hive::CurrentUser,
                                               QStringLiteral("SOFTWARE\\Other\\Program%1").arg(program));
            for (int i = 0; i < 10; ++i)
                other->setValue(valueName(i), QStringLiteral("some text"));
        }
    }

private:
    QTemporaryDir m_folder;
};

void ReadOneValue(benchmark::State& state) {
    const FilledHive hive;
    for (auto _ : state) {
        const auto key = registry::Key::open(registry::Hive::CurrentUser, settingsKey);
        benchmark::DoNotOptimize(key->value(QStringLiteral("value17")));
    }
}
BENCHMARK(ReadOneValue)->Unit(benchmark::kMicrosecond);

void LoadProcessingParameters(benchmark::State& state) {
    const FilledHive hive;
    for (auto _ : state) {
        for (int i = 0; i < valuesInKey; ++i) {
            const auto key = registry::Key::open(registry::Hive::CurrentUser, settingsKey);
            benchmark::DoNotOptimize(key->value(valueName(i)));
        }
    }
}
BENCHMARK(LoadProcessingParameters)->Unit(benchmark::kMillisecond);

// A hive file of about 21 MB (another program's hundreds of thousands of values, or a hand edit
// gone wrong): loading the parameters reads it once, so the time grows with its size, not faster.
void LoadProcessingParametersFromAHugeHive(benchmark::State& state) {
    const FilledHive hive;
    {
        QFile file(QString::fromLocal8Bit(qgetenv("OSTRAND_SETTINGS_DIR")) +
                   QStringLiteral("/current-user.ini"));
        file.open(QIODevice::Append);
        file.write("[SOFTWARE\\Other\\Huge]\n");
        for (int i = 0; i < 600'000; ++i)
            file.write(QStringLiteral("Value%1=some text of the other program\n").arg(i).toUtf8());
    }
    int round = 0;
    for (auto _ : state) {
        for (int i = 0; i < valuesInKey; ++i) {
            const auto key = registry::Key::open(registry::Hive::CurrentUser, settingsKey);
            benchmark::DoNotOptimize(key->value(valueName(i)));
        }
        // Another program saves the hive, which must then be read again.
        registry::Key::create(registry::Hive::CurrentUser, QStringLiteral("SOFTWARE\\Other\\Program0"))
            ->setValue(QStringLiteral("Round"), QString::number(++round));
    }
}
BENCHMARK(LoadProcessingParametersFromAHugeHive)->Unit(benchmark::kMillisecond);

void WriteOneValue(benchmark::State& state) {
    const FilledHive hive;
    int round = 0;
    for (auto _ : state) {
        auto key = registry::Key::create(registry::Hive::CurrentUser, settingsKey);
        benchmark::DoNotOptimize(key->setValue(QStringLiteral("MSMSThreshold"), QString::number(++round)));
    }
}
BENCHMARK(WriteOneValue)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
