#include "veskfileinfo.h"

#include "diagnostics/mlogger.h"

#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"
#include "numbers/numberconversion.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

namespace ostrand {

namespace {

// The number text between `from` and the next ")", when there is such text and it converts.
std::optional<double> numberBeforeClosingParenthesis(const QString& title, qsizetype from) {
    const qsizetype closing = title.indexOf(QLatin1Char(')'), from);
    if (closing <= from)
        return std::nullopt;
    try {
        return numbers::parseNumber(title.mid(from, closing - from));
    } catch (const errors::NumberedError&) {
        return std::nullopt;
    }
}

} // namespace

void VeskFileInfo::setFileNameAndIndex(const QString& strFileName, std::int32_t sampleIndex,
                                       std::int32_t currentPeriod, std::int32_t currentExperiment,
                                       std::int32_t currentCycle) {
    MLogger::LogMessage(QStringLiteral("VeskFileInfo.setFileNameAndIndex - start"));
    MLogger::LogMessage(QStringLiteral("\tstrFileName = ") + strFileName);
    MLogger::LogMessage(QStringLiteral("\tsampleIndex = ") + QString::number(sampleIndex));
    MLogger::LogMessage(QStringLiteral("\tcurrentPeriod = ") + QString::number(currentPeriod));
    MLogger::LogMessage(QStringLiteral("\tcurrentExperiment = ") + QString::number(currentExperiment));
    MLogger::LogMessage(QStringLiteral("\tcurrentCycle = ") + QString::number(currentCycle));
    // Everything is read first, so a failure leaves the object describing the file it had.
    m_state = readState(strFileName, sampleIndex, currentPeriod, currentExperiment, currentCycle);
}

VeskFileInfo::State VeskFileInfo::readState(const QString& fileName, std::int32_t sampleIndex,
                                            std::int32_t currentPeriod, std::int32_t currentExperiment,
                                            std::int32_t currentCycle) {
    State state;
    state.fileName = fileName;
    state.sampleIndex = sampleIndex;
    state.currentPeriod = currentPeriod;
    state.currentExperiment = currentExperiment;
    state.currentCycle = currentCycle;

    const auto file = kestrum::VeskFileOpener().OpenVeskFile(fileName, sampleIndex);
    state.sampleName = file->SampleName(sampleIndex);
    state.numberOfPeriods = file->PeriodCount(sampleIndex);
    state.cyclesInFirstPeriod = file->CycleCount(sampleIndex, 0);
    // The count is kept in 16 bits; a larger one raises an overflow.
    state.numberOfSamples = numbers::checkedRound<std::int16_t>(file->SampleCount());

    for (std::int32_t period = 0; period < state.numberOfPeriods; ++period)
        state.maxExperiments = std::max(state.maxExperiments, file->ExperimentCount(sampleIndex, period));

    // A sample without a single scan (as from an mzML without spectra) has no experiments: it has
    // nothing to export, which the export reports, rather than a broken structure.
    if (file->ExperimentCount(sampleIndex, currentPeriod) > 0)
        state.scanType = file->Experiment(sampleIndex, currentPeriod, currentExperiment)->ScanTypeCode();

    // Only a one-period sample can be a data-dependent run; its first product experiment with a
    // precursor chosen during acquisition decides it.
    state.dde = false;
    state.surveyScanType = -1;
    if (state.numberOfPeriods != 1)
        return state;
    const int experimentCount = file->ExperimentCount(sampleIndex, 0);
    for (int experiment = 0; experiment < experimentCount; ++experiment) {
        const auto info = file->Experiment(sampleIndex, 0, experiment);
        if (isThisScanDDEProduct(info->ScanTypeCode(), info->FixedMass())) {
            state.dde = true;
            state.surveyScanType = file->Experiment(sampleIndex, 0, 0)->ScanTypeCode();
            state.recordedCharges = file->hasRecordedCharges(sampleIndex);
            break;
        }
    }
    return state;
}

QString VeskFileInfo::getScanTypeText() const {
    return kestrum::scanTypeText(m_state.scanType);
}

bool VeskFileInfo::isMSMS() const {
    return isThisScanMSMS(m_state.scanType) || m_state.dde;
}

bool VeskFileInfo::isThisScanMSMS(std::int16_t scanType) {
    return kestrum::isProductScanType(scanType);
}

bool VeskFileInfo::isDataBeingAcquired() const {
    return kestrum::VeskFileOpener().OpenVeskFile(m_state.fileName, m_state.sampleIndex)->IsAcquiring();
}

bool VeskFileInfo::isTOFSurveyDDE() const {
    return m_state.dde && m_state.surveyScanType == kestrum::TOFMS;
}

bool VeskFileInfo::isMSMSButNotDDE() const {
    return isThisScanMSMS(m_state.scanType);
}

bool VeskFileInfo::isThisScanMSCubed(std::int16_t scanType) {
    return scanType == kestrum::MS3;
}

bool VeskFileInfo::isThisScanDDEProduct(std::int16_t scanType, double fixedMass) {
    return kestrum::isDataDependentProductScan(scanType, fixedMass);
}

void VeskFileInfo::GetParentMZAndCharge(const kestrum::VeskFile* theWF, std::int16_t theSampleIndex,
                                        std::int16_t thePeriod, std::int16_t theExpt, std::int32_t theCycle,
                                        double& parentMZ, std::int16_t& chargeState) {
    if (!theWF)
        throw errors::NumberedError::system(
            QStringLiteral("Could not obtain charge state in GetParentMZAndCharge."));
    const auto recorded = theWF->recordedPrecursor(theSampleIndex, thePeriod, theExpt, theCycle);
    // The callers ask only for scans of experiments typed as data-dependent product scans, which
    // the instrument records with their precursor; a scan without one is no product scan.
    if (!recorded)
        throw errors::NumberedError::system(
            QStringLiteral(
                "Experiment %1 of sample %2 (period %3) is typed as a product scan, but its scan in "
                "cycle %4 records no precursor m/z. It is likely a survey experiment typed as a "
                "product scan.")
                .arg(theExpt)
                .arg(theSampleIndex)
                .arg(thePeriod)
                .arg(theCycle));
    parentMZ = recorded->mz;
    chargeState = static_cast<std::int16_t>(std::clamp(recorded->charge, 0, 100));
}

double VeskFileInfo::ParseParentMZFromTitle(const QString& specTitle) {
    double parentMz = 0.0;
    const qsizetype opening = specTitle.indexOf(QLatin1Char('('));
    if (opening >= 0)
        parentMz = numberBeforeClosingParenthesis(specTitle, opening + 1).value_or(parentMz);
    // A title that names the precursor again after "),(" gives the later number precedence.
    const qsizetype joint = specTitle.indexOf(QStringLiteral("),("));
    if (joint >= 0)
        parentMz = numberBeforeClosingParenthesis(specTitle, joint + 3).value_or(parentMz);
    return parentMz;
}

bool VeskFileInfo::IsPositive(std::int32_t periodNum, std::int32_t experimentNum) const {
    const auto file = kestrum::VeskFileOpener().OpenVeskFile(m_state.fileName, m_state.sampleIndex);
    return file->Experiment(m_state.sampleIndex, periodNum, experimentNum)->Polarity() == 0;
}

} // namespace ostrand
