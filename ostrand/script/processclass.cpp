#include "processclass.h"

#include "automation/memberbinding.h"
#include "diagnostics/mlogger.h"

using automation::bindMember;

const automation::DispatchTable<ProcessClass>& ProcessClass::dispatchTable() {
    static const auto table =
        automation::DispatchTable<ProcessClass>()
            .method(QStringLiteral("BatchStart"), bindMember(&ProcessClass::BatchStart))
            .method(QStringLiteral("BatchEnd"), bindMember(&ProcessClass::BatchEnd))
            .method(QStringLiteral("SampleStart"), bindMember(&ProcessClass::SampleStart))
            .method(QStringLiteral("SampleEnd"), bindMember(&ProcessClass::SampleEnd))
            .method(QStringLiteral("ProcessActive"), bindMember(&ProcessClass::ProcessActive));
    return table;
}

void ProcessClass::ProcessActive() {
    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - start"));
    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - about to show main form"));
    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - main form done"));
}
