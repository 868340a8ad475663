#include "spectrumsource.h"

#include "compressedarraycheck.h"

#include "kestrum/kestrumerror.h"
#include "kestrum/plausiblevalues.h"

#include <pwiz/data/msdata/MSDataFile.hpp>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <mutex>
#include <numeric>
#include <typeinfo>
#include <vector>

namespace kestrum {

using namespace pwiz::msdata;
using pwiz::cv::CVID;

namespace {

KestrumError inputError(const QString& path, const QString& reason) {
    return KestrumError::system(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason));
}

// The reader library prefixes its messages with the throwing function ("[SAXParser::parse()] ...");
// users need only the reason.
// It converts a value to a number only when asked for it, and then reports text where a number
// belongs as a bad cast.
QString readerReason(const std::exception& error) {
    if (dynamic_cast<const std::bad_cast*>(&error) != nullptr)
        return QStringLiteral("a value that must be a number is not one");
    static const QRegularExpression location(QStringLiteral("^\\s*\\[[^\\]]*\\]\\s*"));
    return QString::fromStdString(error.what()).remove(location).simplified();
}

// Reasons found before the reader library sees the file, worded for users.
QString unreadableReason(const QFileInfo& file) {
    if (!file.exists())
        return QStringLiteral("the file does not exist");
    if (file.isDir())
        return QStringLiteral("this is a folder, not a spectrum file");
    // A pipe or device has no size and may block; the reader needs a regular file it can seek in.
    if (!file.isFile())
        return QStringLiteral("this is a pipe, device or socket, not a regular file");
    if (!file.isReadable())
        return QStringLiteral("the file cannot be read (permission denied)");
    if (file.size() == 0)
        return QStringLiteral("the file is empty");
    return {};
}

MassAnalyzer classify(CVID analyzer) {
    if (analyzer == pwiz::cv::CVID_Unknown)
        return MassAnalyzer::Other;
    if (pwiz::cv::cvIsA(analyzer, pwiz::cv::MS_time_of_flight))
        return MassAnalyzer::TimeOfFlight;
    if (pwiz::cv::cvIsA(analyzer, pwiz::cv::MS_orbitrap) ||
        pwiz::cv::cvIsA(analyzer, pwiz::cv::MS_fourier_transform_ion_cyclotron_resonance_mass_spectrometer))
        return MassAnalyzer::FourierTransform;
    if (pwiz::cv::cvIsA(analyzer, pwiz::cv::MS_ion_trap))
        return MassAnalyzer::IonTrap;
    return MassAnalyzer::Other;
}

// The analyser that measured the ions: the last analyser component of the configuration.
MassAnalyzer analyzerOf(const InstrumentConfiguration& configuration) {
    MassAnalyzer result = MassAnalyzer::Other;
    for (const Component& component : configuration.componentList)
        if (component.type == ComponentType_Analyzer)
            result = classify(component.cvParamChild(pwiz::cv::MS_mass_analyzer_type).cvid);
    return result;
}

// Thermo filter strings name the analyser of each scan ("ITMS + c NSI ..."), which is more precise
// than a configuration that lists only one of a hybrid instrument's analysers.
std::optional<MassAnalyzer> analyzerOfFilter(const std::string& filter) {
    if (filter.starts_with("FTMS"))
        return MassAnalyzer::FourierTransform;
    if (filter.starts_with("ITMS"))
        return MassAnalyzer::IonTrap;
    return std::nullopt;
}

int msLevelOf(const Spectrum& spectrum) {
    const CVParam level = spectrum.cvParam(pwiz::cv::MS_ms_level);
    if (!level.empty())
        return std::max(1, level.valueAs<int>());
    return spectrum.hasCVParam(pwiz::cv::MS_MSn_spectrum) || !spectrum.precursors.empty() ? 2 : 1;
}

void readPrecursor(const Spectrum& spectrum, SourceSpectrum& result) {
    if (spectrum.precursors.empty())
        return;
    // The last precursor is the ion isolated for this scan (an MS3 scan lists its MS2 precursor first).
    const Precursor& precursor = spectrum.precursors.back();
    if (!precursor.selectedIons.empty()) {
        const SelectedIon& ion = precursor.selectedIons.front();
        const CVParam mz = ion.cvParam(pwiz::cv::MS_selected_ion_m_z);
        if (!mz.empty())
            result.precursorMz = mz.valueAs<double>();
        result.precursorCharge = std::max(0, ion.cvParam(pwiz::cv::MS_charge_state).valueAs<int>());
    }
    if (!result.precursorMz) {
        const CVParam target = precursor.isolationWindow.cvParam(pwiz::cv::MS_isolation_window_target_m_z);
        if (!target.empty())
            result.precursorMz = target.valueAs<double>();
    }
}

// Copies the points, putting them in ascending m/z order when the file does not.
void readPoints(const Spectrum& spectrum, SourceSpectrum& result) {
    const BinaryDataArrayPtr mz = spectrum.getMZArray();
    const BinaryDataArrayPtr intensity = spectrum.getIntensityArray();
    if (!mz || !intensity) {
        if (spectrum.defaultArrayLength > 0)
            throw std::runtime_error("it has no m/z or no intensity array");
        return;
    }
    if (mz->data.size() != intensity->data.size())
        throw std::runtime_error("its m/z and intensity arrays differ in length");
    result.mz.assign(mz->data.begin(), mz->data.end());
    result.intensity.assign(intensity->data.begin(), intensity->data.end());
    // Damaged arrays (stray characters in base64 text, for one) decode to numbers no instrument
    // records: m/z 0, infinities, subnormal values such as 3.5e-313.
    QString problem = plausible::pointValueProblem(result.mz, result.intensity);
    const auto subnormal = std::find_if(result.intensity.begin(), result.intensity.end(),
                                        [](double value) { return std::fpclassify(value) == FP_SUBNORMAL; });
    if (problem.isEmpty() && subnormal != result.intensity.end())
        problem = QStringLiteral("point %1 has intensity %2, which is too small to be a measurement")
                      .arg(subnormal - result.intensity.begin() + 1)
                      .arg(*subnormal);
    if (!problem.isEmpty())
        throw std::runtime_error(problem.toStdString());
    if (std::is_sorted(result.mz.begin(), result.mz.end()))
        return;
    std::vector<std::size_t> order(result.mz.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return result.mz[a] < result.mz[b]; });
    std::vector<double> sortedMz, sortedIntensity;
    sortedMz.reserve(order.size());
    sortedIntensity.reserve(order.size());
    for (std::size_t i : order) {
        sortedMz.push_back(result.mz[i]);
        sortedIntensity.push_back(result.intensity[i]);
    }
    result.mz = std::move(sortedMz);
    result.intensity = std::move(sortedIntensity);
}

} // namespace

struct SpectrumSource::Private {
    QString path;
    std::unique_ptr<MSDataFile> data;
    SpectrumListPtr spectra;
    MassAnalyzer defaultAnalyzer = MassAnalyzer::Other;

    // Checked once per spectrum, before the reader library first parses it: it decodes the
    // arrays even when asked for the spectrum without its points.
    mutable std::mutex checkedMutex;
    mutable std::vector<bool> checked;

    void checkCompressedArrays(qsizetype index) const {
        const auto at = static_cast<std::size_t>(index);
        {
            const std::lock_guard lock(checkedMutex);
            if (checked.size() <= at)
                checked.resize(spectra->size());
            if (checked[at])
                return;
        }
        const SpectrumIdentity& identity = spectra->spectrumIdentity(at);
        if (const QString problem =
                compressedArrayProblem(path, static_cast<qint64>(identity.sourceFilePosition));
            !problem.isEmpty())
            throw spectrumError(index, identity, problem);
        const std::lock_guard lock(checkedMutex);
        checked[at] = true;
    }

    SpectrumPtr spectrum(qsizetype index, bool withPoints) const {
        checkCompressedArrays(index);
        try {
            return spectra->spectrum(static_cast<std::size_t>(index), withPoints);
        } catch (const std::exception& error) {
            throw inputError(
                path,
                QStringLiteral("spectrum %1 cannot be read: %2").arg(index + 1).arg(readerReason(error)));
        }
    }

    // An error found in a spectrum read, naming the file and the spectrum.
    KestrumError spectrumError(qsizetype index, const SpectrumIdentity& spectrum,
                               const QString& reason) const {
        return inputError(path, QStringLiteral("spectrum %1 ('%2') cannot be read: %3")
                                    .arg(index + 1)
                                    .arg(QString::fromStdString(spectrum.id), reason));
    }
};

SpectrumSource::SpectrumSource(const QString& path) : d(std::make_unique<Private>()) {
    d->path = path;
    const QString problem = unreadableReason(QFileInfo(path));
    if (!problem.isEmpty())
        throw inputError(path, problem);
    try {
        d->data = std::make_unique<MSDataFile>(QFile::encodeName(path).toStdString());
    } catch (const std::exception& error) {
        const QString reason = readerReason(error);
        if (reason.startsWith(QStringLiteral("Unsupported file format")))
            throw inputError(path, QStringLiteral("not an mzML or mzXML file"));
        throw inputError(path, QStringLiteral("the file is damaged or incomplete (%1)").arg(reason));
    }
    d->spectra = d->data->run.spectrumListPtr;
    if (!d->data->instrumentConfigurationPtrs.empty() && d->data->instrumentConfigurationPtrs.front())
        d->defaultAnalyzer = analyzerOf(*d->data->instrumentConfigurationPtrs.front());
}

SpectrumSource::~SpectrumSource() = default;

QString SpectrumSource::runName() const {
    const QString id = QString::fromStdString(d->data->run.id).trimmed();
    return id.isEmpty() ? QFileInfo(d->path).completeBaseName() : id;
}

qsizetype SpectrumSource::count() const {
    return d->spectra ? static_cast<qsizetype>(d->spectra->size()) : 0;
}

int SpectrumSource::msLevel(qsizetype index) const {
    const SpectrumPtr spectrum = d->spectrum(index, false);
    try {
        return msLevelOf(*spectrum);
    } catch (const std::exception& error) {
        throw d->spectrumError(index, *spectrum, readerReason(error));
    }
}

SourceSpectrum SpectrumSource::read(qsizetype index) const {
    const SpectrumPtr spectrum = d->spectrum(index, true);
    SourceSpectrum result;
    try {
        result.msLevel = msLevelOf(*spectrum);
        result.negative = spectrum->hasCVParam(pwiz::cv::MS_negative_scan);
        result.centroided = spectrum->hasCVParam(pwiz::cv::MS_centroid_spectrum);
        result.analyzer = d->defaultAnalyzer;
        std::string filter = spectrum->cvParam(pwiz::cv::MS_filter_string).value;
        if (!spectrum->scanList.scans.empty()) {
            const Scan& scan = spectrum->scanList.scans.front();
            result.retentionTimeSeconds = scan.cvParam(pwiz::cv::MS_scan_start_time).timeInSeconds();
            if (scan.instrumentConfigurationPtr)
                result.analyzer = analyzerOf(*scan.instrumentConfigurationPtr);
            if (filter.empty())
                filter = scan.cvParam(pwiz::cv::MS_filter_string).value;
        }
        if (const std::optional<MassAnalyzer> named = analyzerOfFilter(filter))
            result.analyzer = *named;
        readPrecursor(*spectrum, result);
        for (const QString& problem :
             {plausible::timeProblem("scan start time", result.retentionTimeSeconds),
              plausible::precursorProblem(result.precursorMz, result.precursorCharge)})
            if (!problem.isEmpty())
                throw std::runtime_error(problem.toStdString());
        readPoints(*spectrum, result);
    } catch (const std::exception& error) {
        throw d->spectrumError(index, *spectrum, readerReason(error));
    }
    return result;
}

} // namespace kestrum
