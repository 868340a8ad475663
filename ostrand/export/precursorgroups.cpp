#include "precursorgroups.h"

#include "mspectrum.h"
#include "settings/processingparameters.h"

#include "kestrum/centroidablespectrum.h"

#include <cmath>

namespace ostrand {

namespace {

// Precursors of this charge and above are beyond what the searches handle well.
constexpr std::int16_t lowestHighCharge = 5;

} // namespace

std::shared_ptr<MSpectrum> PrecursorGroups::FindOrCreateGroup(double parentMZ, std::int16_t charge,
                                                              const Params& params,
                                                              const std::shared_ptr<VeskFileInfo>& fileInfo,
                                                              const PrecursorIon& ion) {
    const double tolerance = params->getMSMSAvePrecursorTol();
    for (auto& [group, groupIon] : m_groups) {
        if (std::abs(group->GetParentMZ() - parentMZ) > tolerance || groupIon.differsFrom(ion))
            continue;
        const std::int16_t groupCharge = group->GetChargeState();
        if (charge != groupCharge && charge != 0) {
            // Different known charges never share a group; an unknown one learns the charge.
            if (groupCharge != 0)
                continue;
            group->UpdateChargeState(charge);
        }
        if (!groupIon.known())
            groupIon = ion;
        return group;
    }
    auto group = std::make_shared<MSpectrum>();
    group->SetInfo2(parentMZ, charge, params, fileInfo);
    m_groups.push_back({group, ion});
    return group;
}

bool PrecursorGroups::AddScan(std::shared_ptr<kestrum::CentroidableSpectrum> scan, double parentMZ,
                              std::int16_t charge, std::int32_t cycle, double time, std::int16_t experiment,
                              const Params& params, const std::shared_ptr<VeskFileInfo>& fileInfo,
                              const PrecursorIon& ion) {
    if (params->getDiscardHighCharges() != 0 && charge >= lowestHighCharge)
        return false;
    FindOrCreateGroup(parentMZ, charge, params, fileInfo, ion)
        ->AddSpectrum(std::move(scan), cycle, time, 0, experiment);
    return true;
}

void PrecursorGroups::FlushGroups(std::int32_t cycle, std::int16_t maxCyclesBetween,
                                  const std::function<void(const QString& text)>& write) {
    // From the newest back, so that removing a group leaves the ones still to visit in place.
    for (auto k = m_groups.size(); k-- > 0;) {
        const auto group = m_groups[k].spectrum;
        if (cycle != -1 && group->GetLastCycle() + maxCyclesBetween >= cycle)
            continue;
        const QString text = group->getSorvexDataForOneMSMSDataSet();
        if (!text.isEmpty())
            write(text);
        m_groups.erase(m_groups.begin() + static_cast<std::ptrdiff_t>(k));
    }
}

} // namespace ostrand
