#pragma once
// The script object through which the host starts everything in Ostrand: the interactive run on
// the data on screen, and the batch and sample hooks every processing script offers (which do
// nothing here, so the script can be attached to a batch without effect).

#include "automation/dispatch.h"

class ProcessClass : public automation::DispatchObject<ProcessClass> {
public:
    static QString staticClassName() { return QStringLiteral("ProcessClass"); }
    static const automation::DispatchTable<ProcessClass>& dispatchTable();

    void BatchStart() {}
    void BatchEnd() {}
    void SampleStart(const QString& /*filename*/, std::int16_t /*sampleIndex*/) {}
    void SampleEnd(const QString& /*filename*/, std::int16_t /*sampleIndex*/) {}
    void ProcessActive();
};
