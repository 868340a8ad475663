#include "veskfileinfo.h"

#include "automation/memberbinding.h"
#include "kestrum/scantype.h"
#include "kestrum/veskfile.h"
#include "script/mlogger.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>

using automation::argumentAt;
using automation::Arguments;
using automation::bindMember;
using automation::Variant;

namespace {

// The number text between `from` and the next ")", when there is such text and it converts.
std::optional<double> numberBeforeClosingParenthesis(const QString& title, qsizetype from) {
    const qsizetype closing = title.indexOf(QLatin1Char(')'), from);
    if (closing <= from)
        return std::nullopt;
    try {
        return automation::parseNumber(title.mid(from, closing - from));
    } catch (const automation::AutomationError&) {
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
    state.numberOfSamples = Variant(std::int32_t{file->SampleCount()}).toInteger();

    for (std::int32_t period = 0; period < state.numberOfPeriods; ++period)
        state.maxExperiments = std::max(state.maxExperiments, file->ExperimentCount(sampleIndex, period));

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
    const auto recorded =
        theWF ? theWF->recordedPrecursor(theSampleIndex, thePeriod, theExpt, theCycle) : std::nullopt;
    if (!recorded)
        throw automation::AutomationError::system(
            QStringLiteral("Could not obtain charge state in GetParentMZAndCharge."));
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

QString VeskFileInfo::helpString(const QString& member) {
    static const std::array<std::pair<const char*, const char*>, 15> texts = {{
        {"getScanTypeText", "Returns the scan type as a text string"},
        {"GetFilename", "The full path name of the file"},
        {"getSampleIndex", "Not generally useful. Note that the first sample is sample number 1"},
        {"getNumberOfSamples", "Returns the number of Samples - note that sample indexes start at 1"},
        {"getSampleName", "Returns the name of the current sample"},
        {"getNumPeriods", "Returns the number of periods. Note that for DDE, there is only one period"},
        {"getScanType", "Returns the scan type - one of MRM_SCAN, NEUTRAL_LOSS_SCAN etc."},
        {"getMaxExperiments", "Returns the maximum number of experiments for any cycle in the file"},
        {"getNumCyclesInFirstPeriod",
         "The number of cycles in the first period. Note that for DDE, there is only one period"},
        {"isDDE", "Returns TRUE if it is a DDE experiment"},
        {"getCurrentPeriod", "Not generally useful"},
        {"getCurrentExperiment", "Not generally useful"},
        {"isMSMSButNotDDE", "Returns TRUE if there is MSMS data in the file."},
        {"isThisScanMSMS", "Not generally useful, but returns true if the current scan is MSMS"},
        {"isDataBeingAcquired", "Returns TRUE if data is still being acquired. However, there seems to be "
                                "something dodgy here - don't recommend using this yet."},
    }};
    for (const auto& [name, text] : texts)
        if (member.compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(text);
    return {};
}

const automation::DispatchTable<VeskFileInfo>& VeskFileInfo::dispatchTable() {
    using Self = VeskFileInfo;
    // The rules that need no file are static; their entries convert the arguments themselves.
    static const auto table =
        automation::DispatchTable<Self>()
            .propertyGet(QStringLiteral("DllVersion"),
                         [](Self&, Arguments&) { return Variant(DllVersion()); })
            .method(QStringLiteral("setFileNameAndIndex"), bindMember(&Self::setFileNameAndIndex))
            .method(QStringLiteral("getScanTypeText"), bindMember(&Self::getScanTypeText))
            .method(QStringLiteral("GetFilename"), bindMember(&Self::GetFilename))
            .method(QStringLiteral("getSampleIndex"), bindMember(&Self::getSampleIndex))
            .method(QStringLiteral("getNumberOfSamples"), bindMember(&Self::getNumberOfSamples))
            .method(QStringLiteral("getSampleName"), bindMember(&Self::getSampleName))
            .method(QStringLiteral("getNumPeriods"), bindMember(&Self::getNumPeriods))
            .method(QStringLiteral("getScanType"), bindMember(&Self::getScanType))
            .method(QStringLiteral("getMaxExperiments"), bindMember(&Self::getMaxExperiments))
            .method(QStringLiteral("getNumCyclesInFirstPeriod"), bindMember(&Self::getNumCyclesInFirstPeriod))
            .method(QStringLiteral("isDDE"), bindMember(&Self::isDDE))
            .method(QStringLiteral("getCurrentPeriod"), bindMember(&Self::getCurrentPeriod))
            .method(QStringLiteral("getCurrentExperiment"), bindMember(&Self::getCurrentExperiment))
            .method(QStringLiteral("getCurrentCycle"), bindMember(&Self::getCurrentCycle))
            .method(QStringLiteral("isMSMS"), bindMember(&Self::isMSMS))
            .method(QStringLiteral("isThisScanMSMS"),
                    [](Self&, Arguments& args) {
                        return Variant(isThisScanMSMS(argumentAt(args, 0).toInteger()));
                    })
            .method(QStringLiteral("isDataBeingAcquired"), bindMember(&Self::isDataBeingAcquired))
            .method(QStringLiteral("isTOFSurveyDDE"), bindMember(&Self::isTOFSurveyDDE))
            .method(QStringLiteral("haveEngineDDEChargeState"),
                    [](Self& self, Arguments&) { return Variant(self.haveEngineDDEChargeState()); })
            .method(QStringLiteral("isMSMSButNotDDE"), bindMember(&Self::isMSMSButNotDDE))
            .method(QStringLiteral("isThisScanMSCubed"),
                    [](Self&, Arguments& args) {
                        return Variant(isThisScanMSCubed(argumentAt(args, 0).toInteger()));
                    })
            .method(QStringLiteral("isThisScanDDEProduct"),
                    [](Self&, Arguments& args) {
                        return Variant(isThisScanDDEProduct(argumentAt(args, 0).toInteger(),
                                                            argumentAt(args, 1).toDouble()));
                    })
            .method(QStringLiteral("GetParentMZAndCharge"),
                    [](Self&, Arguments& args) -> Variant {
                        // The data-file object does not cross as a Kestrum file; the call raises
                        // once its arguments have been checked as the interface types them.
                        double parentMz = argumentAt(args, 5).toDouble();
                        std::int16_t chargeState = argumentAt(args, 6).toInteger();
                        GetParentMZAndCharge(nullptr, argumentAt(args, 1).toInteger(),
                                             argumentAt(args, 2).toInteger(), argumentAt(args, 3).toInteger(),
                                             argumentAt(args, 4).toLong(), parentMz, chargeState);
                        return {};
                    })
            .method(QStringLiteral("ParseParentMZFromTitle"),
                    [](Self&, Arguments& args) {
                        return Variant(ParseParentMZFromTitle(argumentAt(args, 0).toString()));
                    })
            .method(QStringLiteral("IsPositive"), bindMember(&Self::IsPositive));
    return table;
}
