#pragma once
// The one way to write a Vesk acquisition file. Everything goes into a temporary file beside the
// destination, which commit() renames into place; a writer destroyed without commit() removes it, so
// a failed import or generation leaves nothing behind and never damages an existing file.

#include "kestrum/scanrecord.h"

#include "kestrum_export.h"

#include <QString>
#include <memory>

namespace kestrum {

class KESTRUM_EXPORT VeskWriter {
public:
    // Raises when the destination's folder is not writable.
    explicit VeskWriter(const QString& path);
    ~VeskWriter();
    VeskWriter(const VeskWriter&) = delete;
    VeskWriter& operator=(const VeskWriter&) = delete;

    // Returns the new sample's number (1, 2, ...).
    int addSample(const QString& name);
    // Returns the new period's index within the sample (0, 1, ...).
    int addPeriod(int sample);
    // Returns the new experiment's index within the period.
    int addExperiment(int sample, int period, const ExperimentDefinition& definition);
    // Returns the new cycle's index within the period.
    int addCycle(int sample, int period, double startTimeSeconds);
    // At most one scan per (sample, period, experiment, cycle); all four must have been added.
    void addScan(const ScanRecord& scan);
    // Finishes the file and renames it into place atomically, replacing an older file there.
    void commit();

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace kestrum
