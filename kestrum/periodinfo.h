#pragma once
// One period of a sample: its experiments, which every cycle of the period repeats.

#include "kestrum/experimentinfo.h"

#include <QString>

#include <memory>
#include <vector>

namespace kestrum {

class KESTRUM_EXPORT PeriodInfo {
public:
    explicit PeriodInfo(std::vector<std::shared_ptr<ExperimentInfo>> experiments);

    int ExperimentCount() const { return static_cast<int>(m_experiments.size()); }
    // Experiments count from 0; any other index raises "Subscript out of range".
    std::shared_ptr<ExperimentInfo> ExperimentAt(int index) const;

private:
    std::vector<std::shared_ptr<ExperimentInfo>> m_experiments;
};

// One sample of a file, as VeskFile::SampleAt gives it.
class KESTRUM_EXPORT SampleInfo {
public:
    SampleInfo(QString name, int periodCount) : m_name(std::move(name)), m_periodCount(periodCount) {}

    const QString& Name() const { return m_name; }
    int PeriodCount() const { return m_periodCount; }

private:
    QString m_name;
    int m_periodCount;
};

} // namespace kestrum
