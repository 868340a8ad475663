#pragma once
// One experiment of a period: the kind of scan it records each cycle.

#include "kestrum/scanrecord.h"

#include "kestrum_export.h"

#include <cstdint>

namespace kestrum {

class KESTRUM_EXPORT ExperimentInfo {
public:
    explicit ExperimentInfo(const ExperimentDefinition& definition) : m_definition(definition) {}

    // See scantype.h for the codes.
    std::int16_t ScanTypeCode() const { return static_cast<std::int16_t>(m_definition.scanTypeCode); }
    // 0 for positive ions, 1 for negative.
    int Polarity() const { return m_definition.polarity; }
    double FixedMass() const { return m_definition.fixedMass; }

private:
    ExperimentDefinition m_definition;
};

} // namespace kestrum
