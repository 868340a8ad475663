#pragma once
// A processing script's ProcessClass that writes down every batch hook the host calls: one line
// per call appended to the file named by the environment variable HOOK_LOGGER_FILE,
// "BatchStart", "SampleStart PATH INDEX", "SampleEnd PATH INDEX" and "BatchEnd".

#include "automation/dispatch.h"

#include <cstdint>

namespace hooklogger {

class ProcessClass : public automation::DispatchObject<ProcessClass> {
public:
    // The name the host asks the script library for.
    static QString staticClassName() { return QStringLiteral("ProcessClass"); }
    // The hooks the host calls by name; their names and arguments are the contract.
    static const automation::DispatchTable<ProcessClass>& dispatchTable();

    void BatchStart();
    void SampleStart(const QString& filename, std::int16_t sampleIndex);
    void SampleEnd(const QString& filename, std::int16_t sampleIndex);
    void BatchEnd();
};

} // namespace hooklogger
