#include "processclass.h"

#include "mlogger.h"

using automation::argumentAt;
using automation::Arguments;
using automation::Variant;

const automation::DispatchTable<ProcessClass>& ProcessClass::dispatchTable() {
    // Hosts reach the hooks by name; the sample hooks check that both arguments are passed and
    // convertible, as a typed interface would, but leave them unchanged.
    static const auto table =
        automation::DispatchTable<ProcessClass>()
            .method(QStringLiteral("BatchStart"),
                    [](ProcessClass& self, Arguments&) {
                        self.BatchStart();
                        return Variant();
                    })
            .method(QStringLiteral("BatchEnd"),
                    [](ProcessClass& self, Arguments&) {
                        self.BatchEnd();
                        return Variant();
                    })
            .method(QStringLiteral("SampleStart"),
                    [](ProcessClass& self, Arguments& args) {
                        self.SampleStart(argumentAt(args, 0).toString(), argumentAt(args, 1).toInteger());
                        return Variant();
                    })
            .method(QStringLiteral("SampleEnd"),
                    [](ProcessClass& self, Arguments& args) {
                        self.SampleEnd(argumentAt(args, 0).toString(), argumentAt(args, 1).toInteger());
                        return Variant();
                    })
            .method(QStringLiteral("ProcessActive"), [](ProcessClass& self, Arguments&) {
                self.ProcessActive();
                return Variant();
            });
    return table;
}

void ProcessClass::ProcessActive() {
    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - start"));
    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - about to show main form"));
    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - main form done"));
}
