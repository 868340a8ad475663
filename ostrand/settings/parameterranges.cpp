#include "parameterranges.h"

#include "parametertable.h"

#include "errors/numberederror.h"
#include "numbers/numberconversion.h"

#include <cmath>
#include <optional>

namespace ostrand {

QString parameterValueProblem(const QString& name, const QString& text) {
    const ParameterRow* row = findParameter(name);
    if (!row)
        return QStringLiteral("there is no processing parameter named '%1'").arg(name);
    if (row->kind == ParameterRow::Kind::Text)
        return {};
    double value = 0;
    try {
        value = numbers::textToDouble(text);
    } catch (const errors::NumberedError&) {
        value = std::nan("");
    }
    if (row->kind == ParameterRow::Kind::Boolean) {
        if (std::isnan(value))
            return QStringLiteral("%1 is on or off (1 or 0, True or False), not '%2'").arg(name, text);
        return {};
    }
    const bool whole = row->kind == ParameterRow::Kind::WholeNumber;
    if (std::isnan(value) || value < row->lowest || value > row->highest ||
        (whole && value != std::floor(value)))
        return QStringLiteral("%1 takes a %2 from %3 to %4, not '%5'")
            .arg(name, whole ? QStringLiteral("whole number") : QStringLiteral("number"),
                 numbers::numberText(row->lowest, 15), numbers::numberText(row->highest, 15), text);
    return {};
}

QString parameterListsProblem(const QStringList& names, const QStringList& texts) {
    const auto given = [&](DialogField field) -> std::optional<QString> {
        for (qsizetype i = 0; i < names.size() && i < texts.size(); ++i)
            if (names[i].compare(parameterOf(field).name, Qt::CaseInsensitive) == 0)
                return texts[i];
        return std::nullopt;
    };
    const ParameterRow& thresholdRow = parameterOf(DialogField::Threshold);
    const ParameterRow& inPercentRow = parameterOf(DialogField::ThresholdInPercent);
    const auto threshold = given(DialogField::Threshold);
    const QString inPercent = given(DialogField::ThresholdInPercent).value_or(inPercentRow.factoryDefault);
    if (threshold && numbers::textToBool(inPercent) &&
        numbers::textToDouble(*threshold) > highestThresholdPercent)
        return QStringLiteral("%1 is a percentage of the highest peak while %2 is on, so it takes a number "
                              "from 0 to %3, not '%4'")
            .arg(thresholdRow.name, inPercentRow.name)
            .arg(highestThresholdPercent)
            .arg(*threshold);
    const auto server = given(DialogField::Server);
    const auto needsAddress = [&](int choice, DialogField address, const char* site) -> QString {
        if (!server || numbers::textToDouble(*server) != choice ||
            !given(address).value_or(QString()).isEmpty())
            return {};
        return QStringLiteral("%1 %2 chooses %3, whose address must be given as %4 in the lists")
            .arg(parameterOf(DialogField::Server).name, QString::number(choice), QLatin1String(site),
                 parameterOf(address).name);
    };
    if (QString problem = needsAddress(1, DialogField::IntranetAddress, "the local Sorvex intranet site");
        !problem.isEmpty())
        return problem;
    return needsAddress(3, DialogField::ProspectorAddress, "the Protein Prospector site");
}

} // namespace ostrand
