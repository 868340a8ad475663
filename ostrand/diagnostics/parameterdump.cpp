#include "parameterdump.h"

#include "mlogger.h"
#include "settings/parametertable.h"

#include "numbers/numberconversion.h"

#include <algorithm>

namespace ostrand {

namespace {

// A value in the text form the log has always used for its field's type.
QString valueText(ParameterRow::FieldType type, double value) {
    switch (type) {
    case ParameterRow::FieldType::WholeNumber:
        return QString::number(static_cast<int>(value));
    case ParameterRow::FieldType::Boolean:
        return numbers::booleanText(value != 0);
    default:
        return numbers::numberText(value, 15);
    }
}

} // namespace

void DebugDump(const ProcessingParameters& params) {
    if (!MLogger::IsLogEnabled())
        return;
    std::vector<const ParameterRow*> dumped;
    for (const ParameterRow& row : parameterTable())
        if (row.dumpOrder >= 0)
            dumped.push_back(&row);
    std::sort(dumped.begin(), dumped.end(),
              [](const ParameterRow* a, const ParameterRow* b) { return a->dumpOrder < b->dumpOrder; });
    MLogger::LogMessage(QStringLiteral("ProcessingParameters - dump"));
    for (const ParameterRow* row : dumped)
        MLogger::LogMessage(QLatin1Char('\t') + row->dumpLabel + QStringLiteral(" = ") +
                            valueText(row->fieldType, row->read(params)));
}

} // namespace ostrand
