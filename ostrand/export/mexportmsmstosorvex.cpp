#include "mexportmsmstosorvex.h"

#include "data/veskfileinfo.h"
#include "diagnostics/mlogger.h"
#include "diagnostics/parameterdump.h"
#include "exportprogress.h"
#include "mspectrum.h"
#include "settings/processingparameters.h"
#include "sorvexstringhelper.h"

#include "errors/numberederror.h"
#include "kestrum/filespectrum.h"
#include "kestrum/peakfinder/cancellation.h"
#include "kestrum/veskfile.h"

namespace ostrand {

namespace {

void log(const QString& text) {
    MLogger::LogMessage(text);
}

void logValue(const char* label, std::int32_t value) {
    MLogger::LogMessage(QStringLiteral("\t") + QLatin1String(label) + QStringLiteral(" = ") +
                        QString::number(value));
}

// One step of the progress count, never beyond its maximum.
void advance(ExportProgress* progress) {
    if (progress && progress->Max() > progress->Value())
        progress->setValue(progress->Value() + 1);
}

} // namespace

bool CycleSelection::isSelected(std::int32_t cycle) const {
    if (cycle == -1 || cycle > upperBound())
        return true;
    if (cycle < lowerBound)
        throw errors::NumberedError::standard(errors::SubscriptOutOfRange);
    return flags[static_cast<std::size_t>(cycle - lowerBound)];
}

MExportMSMSToSorvex::MExportMSMSToSorvex() : m_pendingEvents(std::make_shared<ApplicationPendingEvents>()) {}

MExportMSMSToSorvex::~MExportMSMSToSorvex() = default;

void MExportMSMSToSorvex::setPendingEvents(std::shared_ptr<PendingEvents> pendingEvents) {
    m_pendingEvents = std::move(pendingEvents);
}

void MExportMSMSToSorvex::DoExport(const QString& filePath, std::int32_t sampleIndex, const Params& params,
                                   ExportProgress* progress, std::int32_t startCycle) {
    DoExportRange(filePath, sampleIndex, params, progress, startCycle, startCycle, nullptr);
}

QString MExportMSMSToSorvex::GetResultString() {
    log(QStringLiteral("MExportMSMSToSorvex.getResultString - start"));
    QString result = GetQueryStringHelper()->GetString();
    log(QStringLiteral("MExportMSMSToSorvex.getResultString - end"));
    return result;
}

void MExportMSMSToSorvex::DoExportRange(const QString& filePath, std::int32_t sampleIndex,
                                        const Params& params, ExportProgress* progress,
                                        std::int32_t startCycle, std::int32_t endCycle,
                                        SampleLabel* sampleNameLabel) {
    DoExportPrivate(filePath, sampleIndex, params, progress, startCycle, endCycle, sampleNameLabel,
                    CycleSelection());
}

std::shared_ptr<SorvexStringHelper> MExportMSMSToSorvex::GetQueryStringHelper() {
    if (!m_queryHelper)
        m_queryHelper = std::make_shared<SorvexStringHelper>();
    return m_queryHelper;
}

void MExportMSMSToSorvex::DoExportSpecificCycles(const QString& filePath, std::int32_t sampleIndex,
                                                 const Params& params, ExportProgress* progress,
                                                 SampleLabel* sampleNameLabel,
                                                 const CycleSelection& useCycles) {
    DoExportPrivate(filePath, sampleIndex, params, progress, useCycles.lowerBound, useCycles.upperBound(),
                    sampleNameLabel, useCycles);
}

void MExportMSMSToSorvex::DoExportPrivate(const QString& filePath, std::int32_t sampleIndex,
                                          const Params& params, ExportProgress* progress,
                                          std::int32_t startCycle, std::int32_t endCycle,
                                          SampleLabel* sampleNameLabel, const CycleSelection& useCycles) {
    log(QStringLiteral("MExportMSMSToSorvex.DoExportRange - start"));
    MLogger::LogMessage(QStringLiteral("\tfilePath = ") + filePath);
    logValue("sampleIndex", sampleIndex);
    logValue("startCycle", startCycle);
    logValue("endCycle", endCycle);
    if (!params)
        throw errors::NumberedError::standard(errors::TypeMismatch);
    DebugDump(*params);
    m_params = params;
    m_cancelled = false;
    // Everything below opens the file by its path; all of it reads the one file opened here.
    const kestrum::VeskFileHold heldFile(filePath);

    if (!m_fileInfo)
        m_fileInfo = std::make_shared<VeskFileInfo>();
    const std::int32_t firstSample = sampleIndex == -1 ? 1 : sampleIndex;
    m_fileInfo->setFileNameAndIndex(filePath, firstSample, 0, 0, startCycle);
    const std::int32_t lastSample =
        sampleIndex == -1 ? m_fileInfo->getNumberOfSamples().toInt() : sampleIndex;
    // A cancel request reaches into the peak finder too, which a huge scan keeps busy for long.
    const kestrum::CancellationScope cancellation([this] {
        m_pendingEvents->process();
        return m_cancelled;
    });
    try {
        exportSamples(progress, startCycle, endCycle, sampleNameLabel, useCycles, firstSample, lastSample);
    } catch (const kestrum::Cancelled&) {
        m_cancelled = true;
    }
}

void MExportMSMSToSorvex::exportSamples(ExportProgress* progress, std::int32_t startCycle,
                                        std::int32_t endCycle, SampleLabel* sampleNameLabel,
                                        const CycleSelection& useCycles, std::int32_t firstSample,
                                        std::int32_t lastSample) {
    const QString filePath = m_fileInfo->GetFilename();
    for (std::int32_t sample = firstSample; sample <= lastSample; ++sample) {
        log(QStringLiteral("MExportMSMSToSorvex.DoExportRange - processing sample ") +
            QString::number(sample));
        if (sampleNameLabel)
            sampleNameLabel->setCaption(m_fileInfo->getSampleName());
        if (m_fileInfo->isDDE())
            DoExportDDE(progress, startCycle, endCycle, useCycles);
        else
            DoExportMSMS(progress, startCycle, endCycle, useCycles);
        if (sample != lastSample)
            m_fileInfo->setFileNameAndIndex(filePath, sample + 1, 0, 0, startCycle);
    }
}

QString MExportMSMSToSorvex::GetResultFilename() {
    log(QStringLiteral("MExportMSMSToSorvex.GetResultFilename - start"));
    QString result = GetQueryStringHelper()->GetFilename();
    log(QStringLiteral("MExportMSMSToSorvex.GetResultFilename - end"));
    return result;
}

std::shared_ptr<kestrum::VeskFile> MExportMSMSToSorvex::openFile() const {
    return kestrum::VeskFileOpener().OpenVeskFile(m_fileInfo->GetFilename(), m_fileInfo->getSampleIndex());
}

void MExportMSMSToSorvex::writeQuery(const QString& text) {
    GetQueryStringHelper()->Append(text);
    ++m_spectraWritten;
}

void MExportMSMSToSorvex::DoExportMSMS(ExportProgress* progress, std::int32_t startCycle,
                                       std::int32_t endCycle, const CycleSelection& useCycles) {
    log(QStringLiteral("MExportMSMSToSorvex.DoExportMSMS - start"));
    const auto file = openFile();
    const std::int32_t sample = m_fileInfo->getSampleIndex();
    for (std::int32_t period = 0; period < m_fileInfo->getNumPeriods(); ++period) {
        const int experimentCount = file->ExperimentCount(sample, period);
        for (std::int32_t cycle = startCycle; cycle <= endCycle; ++cycle) {
            m_pendingEvents->process();
            if (m_cancelled || !useCycles.isSelected(cycle))
                continue;
            advance(progress);
            for (std::int32_t experiment = 0; experiment < m_fileInfo->getMaxExperiments(); ++experiment) {
                // Periods may have fewer experiments than the sample's largest period.
                if (experiment >= experimentCount ||
                    !VeskFileInfo::isThisScanMSMS(
                        file->Experiment(sample, period, experiment)->ScanTypeCode()))
                    continue;
                const QString text = ExportOneMSMSSpectrum(*file, period, experiment, cycle);
                if (!text.isEmpty())
                    writeQuery(text);
            }
        }
    }
}

QString MExportMSMSToSorvex::ExportOneMSMSSpectrum(const kestrum::VeskFile& file, std::int32_t period,
                                                   std::int32_t experiment, std::int32_t cycle) {
    const std::int32_t sample = m_fileInfo->getSampleIndex();
    const std::int32_t cycles = file.CycleCount(sample, period);
    // A whole run leaves out its first and last cycle when it has three or more.
    std::int32_t first = cycle;
    std::int32_t last = cycle;
    if (cycle == -1) {
        first = cycles > 2 ? 1 : 0;
        last = cycles > 2 ? cycles - 2 : cycles - 1;
    }
    const float startTime = file.CycleTime(sample, period, experiment, first);
    const float endTime = file.CycleTime(sample, period, experiment, last);
    auto spectrum = std::make_shared<kestrum::FileSpectrum>();
    spectrum->SetDataFile(m_fileInfo->GetFilename());
    spectrum->LoadSpectrum(sample, period, experiment, startTime, endTime);
    const double parentMZ = VeskFileInfo::ParseParentMZFromTitle(spectrum->Title());

    // The charge is never known for a fixed precursor, so the query carries the default charges.
    MSpectrum query;
    query.SetInfo2(parentMZ, 0, m_params, m_fileInfo);
    query.AddSummedSpectrum2(std::move(spectrum), first, last, startTime, endTime,
                             static_cast<std::int16_t>(period), static_cast<std::int16_t>(experiment));
    return query.getSorvexDataForOneMSMSDataSet();
}

void MExportMSMSToSorvex::DoExportDDE(ExportProgress* progress, std::int32_t startCycle,
                                      std::int32_t endCycle, const CycleSelection& useCycles) {
    log(QStringLiteral("MExportMSMSToSorvex.DoExportDDE - start"));
    const auto file = openFile();
    const std::int32_t sample = m_fileInfo->getSampleIndex();
    if (startCycle == -1) {
        startCycle = 0;
        endCycle = file->CycleCount(sample, 0) - 1;
    }
    // The cycles before the first exported one count as done.
    if (progress && progress->Max() > progress->Value() + startCycle)
        progress->setValue(progress->Value() + startCycle);

    // One total-ion trace per experiment tells which experiments scanned in a cycle.
    const int experimentCount = file->Period(sample, 0)->ExperimentCount();
    if (m_experimentTraces.size() < static_cast<std::size_t>(experimentCount))
        m_experimentTraces.resize(static_cast<std::size_t>(experimentCount));
    for (int experiment = 0; experiment < experimentCount; ++experiment) {
        auto& trace = m_experimentTraces[static_cast<std::size_t>(experiment)];
        if (!trace)
            trace = std::make_shared<kestrum::FileChromatogram>();
        trace->SetDataFile(file->FilePath());
        trace->LoadChromatogram(sample, 0, experiment);
    }

    kestrum::FileSpectrum survey;
    kestrum::FileSpectrum product;
    survey.SetDataFile(m_fileInfo->GetFilename());
    product.SetDataFile(m_fileInfo->GetFilename());
    for (std::int32_t cycle = startCycle; cycle <= endCycle; ++cycle) {
        m_pendingEvents->process();
        if (useCycles.isSelected(cycle) && !m_cancelled) {
            advance(progress);
            ProcessOneCycle(survey, product, *file, sample, cycle);
            FlushGroups(cycle);
        }
    }
    if (!m_cancelled)
        FlushGroups(-1);
}

void MExportMSMSToSorvex::ProcessOneCycle(kestrum::FileSpectrum& survey, kestrum::FileSpectrum& product,
                                          const kestrum::VeskFile& file, std::int32_t sample,
                                          std::int32_t cycle) {
    log(QStringLiteral("MExportMSMSToSorvex.ProcessOneCycle - start"));
    logValue("cycleNumber", cycle);
    // The survey scan's peaks, found once per cycle: every product scan of the cycle looks up its
    // precursor among the same peaks.
    bool surveyLoaded = false;
    const auto period = file.Period(sample, 0);
    for (int experiment = 0; experiment < period->ExperimentCount(); ++experiment) {
        const auto info = period->ExperimentAt(experiment);
        const double tic = m_experimentTraces[static_cast<std::size_t>(experiment)]->YAt(cycle + 1);
        if (!(tic > 0) || !VeskFileInfo::isThisScanDDEProduct(info->ScanTypeCode(), info->FixedMass()))
            continue;
        const float time = file.CycleTime(sample, 0, experiment, cycle);
        product.LoadSpectrum(sample, 0, experiment, time, time);
        // The precursor the instrument recorded with its charge where it recorded charges; the
        // m/z in the title otherwise.
        double parentMZ = 0;
        std::int16_t charge = 0;
        if (m_fileInfo->haveEngineDDEChargeState() && m_params->getDDEAutoDetermineCharge() != 0)
            VeskFileInfo::GetParentMZAndCharge(&file, static_cast<std::int16_t>(sample), 0,
                                               static_cast<std::int16_t>(experiment), cycle, parentMZ,
                                               charge);
        else
            parentMZ = VeskFileInfo::ParseParentMZFromTitle(product.Title());
        if (!(parentMZ > 0) || product.PointCount() == 0)
            continue;
        PrecursorIon ion;
        if (WantSurveyCharge()) {
            if (!surveyLoaded) {
                const float surveyTime = file.CycleTime(sample, 0, 0, cycle);
                survey.LoadSpectrum(sample, 0, 0, surveyTime, surveyTime);
                m_survey.findPeaks(survey);
                surveyLoaded = true;
            }
            // The precursor moves to the survey peak it was selected on, and to its cluster's
            // monoisotopic peak when that peak was the second or third isotope; the survey scan's
            // charge wins, the recorded one stands where it finds none.
            ion = m_survey.ionAt(parentMZ);
            if (ion.known())
                parentMZ = ion.monoisotopicMz;
            if (ion.charge > 0)
                charge = ion.charge;
        }
        m_groups.AddScan(product.CopySpectrum(), parentMZ, charge, cycle, time,
                         static_cast<std::int16_t>(experiment), m_params, m_fileInfo, ion);
    }
}

bool MExportMSMSToSorvex::WantSurveyCharge() const {
    return m_params->getDDEAutoDetermineCharge() != 0 && m_fileInfo->isTOFSurveyDDE();
}

void MExportMSMSToSorvex::FlushGroups(std::int32_t cycle) {
    m_groups.FlushGroups(cycle, m_params->getMSMSAveMaxCycBetween(),
                         [this](const QString& text) { writeQuery(text); });
}

} // namespace ostrand
