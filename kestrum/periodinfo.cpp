#include "kestrum/periodinfo.h"

#include "kestrum/kestrumerror.h"

namespace kestrum {

PeriodInfo::PeriodInfo(std::vector<std::shared_ptr<ExperimentInfo>> experiments)
    : m_experiments(std::move(experiments)) {}

std::shared_ptr<ExperimentInfo> PeriodInfo::ExperimentAt(int index) const {
    if (index < 0 || index >= ExperimentCount())
        throw KestrumError(errors::SubscriptOutOfRange,
                           QStringLiteral("The period has no experiment %1; it has experiments 0 to %2.")
                               .arg(index)
                               .arg(ExperimentCount() - 1),
                           QStringLiteral("PeriodInfo"));
    return m_experiments[static_cast<std::size_t>(index)];
}

} // namespace kestrum
