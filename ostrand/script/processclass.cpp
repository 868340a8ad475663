#include "processclass.h"

#include "automation/memberbinding.h"
#include "diagnostics/mlogger.h"
#include "mainform.h"

#include <QApplication>

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
    // The search dialog needs a host with windows; a program without them gets an error, not a crash.
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        throw automation::AutomationError::system(
            QStringLiteral("The search dialog needs a host program with windows."));
    MainForm form;
    if (!form.Form_Load())
        return;
    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - about to show main form"));
    form.exec();
    MLogger::LogMessage(QStringLiteral("ProcessClass.ProcessActive - main form done"));
}
