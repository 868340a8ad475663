#pragma once
// The values the processing parameters may take, as the parameter table gives them, checked on
// the batch search client's lists as ostrand-export takes them; the options model shares the
// percentage limit of the threshold.

#include <QString>
#include <QStringList>

namespace ostrand {

// A threshold given as a percentage of the highest peak goes up to this.
inline constexpr double highestThresholdPercent = 95;

// What is wrong with `text` as the value of the parameter `name`, naming both and the values it
// takes; empty when the value is allowed. An unknown name is wrong too.
QString parameterValueProblem(const QString& name, const QString& text);

// What is wrong with name and value lists whose every value is allowed on its own: the rules
// between parameters that the options window applies (a percentage threshold up to 95, the
// address that a chosen search server needs). Names not in the lists take their defaults. Empty
// when the lists are consistent.
QString parameterListsProblem(const QStringList& names, const QStringList& texts);

} // namespace ostrand
