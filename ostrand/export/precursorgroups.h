#pragma once
// The open precursor groups of a data-dependent export, in creation order: each product scan joins
// the first group of its precursor m/z (within the averaging tolerance) and compatible charge, or
// starts a new one; a group is written and released once no later scan can reach it, so memory
// follows the precursors in flight rather than the length of the run.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include <QString>

namespace kestrum {
class CentroidableSpectrum;
}

namespace ostrand {

class MSpectrum;
class ProcessingParameters;
class VeskFileInfo;

class PrecursorGroups {
public:
    using Params = std::shared_ptr<ProcessingParameters>;

    // The first group whose precursor lies within the tolerance and whose charge agrees (a group
    // of unknown charge takes a known one); a new group at the end when none does.
    std::shared_ptr<MSpectrum> FindOrCreateGroup(double parentMZ, std::int16_t charge, const Params& params,
                                                 const std::shared_ptr<VeskFileInfo>& fileInfo);
    // Adds one product scan to its group, unless its charge is 5 or more and high charges are
    // discarded. Returns whether the scan was taken.
    bool AddScan(std::shared_ptr<kestrum::CentroidableSpectrum> scan, double parentMZ, std::int16_t charge,
                 std::int32_t cycle, double time, std::int16_t experiment, const Params& params,
                 const std::shared_ptr<VeskFileInfo>& fileInfo);
    // After `cycle`, writes every group that no scan of a later cycle can join (with cycle -1,
    // every group), newest first, handing each non-empty query text to `write`, and drops them.
    void FlushGroups(std::int32_t cycle, std::int16_t maxCyclesBetween,
                     const std::function<void(const QString& text)>& write);

    std::size_t size() const { return m_groups.size(); }

private:
    std::vector<std::shared_ptr<MSpectrum>> m_groups;
};

} // namespace ostrand
