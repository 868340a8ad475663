#pragma once
// An open Vesk acquisition file, read-only: its samples (from 1), their periods, experiments and
// cycles (from 0), and the scans recorded in them. Times are seconds. Any index outside the file's
// counts, and any damage found in the file, raises a Kestrum error that says what and where.
// One object serves one thread at a time.

#include "kestrum/periodinfo.h"
#include "kestrum/scanrecord.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace kestrum {

// What the instrument recorded about the precursor of one product scan.
struct RecordedPrecursor {
    double mz = 0;
    int charge = 0; // 0 when it recorded none
};

// What CycleAtTime gives: the period and the cycle within it.
struct CyclePosition {
    int period = 0;
    int cycle = 0;
};

class KESTRUM_EXPORT VeskFile {
public:
    // Opens a file; an open file that is still the same on disk is shared rather than reopened.
    // Raises for a missing file, one that is not a Vesk file, or one of a newer format.
    static std::shared_ptr<VeskFile> open(const QString& path);
    ~VeskFile();
    VeskFile(const VeskFile&) = delete;
    VeskFile& operator=(const VeskFile&) = delete;

    int SampleCount() const;
    QString SampleName(int sample) const;
    int PeriodCount(int sample) const;
    int ExperimentCount(int sample, int period) const;
    int CycleCount(int sample, int period) const;
    std::shared_ptr<ExperimentInfo> Experiment(int sample, int period, int experiment) const;
    std::shared_ptr<PeriodInfo> Period(int sample, int period) const;
    // None when the file has no such sample.
    std::shared_ptr<SampleInfo> SampleAt(int sample) const;

    // The retention time of the experiment's scan in that cycle or, when the experiment recorded
    // no scan in it, the cycle's start time.
    float CycleTime(int sample, int period, int experiment, int cycle) const;
    // The period and cycle whose scan of the experiment lies nearest the time (the earlier one on
    // a tie). When the experiment recorded no scan at all, the cycle whose start is nearest.
    CyclePosition CycleAtTime(int sample, int experiment, float timeSeconds) const;

    const QString& FilePath() const;
    // A Vesk file appears on disk only once complete, so it is never still being acquired.
    bool IsAcquiring() const { return false; }

    // The scan of the experiment in that cycle with its points; none when it recorded none.
    std::optional<ScanRecord> scan(int sample, int period, int experiment, int cycle) const;
    // The experiment's scans whose retention time, in single precision as CycleTime gives it,
    // lies within [startSeconds, endSeconds], in cycle order.
    std::vector<ScanRecord> scansBetween(int sample, int period, int experiment, float startSeconds,
                                         float endSeconds) const;
    // The precursor recorded with the experiment's scan in that cycle; none when the cycle has no
    // scan of it or the scan no precursor.
    std::optional<RecordedPrecursor> recordedPrecursor(int sample, int period, int experiment,
                                                       int cycle) const;
    // Whether any scan of the sample carries a recorded precursor charge.
    bool hasRecordedCharges(int sample) const;
    // How many cycles of the period hold a scan of the experiment.
    int scanCount(int sample, int period, int experiment) const;
    // The experiment's total ion current in every cycle of the period, 0 where it has no scan.
    std::vector<double> totalIonCurrents(int sample, int period, int experiment) const;

private:
    explicit VeskFile(const QString& path);
    class Private;
    std::unique_ptr<Private> d;
};

// While a hold lives, every open of its path gives the file the hold opened, even when the path
// has since been renamed away or another file renamed into its place: an export that opens its
// input many times reads one consistent file from start to end.
class KESTRUM_EXPORT VeskFileHold {
public:
    explicit VeskFileHold(const QString& path);
    ~VeskFileHold();
    VeskFileHold(const VeskFileHold&) = delete;
    VeskFileHold& operator=(const VeskFileHold&) = delete;

private:
    QString m_path;
};

class KESTRUM_EXPORT VeskFileOpener {
public:
    // Opens the file for reading one of its samples; raises when the file cannot be read or has
    // no such sample.
    std::shared_ptr<VeskFile> OpenVeskFile(const QString& path, int sample) const;
};

} // namespace kestrum
