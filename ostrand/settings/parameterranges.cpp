#include "parameterranges.h"

#include "errors/numberederror.h"
#include "numbers/numberconversion.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace ostrand {

const std::vector<ParameterRange>& processingParameterRanges() {
    using Kind = ParameterRange::Kind;
    // A switch stored as 0 or 1.
    const auto flag = [](const char* name) {
        return ParameterRange{QLatin1String(name), Kind::WholeNumber, 0, 1};
    };
    const auto boolean = [](const char* name) { return ParameterRange{QLatin1String(name), Kind::Boolean}; };
    static const std::vector<ParameterRange> ranges = {
        flag("strDefaultChargeState1"),
        flag("strDefaultChargeState2"),
        flag("strDefaultChargeState3"),
        flag("strDefaultChargeState4"),
        flag("strDefaultChargeState5"),
        flag("strDiscardHighChargeStates"),
        {QStringLiteral("DDESurveyHtPerc"), Kind::Number, 0, 100},
        {QStringLiteral("DDESurveyMergeDist"), Kind::Number, 0, 1000},
        boolean("DDEMergeDistInPPM"),
        flag("DDEAutoDetermineCharge"),
        flag("MSMSCentroidEnable"),
        boolean("MSMSSmoothCentroid"),
        {QStringLiteral("MSMSCentroidHtPerc"), Kind::Number, 0, 100},
        {QStringLiteral("MSMSCentroidMergeDist"), Kind::Number, 0, 1000},
        boolean("MSMSMergeDistInPPM"),
        {QStringLiteral("MSMSThreshold"), Kind::Number, 0, 1e15},
        boolean("MSMSThresholdInPercent"),
        boolean("MSMSDeisotope"),
        boolean("MSMSReportPeakArea"),
        {QStringLiteral("RemoveNearParent"), Kind::WholeNumber, 0, 300},
        boolean("iTraq"),
        {QStringLiteral("MSMSAveNeedXPeaks"), Kind::WholeNumber, 1, 100},
        {QStringLiteral("MSMSAvePrecursorTol"), Kind::Number, 0, 10},
        {QStringLiteral("MSMSAveMaxCycBetween"), Kind::Number, 0, 1000},
        {QStringLiteral("MSMSAveMinCyclesPerGroup"), Kind::WholeNumber, 1, 100},
        boolean("UseOldQueryTitles"),
        // Not processing parameters, but the batch search client's lists carry the server choice
        // and the addresses that the choices 1 and 3 need.
        {QStringLiteral("SorvexURLOption"), Kind::WholeNumber, 0, 3},
        {QStringLiteral("SorvexURL"), Kind::Text},
        {QStringLiteral("ProteinProspectorURL"), Kind::Text},
    };
    return ranges;
}

namespace {

const ParameterRange* findRange(const QString& name) {
    const auto& ranges = processingParameterRanges();
    const auto range = std::find_if(ranges.begin(), ranges.end(), [&name](const ParameterRange& known) {
        return known.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return range == ranges.end() ? nullptr : &*range;
}

} // namespace

const ParameterRange& parameterRange(const QString& name) {
    const ParameterRange* range = findRange(name);
    if (!range)
        throw errors::NumberedError::system(
            QStringLiteral("There is no processing parameter named '%1'.").arg(name));
    return *range;
}

QString parameterValueProblem(const QString& name, const QString& text) {
    const ParameterRange* range = findRange(name);
    if (!range)
        return QStringLiteral("there is no processing parameter named '%1'").arg(name);
    if (range->kind == ParameterRange::Kind::Text)
        return {};
    double value = 0;
    try {
        value = numbers::textToDouble(text);
    } catch (const errors::NumberedError&) {
        value = std::nan("");
    }
    if (range->kind == ParameterRange::Kind::Boolean) {
        if (std::isnan(value))
            return QStringLiteral("%1 is on or off (1 or 0, True or False), not '%2'").arg(name, text);
        return {};
    }
    const bool whole = range->kind == ParameterRange::Kind::WholeNumber;
    if (std::isnan(value) || value < range->lowest || value > range->highest ||
        (whole && value != std::floor(value)))
        return QStringLiteral("%1 takes a %2 from %3 to %4, not '%5'")
            .arg(name, whole ? QStringLiteral("whole number") : QStringLiteral("number"),
                 numbers::numberText(range->lowest, 15), numbers::numberText(range->highest, 15), text);
    return {};
}

QString parameterListsProblem(const QStringList& names, const QStringList& texts) {
    const auto given = [&](const char* name) -> std::optional<QString> {
        for (qsizetype i = 0; i < names.size() && i < texts.size(); ++i)
            if (names[i].compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
                return texts[i];
        return std::nullopt;
    };
    const auto threshold = given("MSMSThreshold");
    const QString inPercent = given("MSMSThresholdInPercent").value_or(QStringLiteral("1"));
    if (threshold && numbers::textToBool(inPercent) &&
        numbers::textToDouble(*threshold) > highestThresholdPercent)
        return QStringLiteral(
                   "MSMSThreshold is a percentage of the highest peak while MSMSThresholdInPercent "
                   "is on, so it takes a number from 0 to %1, not '%2'")
            .arg(highestThresholdPercent)
            .arg(*threshold);
    const auto server = given("SorvexURLOption");
    const auto needsAddress = [&](int choice, const char* address, const char* site) -> QString {
        if (!server || numbers::textToDouble(*server) != choice ||
            !given(address).value_or(QString()).isEmpty())
            return {};
        return QStringLiteral("SorvexURLOption %1 chooses %2, whose address must be given as %3 in the lists")
            .arg(QString::number(choice), QLatin1String(site), QLatin1String(address));
    };
    if (QString problem = needsAddress(1, "SorvexURL", "the local Sorvex intranet site"); !problem.isEmpty())
        return problem;
    return needsAddress(3, "ProteinProspectorURL", "the Protein Prospector site");
}

} // namespace ostrand
