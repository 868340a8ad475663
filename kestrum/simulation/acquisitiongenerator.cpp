#include "acquisitiongenerator.h"

#include "kestrum/kestrumerror.h"
#include "sampleruns.h"

#include "files/savefile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonObject>

namespace kestrum::simulation {

namespace {

QString outputBase(const QString& acquisitionPath) {
    const QString suffix = QStringLiteral(".vesk");
    return acquisitionPath.endsWith(suffix, Qt::CaseInsensitive) ? acquisitionPath.chopped(suffix.size())
                                                                 : acquisitionPath;
}

[[noreturn]] void rejectOption(const QString& reason) {
    throw KestrumError::system(QStringLiteral("Cannot generate the acquisition: %1").arg(reason));
}

QJsonObject settingsJson(const GenerationOptions& options) {
    const bool dataDependent = options.mode == AcquisitionMode::DataDependent;
    QJsonObject settings{
        {QStringLiteral("seed"), QString::number(options.seed)},
        {QStringLiteral("minutes"), options.minutes},
        {QStringLiteral("mode"), dataDependent ? QStringLiteral("dda") : QStringLiteral("fixed")},
        {QStringLiteral("samples"), options.samples},
        {QStringLiteral("centroided"), options.centroid},
        {QStringLiteral("polarity"),
         options.negative ? QStringLiteral("negative") : QStringLiteral("positive")},
        {QStringLiteral("resolution"), options.resolution},
        {QStringLiteral("realistic"), options.realistic},
        {QStringLiteral("chargesRecorded"), options.recordCharges},
    };
    if (options.realistic) {
        const ElutionRealism drawn = ElutionRealism::variedFor(options.seed);
        settings.insert(QStringLiteral("sample"),
                        QJsonObject{{QStringLiteral("peptidesPerMinute"), drawn.peptidesPerMinute},
                                    {QStringLiteral("peakWidthSeconds"), drawn.fixedPeakSeconds},
                                    {QStringLiteral("abundanceMedian"), drawn.abundanceMedian},
                                    {QStringLiteral("abundanceSpread"), drawn.abundanceSpread},
                                    {QStringLiteral("otherChargeShare"), drawn.otherChargeShare},
                                    {QStringLiteral("secondIsotopeShare"), drawn.secondIsotopeShare},
                                    {QStringLiteral("coElutingPairsPerPeptide"), drawn.coElutingShare}});
    }
    if (dataDependent) {
        settings.insert(QStringLiteral("top"), options.topN);
        settings.insert(QStringLiteral("exclusionSeconds"), options.exclusionSeconds);
    } else {
        settings.insert(QStringLiteral("periods"), options.periods);
        settings.insert(QStringLiteral("experiments"), options.experiments);
    }
    return settings;
}

void writeFastaFile(const QString& path) {
    const auto failure = [&path](const QString& reason) {
        return QStringLiteral("Cannot write the protein list %1: %2").arg(path, reason);
    };
    files::SaveFile save(
        path, [&failure](files::SaveFile::Step, const QString& reason) { return failure(reason); });
    QFile file(save.temporaryPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw KestrumError::system(failure(file.errorString()));
    writeFasta(file, PeptidePool::builtIn().proteins);
    if (!file.flush())
        throw KestrumError::system(failure(file.errorString()));
    file.close();
    save.commit();
}

} // namespace

void SampleRunContext::addProductScan(const Precursor& precursor, const ScanPosition& position,
                                      const std::vector<Precursor>& coIsolated) {
    SimulationRandom random = SimulationRandom::forKey(
        options.seed, {position.sample, position.period, position.experiment, position.cycle});
    const SimulatedProductScan product = simulator.simulate(precursor, position, random, coIsolated);
    writer.addScan(product.scan);
    truth.addProductScan(product.truth);
    ++productScans;
}

ElutionMap SampleRunContext::elutionOf(int sample) const {
    SimulationRandom random = SimulationRandom::forKey(options.seed, {sample, -1});
    const ElutionRealism realism =
        options.realistic ? ElutionRealism::variedFor(options.seed) : ElutionRealism{};
    return ElutionMap(PeptidePool::builtIn(), options.minutes * 60.0, polarity(), SurveyScanRange, random,
                      realism);
}

QString truthPathFor(const QString& acquisitionPath) {
    return outputBase(acquisitionPath) + QStringLiteral(".truth.json");
}

QString fastaPathFor(const QString& acquisitionPath) {
    return outputBase(acquisitionPath) + QStringLiteral(".fasta");
}

void validateOptions(const GenerationOptions& options) {
    if (options.outputPath.isEmpty())
        rejectOption(QStringLiteral("no output file was given."));
    if (!(options.minutes > 0 && options.minutes <= 24 * 60))
        rejectOption(QStringLiteral("the run length must be more than 0 and at most 1440 minutes."));
    if (options.samples < 1 || options.samples > 100)
        rejectOption(QStringLiteral("the number of samples must be between 1 and 100."));
    if (!(options.resolution >= 1000 && options.resolution <= 1000000))
        rejectOption(QStringLiteral("the resolution must be between 1000 and 1000000."));
    if (options.mode == AcquisitionMode::DataDependent) {
        if (options.periods != 1)
            rejectOption(QStringLiteral("a data-dependent run has exactly one period."));
        if (options.topN < 1 || options.topN > 50)
            rejectOption(QStringLiteral("the number of product scans per cycle must be between 1 and 50."));
        if (options.exclusionSeconds < 0)
            rejectOption(QStringLiteral("the exclusion time cannot be negative."));
    } else {
        if (options.periods < 1 || options.periods > 100)
            rejectOption(QStringLiteral("the number of periods must be between 1 and 100."));
        if (options.experiments < 1 || options.experiments > 50)
            rejectOption(QStringLiteral("the number of experiments must be between 1 and 50."));
        if (options.minutes * 60.0 / options.periods < options.experiments * FixedProductSeconds)
            rejectOption(QStringLiteral("each period must be long enough for one cycle of its experiments."));
    }
}

GenerationResult generateAcquisition(const GenerationOptions& options,
                                     const std::function<void(double fractionDone)>& progress) {
    validateOptions(options);
    GenerationResult result;
    result.acquisitionPath = QFileInfo(options.outputPath).absoluteFilePath();
    result.truthPath = truthPathFor(result.acquisitionPath);
    result.fastaPath = fastaPathFor(result.acquisitionPath);

    VeskWriter writer(result.acquisitionPath);
    QStringList sampleNames;
    for (int sample = 1; sample <= options.samples; ++sample)
        sampleNames.append(QStringLiteral("Synthetic sample %1").arg(sample));
    TruthWriter truth(result.truthPath,
                      {settingsJson(options), sampleNames, QFileInfo(result.fastaPath).fileName()});

    InstrumentSettings instrument;
    instrument.resolution = options.resolution;
    instrument.centroid = options.centroid;
    ProductScanRealism realism;
    realism.recordCharges = options.recordCharges;
    if (options.realistic)
        makeRealistic(instrument, realism);
    // A fixed-precursor experiment reports the m/z it was set to.
    if (options.mode == AcquisitionMode::FixedPrecursor)
        realism.precursorErrorPpm = 0;
    const ProductScanSimulator simulator(instrument,
                                         options.negative ? Polarity::Negative : Polarity::Positive,
                                         PeptidePool::builtIn(), realism);
    SampleRunContext context{options, simulator, writer, truth, {}};
    for (int sample = 0; sample < options.samples; ++sample) {
        if (progress)
            context.progress = [&progress, sample, &options](double fraction) {
                progress((sample + fraction) / options.samples);
            };
        if (options.mode == AcquisitionMode::DataDependent)
            writeDataDependentSample(context, sampleNames[sample]);
        else
            writeFixedPrecursorSample(context, sampleNames[sample]);
    }
    result.surveyScans = context.surveyScans;
    result.productScans = context.productScans;

    // The acquisition goes into place last; if it cannot, its companions are taken away again.
    writeFastaFile(result.fastaPath);
    try {
        truth.commit(context.surveyScans);
        writer.commit();
    } catch (...) {
        QFile::remove(result.truthPath);
        QFile::remove(result.fastaPath);
        throw;
    }
    return result;
}

} // namespace kestrum::simulation
