#include "mzmlexporter.h"

#include "kestrum/kestrumerror.h"
#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"

#include "files/savefile.h"

#include <pwiz/data/msdata/MSDataFile.hpp>
#include <pwiz/data/msdata/SpectrumListBase.hpp>

#include <boost/make_shared.hpp>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>

namespace kestrum {

using namespace pwiz::msdata;
using pwiz::cv::CVID;

namespace {

[[noreturn]] void raise(const QString& description) {
    throw KestrumError::system(description);
}

QString nativePath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

int msLevelOf(int scanTypeCode) {
    if (scanTypeCode == MS3)
        return 3;
    return isProductScanType(scanTypeCode) ? 2 : 1;
}

// The analyser each scan type implies; importing the written file gives the same scan types back.
CVID analyzerOf(int scanTypeCode) {
    switch (scanTypeCode) {
    case TOFMS:
    case TOFProduct:
    case TOFPrecursor:
        return pwiz::cv::MS_time_of_flight;
    case HighResolutionMS:
        return pwiz::cv::MS_orbitrap;
    case EnhancedProduct:
    case EnhancedMS:
    case MS3:
        return pwiz::cv::MS_ion_trap;
    default:
        return pwiz::cv::MS_quadrupole;
    }
}

// Where each written spectrum comes from.
struct ScanEntry {
    int period = 0;
    int experiment = 0;
    int cycle = 0;
};

// The spectra of one sample, served to the mzML writer one at a time from the Vesk file.
class VeskSpectrumList : public SpectrumListBase {
public:
    VeskSpectrumList(std::shared_ptr<VeskFile> file, int sample, const MSData& document,
                     const std::function<void(const ConversionProgress&)>& reportProgress)
        : m_file(std::move(file)), m_sample(sample), m_reportProgress(reportProgress) {
        for (const InstrumentConfigurationPtr& configuration : document.instrumentConfigurationPtrs)
            m_configurations[configuration->componentList.analyzer(0)
                                 .cvParamChild(pwiz::cv::MS_mass_analyzer_type)
                                 .cvid] = configuration;
        for (int period = 0; period < m_file->PeriodCount(sample); ++period) {
            const int experiments = m_file->ExperimentCount(sample, period);
            const int cycles = m_file->CycleCount(sample, period);
            for (int cycle = 0; cycle < cycles; ++cycle)
                for (int experiment = 0; experiment < experiments; ++experiment)
                    if (m_file->scan(sample, period, experiment, cycle))
                        add({period, experiment, cycle});
        }
    }

    std::size_t size() const override { return m_entries.size(); }
    const SpectrumIdentity& spectrumIdentity(std::size_t index) const override {
        return m_identity.at(index);
    }

    SpectrumPtr spectrum(std::size_t index, bool getBinaryData) const override {
        const ScanEntry& entry = m_entries.at(index);
        const std::optional<ScanRecord> scan =
            m_file->scan(m_sample, entry.period, entry.experiment, entry.cycle);
        if (!scan)
            raise(QStringLiteral(
                      "%1: the scan of sample %2, period %3, cycle %4, experiment %5 vanished during "
                      "the conversion")
                      .arg(nativePath(m_file->FilePath()))
                      .arg(m_sample)
                      .arg(entry.period)
                      .arg(entry.cycle)
                      .arg(entry.experiment));
        const std::shared_ptr<ExperimentInfo> experiment =
            m_file->Experiment(m_sample, entry.period, entry.experiment);
        const int level = msLevelOf(experiment->ScanTypeCode());

        auto result = boost::make_shared<Spectrum>();
        result->index = index;
        result->id = m_identity[index].id;
        result->defaultArrayLength = scan->mz.size();
        result->set(pwiz::cv::MS_ms_level, level);
        result->set(level > 1 ? pwiz::cv::MS_MSn_spectrum : pwiz::cv::MS_MS1_spectrum);
        result->set(scan->centroided ? pwiz::cv::MS_centroid_spectrum : pwiz::cv::MS_profile_spectrum);
        result->set(experiment->Polarity() == 0 ? pwiz::cv::MS_positive_scan : pwiz::cv::MS_negative_scan);
        result->scanList.set(pwiz::cv::MS_no_combination);
        Scan& acquisition = result->scanList.scans.emplace_back();
        acquisition.instrumentConfigurationPtr = m_configurations.at(analyzerOf(experiment->ScanTypeCode()));
        acquisition.set(pwiz::cv::MS_scan_start_time, scan->retentionTimeSeconds, pwiz::cv::UO_second);
        if (scan->precursorMz) {
            Precursor& precursor = result->precursors.emplace_back();
            SelectedIon& ion = precursor.selectedIons.emplace_back();
            ion.set(pwiz::cv::MS_selected_ion_m_z, *scan->precursorMz, pwiz::cv::MS_m_z);
            if (scan->precursorCharge > 0)
                ion.set(pwiz::cv::MS_charge_state, scan->precursorCharge);
            // Vesk files do not record how the precursor was fragmented.
            precursor.activation.set(pwiz::cv::MS_dissociation_method);
        }
        if (getBinaryData)
            result->setMZIntensityArrays(scan->mz, scan->intensity, pwiz::cv::MS_number_of_detector_counts);
        if (getBinaryData && m_reportProgress)
            m_reportProgress({static_cast<qsizetype>(index + 1), static_cast<qsizetype>(m_entries.size())});
        return result;
    }

private:
    void add(const ScanEntry& entry) {
        SpectrumIdentity& identity = m_identity.emplace_back();
        identity.index = m_entries.size();
        identity.id = QStringLiteral("sample=%1 period=%2 cycle=%3 experiment=%4")
                          .arg(m_sample)
                          .arg(entry.period)
                          .arg(entry.cycle)
                          .arg(entry.experiment)
                          .toStdString();
        m_entries.push_back(entry);
    }

    std::shared_ptr<VeskFile> m_file;
    int m_sample;
    const std::function<void(const ConversionProgress&)>& m_reportProgress;
    std::map<CVID, InstrumentConfigurationPtr> m_configurations;
    std::vector<ScanEntry> m_entries;
    std::vector<SpectrumIdentity> m_identity;
};

// The document around the spectra: where they come from, the analysers they name, who wrote it.
void describeDocument(MSData& document, const VeskFile& file, int sample) {
    document.id = QFileInfo(file.FilePath()).completeBaseName().toStdString();
    document.cvs = defaultCVList();
    document.fileDescription.fileContent.set(pwiz::cv::MS_MS1_spectrum);
    document.fileDescription.fileContent.set(pwiz::cv::MS_MSn_spectrum);
    const QFileInfo source(file.FilePath());
    auto sourceFile =
        boost::make_shared<SourceFile>("vesk", source.fileName().toStdString(),
                                       QUrl::fromLocalFile(source.absolutePath()).toString().toStdString());
    sourceFile->set(pwiz::cv::MS_no_nativeID_format);
    document.fileDescription.sourceFilePtrs.push_back(sourceFile);

    auto software = boost::make_shared<Software>("vesk");
    software->version = "1";
    software->set(pwiz::cv::MS_custom_unreleased_software_tool, "vesk convert");
    document.softwarePtrs.push_back(software);
    auto processing = boost::make_shared<DataProcessing>("vesk_conversion");
    ProcessingMethod& method = processing->processingMethods.emplace_back();
    method.softwarePtr = software;
    method.set(pwiz::cv::MS_Conversion_to_mzML);
    document.dataProcessingPtrs.push_back(processing);

    for (const CVID analyzer : {pwiz::cv::MS_quadrupole, pwiz::cv::MS_time_of_flight, pwiz::cv::MS_orbitrap,
                                pwiz::cv::MS_ion_trap}) {
        auto configuration =
            boost::make_shared<InstrumentConfiguration>("IC_" + pwiz::cv::cvTermInfo(analyzer).name);
        for (char& c : configuration->id)
            if (c == ' ' || c == '-')
                c = '_';
        configuration->set(pwiz::cv::MS_instrument_model);
        configuration->componentList.push_back(Component(pwiz::cv::MS_electrospray_ionization, 1));
        configuration->componentList.push_back(Component(analyzer, 2));
        configuration->componentList.push_back(Component(pwiz::cv::MS_electron_multiplier, 3));
        document.instrumentConfigurationPtrs.push_back(configuration);
    }

    document.run.id = file.SampleName(sample).toStdString();
    if (document.run.id.empty())
        document.run.id = "sample_" + std::to_string(sample);
    document.run.defaultInstrumentConfigurationPtr = document.instrumentConfigurationPtrs.front();
    document.run.defaultSourceFilePtr = sourceFile;
}

// How a failed save of the converted file is reported.
files::SaveFile::Describe describeFailure(const QString& destination) {
    return [destination](files::SaveFile::Step step, const QString& reason) {
        if (step == files::SaveFile::Step::Create)
            return QStringLiteral("%1: cannot be written, the folder %2 is not writable (%3)")
                .arg(nativePath(destination), nativePath(QFileInfo(destination).absolutePath()), reason);
        if (step == files::SaveFile::Step::Sync)
            return QStringLiteral("%1: cannot be written (%2)").arg(nativePath(destination), reason);
        return QStringLiteral("%1: renaming the finished file into place failed (%2)")
            .arg(nativePath(destination), reason);
    };
}

} // namespace

void MzmlExporter::exportSample(const QString& veskPath, int sample, const QString& output) const {
    const std::shared_ptr<VeskFile> file = VeskFile::open(veskPath);
    if (sample < 1 || sample > file->SampleCount())
        raise(QStringLiteral("%1 has %2 sample(s); there is no sample %3")
                  .arg(nativePath(veskPath))
                  .arg(file->SampleCount())
                  .arg(sample));
    const QString destination = QFileInfo(output).absoluteFilePath();
    files::SaveFile pending(destination, describeFailure(destination));
    MSData document;
    describeDocument(document, *file, sample);
    auto spectra = boost::make_shared<VeskSpectrumList>(file, sample, document, reportProgress);
    spectra->setDataProcessingPtr(document.dataProcessingPtrs.front());
    document.run.spectrumListPtr = spectra;

    MSDataFile::WriteConfig config;
    config.format = MSDataFile::Format_mzML;
    config.indexed = true;
    config.useWorkerThreads = false; // the spectrum list reads one SQLite file from this thread
    config.binaryDataEncoderConfig.precision = BinaryDataEncoder::Precision_64;
    config.binaryDataEncoderConfig.compression = BinaryDataEncoder::Compression_Zlib;
    std::ofstream stream(QFile::encodeName(pending.temporaryPath()).toStdString(),
                         std::ios::binary | std::ios::trunc);
    try {
        MSDataFile::write(document, stream, config);
    } catch (const errors::NumberedError&) {
        throw;
    } catch (const std::exception& error) {
        raise(QStringLiteral("%1: cannot be written (%2)")
                  .arg(nativePath(output), QString::fromStdString(error.what())));
    }
    stream.flush();
    if (!stream.good())
        raise(QStringLiteral("%1: cannot be written (%2)")
                  .arg(nativePath(output), QString::fromLocal8Bit(std::strerror(errno))));
    stream.close();
    pending.commit();
}

} // namespace kestrum
