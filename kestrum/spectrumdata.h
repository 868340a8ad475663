#pragma once
// A spectrum or trace as callers of the data-access library see it: points numbered from 1, each
// an x (m/z, or minutes on a time trace) and a y (intensity) with an optional charge. Points are
// kept in ascending x; FindPointIndex and MergeSpectrum rely on that order.

#include "kestrum_export.h"

#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace kestrum {

class CentroidableSpectrum;
class VeskFile;

// Where a loaded spectrum or trace came from, as a graph window reports it.
struct TraceOrigin {
    std::shared_ptr<VeskFile> file; // none for a spectrum built in memory
    int sample = 0;
    int period = 0;
    int experiment = 0;
    float startTimeSeconds = 0;
};

// Flags ResetFlag clears; CentroidableSpectrum sets and reads CentroidedFlag.
enum SpectrumFlag : int { CentroidedFlag = 0 };

class KESTRUM_EXPORT SpectrumData {
public:
    SpectrumData();
    SpectrumData(std::vector<double> x, std::vector<double> y);
    virtual ~SpectrumData();
    SpectrumData(const SpectrumData&);
    SpectrumData& operator=(const SpectrumData&);

    int PointCount() const;
    // Indexes count from 1; an index outside 1 ... PointCount raises "Subscript out of range".
    std::pair<double, double> PointAt(int index) const;
    double XAt(int index) const;
    double YAt(int index) const;
    // Lowest and highest intensity; both 0 for an empty spectrum.
    std::pair<double, double> YRange() const;

    // Grows with zero points or drops points from the end.
    void SetPointCount(int count);
    void SetPoint(int index, double x, double y);
    void AppendPoint(double x, double y);
    // Mode 1: the index of the point at x or, failing that, the point nearest to it; 0 when empty.
    int FindPointIndex(double x, int mode) const;

    const QString& Title() const { return m_title; }
    void setTitle(QString title) { m_title = std::move(title); }
    // "min" for a time trace, "Da" for a spectrum.
    const QString& XUnits() const { return m_xUnits; }
    void setXUnits(QString units) { m_xUnits = std::move(units); }

    // Sums the other spectrum's points into this one; points within `tolerance` of each other
    // become one point, at the lowest m/z of the group, with the summed intensity. When both are
    // profile scans from a file, the other's remaining points are also added onto this one's
    // nearest points within about half the local sampling interval, so that a sum keeps one scan's
    // sampling grid (see pointmerge.h).
    void MergeSpectrum(const SpectrumData& other, double tolerance);
    // A new, independent object with a copy of the points, charges, title, flags and origin.
    std::shared_ptr<CentroidableSpectrum> CopySpectrum() const;

    // The charge of a point, 0 when none was given.
    int ChargeAt(int index) const;
    void SetChargeAt(int index, int charge);
    void ResetFlag(int flag);

    const TraceOrigin& origin() const { return m_origin; }
    void setOrigin(TraceOrigin origin) { m_origin = std::move(origin); }

    // Fast read access for code that walks all points.
    const std::vector<double>& mzValues() const { return m_x; }
    const std::vector<double>& intensities() const { return m_y; }
    const std::vector<int>& charges() const { return m_charges; }
    // Replaces all points at once; x ascending, both vectors of one size.
    void setPoints(std::vector<double> x, std::vector<double> y);
    // Whether the points sample a profile on an instrument's grid, as loaded profile scans do.
    bool isSampledProfile() const { return m_sampledProfile && !isFlagSet(CentroidedFlag); }
    void setSampledProfile(bool sampled) { m_sampledProfile = sampled; }

protected:
    bool isFlagSet(SpectrumFlag flag) const;
    void setFlag(SpectrumFlag flag, bool on);

private:
    std::size_t offsetOf(int index) const;

    std::vector<double> m_x;
    std::vector<double> m_y;
    std::vector<int> m_charges;
    QString m_title;
    QString m_xUnits;
    unsigned m_flags = 0;
    bool m_sampledProfile = false;
    TraceOrigin m_origin;
};

} // namespace kestrum
