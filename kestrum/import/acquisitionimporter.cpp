#include "acquisitionimporter.h"

#include "cyclelayout.h"
#include "spectrumprefetcher.h"
#include "spectrumsource.h"

#include "kestrum/veskwriter.h"

#include <optional>

namespace kestrum {

namespace {

std::optional<qsizetype> firstSurveyScan(const SpectrumSource& source) {
    for (qsizetype i = 0; i < source.count(); ++i)
        if (source.msLevel(i) <= 1)
            return i;
    return std::nullopt;
}

class SampleImport {
public:
    SampleImport(const AcquisitionImporter& importer, VeskWriter& writer, const SpectrumSource& source)
        : m_importer(importer), m_writer(writer), m_source(source) {}

    void run(ImportProgress& progress) {
        const std::optional<qsizetype> firstSurvey = firstSurveyScan(m_source);
        m_sample = m_writer.addSample(m_source.runName());
        m_period = m_writer.addPeriod(m_sample);
        // Experiment 0 is the survey scan's even when MS/MS scans come first.
        if (firstSurvey)
            defineExperiment(m_source.read(*firstSurvey));
        CycleLayout layout(firstSurvey.has_value());
        int cycle = -1;
        SpectrumPrefetcher spectra(m_source);
        for (qsizetype i = 0; i < m_source.count(); ++i) {
            SourceSpectrum spectrum = spectra.next();
            const CycleLayout::Position position = layout.place(spectrum.msLevel);
            if (position.startsCycle)
                cycle = m_writer.addCycle(m_sample, m_period, spectrum.retentionTimeSeconds);
            while (m_experimentCount <= position.experiment)
                defineExperiment(spectrum);
            m_writer.addScan(scanRecord(std::move(spectrum), position.experiment, cycle));
            progress.spectrum = i + 1;
            if (m_importer.reportProgress)
                m_importer.reportProgress(progress);
        }
    }

private:
    // Each experiment takes its scan type and polarity from the first scan seen for it; the precursor
    // of every MS/MS scan was chosen during acquisition, so none has a fixed mass.
    void defineExperiment(const SourceSpectrum& spectrum) {
        ExperimentDefinition definition;
        definition.scanTypeCode = m_importer.scanTypes.code(spectrum.msLevel, spectrum.analyzer);
        definition.polarity = spectrum.negative ? 1 : 0;
        definition.fixedMass = 0;
        m_writer.addExperiment(m_sample, m_period, definition);
        ++m_experimentCount;
    }

    ScanRecord scanRecord(SourceSpectrum&& spectrum, int experiment, int cycle) const {
        ScanRecord record;
        record.sample = m_sample;
        record.period = m_period;
        record.experiment = experiment;
        record.cycle = cycle;
        record.retentionTimeSeconds = spectrum.retentionTimeSeconds;
        record.precursorMz = spectrum.msLevel > 1 ? spectrum.precursorMz : std::nullopt;
        record.precursorCharge = spectrum.msLevel > 1 ? spectrum.precursorCharge : 0;
        record.centroided = spectrum.centroided;
        record.mz = std::move(spectrum.mz);
        record.intensity = std::move(spectrum.intensity);
        return record;
    }

    const AcquisitionImporter& m_importer;
    VeskWriter& m_writer;
    const SpectrumSource& m_source;
    int m_sample = 0;
    int m_period = 0;
    int m_experimentCount = 0;
};

} // namespace

void AcquisitionImporter::importFiles(const QStringList& inputs, const QString& output) const {
    VeskWriter writer(output);
    ImportProgress progress;
    progress.inputCount = static_cast<int>(inputs.size());
    for (const QString& path : inputs) {
        const SpectrumSource source(path);
        progress.path = path;
        progress.spectrum = 0;
        progress.spectrumCount = source.count();
        SampleImport(*this, writer, source).run(progress);
        if (progress.input + 1 < progress.inputCount)
            ++progress.input;
    }
    // Finishing a large file takes a while; a cancel then still keeps the older output.
    writer.commit([&] {
        if (reportProgress)
            reportProgress(progress);
    });
}

} // namespace kestrum
