#include "mspectrum.h"

#include "complementaryions.h"
#include "data/veskfileinfo.h"
#include "diagnostics/mlogger.h"
#include "mmathutils.h"
#include "queryfile.h"
#include "settings/processingparameters.h"

#include "kestrum/centroidablespectrum.h"
#include "kestrum/peakfinder/isotopeclusterer.h"
#include "messages/printabletext.h"
#include "numbers/numberconversion.h"

#include <algorithm>
#include <cmath>

namespace ostrand {

using errors::NumberedError;
using numbers::numberText;

namespace {

// Intensities at or below this are noise left by centroiding and are not written.
constexpr double smallestWrittenIntensity = 0.000095;
// How far above the singly protonated precursor a fragment peak may still be centroided: the
// precursor's m/z and the fragments' carry errors of their own.
constexpr double fragmentMassSlack = 1.0;

QString text(double value) {
    return numberText(value, 15);
}

// Rounds to `decimals` decimals, halves to the even neighbour.
double roundTo(double value, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return numbers::roundHalfEven(value * scale) / scale;
}

QString minutes(double seconds, int decimals) {
    return text(roundTo(seconds / 60.0, decimals));
}

} // namespace

void MSpectrum::SetInfo2(double parentMZ, std::int16_t chargeState,
                         std::shared_ptr<ProcessingParameters> params,
                         std::shared_ptr<VeskFileInfo> veskInfo) {
    m_parentMZ = parentMZ;
    m_chargeState = chargeState;
    m_params = std::move(params);
    m_fileInfo = std::move(veskInfo);
    m_sampleName = m_fileInfo->getSampleName();
    m_sampleIndex = m_fileInfo->getSampleIndex();
    const QString& path = m_fileInfo->GetFilename();
    m_fileName =
        path.mid(std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/'))) + 1);
}

void MSpectrum::requireInitialised() const {
    if (!m_params || !m_fileInfo)
        throw NumberedError::system(
            QStringLiteral("MSpectrum: SetInfo2 must be called before spectra are added or written."));
}

void MSpectrum::AddSpectrum(Spectrum theSpectrum, std::int32_t cycleNumber, double theTime,
                            std::int32_t periodNum, std::int16_t experimentNum) {
    requireInitialised();
    if (!m_spectrum) {
        m_spectrum = std::move(theSpectrum);
        m_startTime = m_endTime = theTime;
        m_firstPeriod = m_lastPeriod = periodNum;
        m_isPositive = m_fileInfo->IsPositive(periodNum, experimentNum);
        RecordCycles(true, cycleNumber, cycleNumber, experimentNum);
        return;
    }
    m_spectrum->MergeSpectrum(*theSpectrum, 0.001);
    m_startTime = std::min(m_startTime, theTime);
    m_endTime = std::max(m_endTime, theTime);
    m_firstPeriod = std::min(m_firstPeriod, periodNum);
    m_lastPeriod = std::max(m_lastPeriod, periodNum);
    RecordCycles(false, cycleNumber, cycleNumber, experimentNum);
}

void MSpectrum::AddSummedSpectrum2(Spectrum theSpectrum, std::int32_t firstCycleNumber,
                                   std::int32_t lastCycleNumber, double startTime, double endTime,
                                   std::int16_t periodNum, std::int16_t experimentNum) {
    requireInitialised();
    m_spectrum = std::move(theSpectrum);
    m_startTime = startTime;
    m_endTime = endTime;
    m_firstPeriod = m_lastPeriod = periodNum;
    m_isPositive = m_fileInfo->IsPositive(periodNum, experimentNum);
    RecordCycles(true, firstCycleNumber, lastCycleNumber, experimentNum);
}

void MSpectrum::UpdateChargeState(std::int16_t newCharge) {
    if (m_chargeState != 0)
        throw NumberedError::system(QStringLiteral("Invalid call to UpdateChargeState."));
    m_chargeState = newCharge;
}

void MSpectrum::RecordCycles(bool first, std::int32_t firstCycle, std::int32_t lastCycle,
                             std::int16_t experiment) {
    if (experiment < 0)
        throw NumberedError::standard(errors::SubscriptOutOfRange);
    m_cycleCount += lastCycle - firstCycle + 1;
    const auto needed = static_cast<std::size_t>(experiment) + 1;
    if (first) {
        m_lastCycle = lastCycle;
        m_experiments.assign(needed, {});
    } else {
        m_lastCycle = std::max(m_lastCycle, lastCycle);
        if (needed > m_experiments.size())
            m_experiments.resize(needed);
    }
    ExperimentCycles& cycles = m_experiments[static_cast<std::size_t>(experiment)];
    if (!cycles.hasCycles) {
        cycles = {{}, firstCycle, lastCycle, true};
        return;
    }
    if (firstCycle == cycles.runEnd + 1) {
        cycles.runEnd = lastCycle;
        return;
    }
    if (!cycles.cycleText.isEmpty())
        cycles.cycleText += QStringLiteral(", ");
    cycles.cycleText += QString::number(cycles.runStart + 1);
    if (cycles.runStart != cycles.runEnd)
        cycles.cycleText += QLatin1Char('-') + QString::number(cycles.runEnd + 1);
    cycles.runStart = firstCycle;
    cycles.runEnd = lastCycle;
}

QString MSpectrum::GetCycleListText() const {
    QStringList items;
    for (std::size_t e = 0; e < m_experiments.size(); ++e) {
        const ExperimentCycles& cycles = m_experiments[e];
        if (!cycles.hasCycles)
            continue;
        QString item = cycles.cycleText;
        if (!item.isEmpty())
            item += QStringLiteral(", ");
        item += QString::number(cycles.runStart + 1);
        if (cycles.runStart != cycles.runEnd)
            item += QLatin1Char('-') + QString::number(cycles.runEnd + 1);
        item += QStringLiteral(" (Experiment %1)").arg(e + 1);
        items << item;
    }
    return QStringLiteral("Cycle(s): ") + items.join(QStringLiteral(", "));
}

void MSpectrum::CentroidAndThreshold() {
    MLogger::LogMessage(QStringLiteral("MSpectrum.CentroidAndThreshold - start"));
    const bool thresholdInPercent = m_params->getMSMSThresholdInPercent();
    const double minIntensity = thresholdInPercent ? 0.0 : m_params->getMSMSThresholdPerc();
    if (m_params->getMSMSCentroidEnable() != 0) {
        // Weak fragments are kept on the evidence of their complementary ions, for the charges
        // the query is searched with. Only positive ions: their fragments carry the protons.
        const ComplementaryIons complements(m_parentMZ, SearchedCharges());
        m_spectrum =
            MMathUtils::DoCentroidNative(*m_spectrum, m_params->getMSMSDeisotope(), m_params->getITraq(),
                                         !m_params->getMSMSReportPeakArea(), minIntensity, m_chargeState,
                                         m_isPositive ? &complements : nullptr);
    }
    if (m_isPositive)
        DropPeaksAboveThePrecursor();
    if (thresholdInPercent)
        MMathUtils::ThresholdByPercent(*m_spectrum, m_params->getMSMSThresholdPerc());
}

QString MSpectrum::getSorvexDataForOneMSMSDataSet() {
    requireInitialised();
    MLogger::LogMessage(QStringLiteral("MSpectrum.getSorvexDataForOneMSMSDataSet - start"));
    if (MLogger::IsLogEnabled())
        MLogger::LogMessage(QStringLiteral("\tQuery title = ") + GetQueryTitle());
    QString result;
    std::int64_t peakLines = 0;
    if (m_spectrum && m_cycleCount >= m_params->getMSMSAveMinCyclesPerGp()) {
        CentroidAndThreshold();
        if (m_spectrum->PointCount() >= m_params->getMSMSAveNeedXPeaks()) {
            for (const int charge : SearchedCharges())
                result += GetIonsBlock(static_cast<std::int16_t>(charge), peakLines);
        }
    }
    if (peakLines < m_params->getMSMSAveNeedXPeaks())
        result.clear();
    return result;
}

void MSpectrum::DropPeaksAboveThePrecursor() {
    const std::vector<int> charges = SearchedCharges();
    const int charge = *std::max_element(charges.begin(), charges.end());
    if (charge <= 0 || !(m_parentMZ > 0))
        return;
    using kestrum::IsotopeClusterer;
    const double limit = (m_parentMZ - IsotopeClusterer::protonMass) * charge + IsotopeClusterer::protonMass +
                         fragmentMassSlack;
    const std::vector<double>& mz = m_spectrum->mzValues();
    const auto kept = std::upper_bound(mz.begin(), mz.end(), limit) - mz.begin();
    m_spectrum->SetPointCount(static_cast<int>(kept));
}

std::vector<int> MSpectrum::SearchedCharges() const {
    if (m_chargeState != 0)
        return {m_chargeState};
    std::vector<int> charges;
    for (std::int16_t charge = 1; charge <= 5; ++charge)
        if (m_params->getDefaultChargeStates(charge) != 0)
            charges.push_back(charge);
    // Without a default charge the query goes out without one.
    if (charges.empty())
        charges.push_back(0);
    return charges;
}

QString MSpectrum::GetIonsBlock(std::int16_t charge, std::int64_t& peakLines) const {
    const QString lineEnd = QStringLiteral("\r\n");
    QString block = QStringLiteral("BEGIN IONS") + lineEnd;
    block += QStringLiteral("PEPMASS=") + text(m_parentMZ) + lineEnd;
    if (charge != 0)
        block += QStringLiteral("CHARGE=") + QString::number(charge) + QLatin1Char(m_isPositive ? '+' : '-') +
                 lineEnd;
    block += QStringLiteral("TITLE=") + GetQueryTitle() + lineEnd;
    const double window = m_params->getRemoveNearParentValue();
    const std::vector<double>& mz = m_spectrum->mzValues();
    const std::vector<double>& intensity = m_spectrum->intensities();
    for (std::size_t i = 0; i < mz.size(); ++i) {
        const bool nearParent = mz[i] > m_parentMZ - window && mz[i] < m_parentMZ + window;
        if (nearParent || intensity[i] <= smallestWrittenIntensity)
            continue;
        block += QueryFile::peakLine(mz[i], intensity[i]) + lineEnd;
        ++peakLines;
    }
    block += QStringLiteral("END IONS") + lineEnd + lineEnd;
    return block;
}

QString MSpectrum::GetQueryTitle() const {
    // A line break of any kind inside the title would end the TITLE= line and break the block.
    return messages::printableOnOneLine(m_params && m_params->getUseOldQueryTitles() ? GetOldQueryTitle()
                                                                                     : GetNewQueryTitle());
}

QString MSpectrum::GetNewQueryTitle() const {
    QString title = QStringLiteral("File: %1, Sample: %2 (sample number %3), Elution: ")
                        .arg(m_fileName, m_sampleName, QString::number(m_sampleIndex));
    title += minutes(m_startTime, 3);
    if (m_startTime != m_endTime)
        title += QStringLiteral(" to ") + minutes(m_endTime, 3);
    title += QStringLiteral(" min");
    if (m_firstPeriod == m_lastPeriod)
        title += QStringLiteral(", Period: %1").arg(m_firstPeriod + 1);
    else
        title += QStringLiteral(", Periods: %1 to %2").arg(m_firstPeriod + 1).arg(m_lastPeriod + 1);
    title += QStringLiteral(", ") + GetCycleListText();
    if (m_chargeState == 0)
        title += QStringLiteral(" (Charge not auto determined)");
    return title;
}

QString MSpectrum::GetOldQueryTitle() const {
    QString title;
    if (!m_sampleName.isEmpty())
        title += QStringLiteral("Sample: ") + m_sampleName + QLatin1Char(' ');
    title += QStringLiteral("Elution from: ") + minutes(m_startTime, 2) + QStringLiteral(" to ") +
             minutes(m_endTime, 2) + QStringLiteral("  ");
    if (m_firstPeriod == m_lastPeriod)
        title += QStringLiteral(" period: %1").arg(m_firstPeriod);
    else
        title += QStringLiteral(" periods: %1 to %2").arg(m_firstPeriod).arg(m_lastPeriod);
    title += QStringLiteral("  ");
    int lowest = -1;
    int highest = -1;
    for (std::size_t e = 0; e < m_experiments.size(); ++e) {
        if (!m_experiments[e].hasCycles)
            continue;
        if (lowest < 0)
            lowest = static_cast<int>(e);
        highest = static_cast<int>(e);
    }
    if (lowest == highest)
        title += QStringLiteral(" experiment: %1").arg(lowest);
    else
        title += QStringLiteral(" experiments: %1 to %2").arg(lowest).arg(highest);
    title += QStringLiteral(" cycles:  %1  ").arg(m_cycleCount);
    if (m_chargeState == 0)
        title += QStringLiteral("(Charge not auto determined)");
    return title;
}

} // namespace ostrand
