#pragma once
// The values each processing parameter may take, in one table: the options window checks its
// fields against it, and ostrand-export checks the batch search client's lists by it.

#include <QString>
#include <QStringList>
#include <vector>

namespace ostrand {

struct ParameterRange {
    enum class Kind { WholeNumber, Number, Boolean, Text };
    QString name; // the stored value's name, as "MSMSAveNeedXPeaks"
    Kind kind;
    double lowest = 0; // for numbers: the range, both ends included
    double highest = 0;
};

// A threshold given as a percentage of the highest peak goes up to this.
inline constexpr double highestThresholdPercent = 95;

// Every processing parameter, in the order the parameters are read.
const std::vector<ParameterRange>& processingParameterRanges();

// The range of the parameter `name` (any case); raises for a name that is not in the table.
const ParameterRange& parameterRange(const QString& name);

// What is wrong with `text` as the value of the parameter `name`, naming both and the values it
// takes; empty when the value is allowed. An unknown name is wrong too.
QString parameterValueProblem(const QString& name, const QString& text);

// What is wrong with name and value lists whose every value is allowed on its own: the rules
// between parameters that the options window applies (a percentage threshold up to 95, the
// address that a chosen search server needs). Names not in the lists take their defaults. Empty
// when the lists are consistent.
QString parameterListsProblem(const QStringList& names, const QStringList& texts);

} // namespace ostrand
