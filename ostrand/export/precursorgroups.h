#pragma once
// The open precursor groups of a data-dependent export, in creation order: each product scan joins
// the first group of its precursor m/z (within the averaging tolerance) and compatible charge whose
// precursor the survey scan does not tell apart from the scan's, or starts a new one; a group is
// written and released once no later scan can reach it, so memory follows the precursors in flight
// rather than the length of the run.

#include "surveyprecursors.h"

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

    // The first group whose precursor lies within the tolerance, whose charge agrees (a group of
    // unknown charge takes a known one) and whose ion the survey does not tell apart from `ion` (a
    // group that has not seen its ion in a survey yet takes this one); a new group at the end when
    // none does. Summing the scans of two ions would mix two peptides' fragments in one query.
    std::shared_ptr<MSpectrum> FindOrCreateGroup(double parentMZ, std::int16_t charge, const Params& params,
                                                 const std::shared_ptr<VeskFileInfo>& fileInfo,
                                                 const PrecursorIon& ion = {});
    // Adds one product scan to its group, unless its charge is 5 or more and high charges are
    // discarded. Returns whether the scan was taken.
    bool AddScan(std::shared_ptr<kestrum::CentroidableSpectrum> scan, double parentMZ, std::int16_t charge,
                 std::int32_t cycle, double time, std::int16_t experiment, const Params& params,
                 const std::shared_ptr<VeskFileInfo>& fileInfo, const PrecursorIon& ion = {});
    // After `cycle`, writes every group that no scan of a later cycle can join (with cycle -1,
    // every group), newest first, handing each non-empty query text to `write`, and drops them.
    void FlushGroups(std::int32_t cycle, std::int16_t maxCyclesBetween,
                     const std::function<void(const QString& text)>& write);

    std::size_t size() const { return m_groups.size(); }

private:
    struct Group {
        std::shared_ptr<MSpectrum> spectrum;
        PrecursorIon ion; // as the survey showed it to the first scan that found it there
    };

    std::vector<Group> m_groups;
};

} // namespace ostrand
