#include "kestrum/spectrumdata.h"

#include "kestrum/centroidablespectrum.h"
#include "kestrum/pointmerge.h"

#include "kestrum/kestrumerror.h"

#include <algorithm>
#include <cmath>

namespace kestrum {

SpectrumData::SpectrumData() = default;

SpectrumData::SpectrumData(std::vector<double> x, std::vector<double> y) {
    setPoints(std::move(x), std::move(y));
}

SpectrumData::~SpectrumData() = default;
SpectrumData::SpectrumData(const SpectrumData&) = default;
SpectrumData& SpectrumData::operator=(const SpectrumData&) = default;

int SpectrumData::PointCount() const {
    return static_cast<int>(m_x.size());
}

std::size_t SpectrumData::offsetOf(int index) const {
    if (index < 1 || index > PointCount())
        throw KestrumError(
            errors::SubscriptOutOfRange,
            QStringLiteral("Point %1 is outside the spectrum's points 1 to %2.").arg(index).arg(PointCount()),
            QStringLiteral("SpectrumData"));
    return static_cast<std::size_t>(index - 1);
}

std::pair<double, double> SpectrumData::PointAt(int index) const {
    const std::size_t i = offsetOf(index);
    return {m_x[i], m_y[i]};
}

double SpectrumData::XAt(int index) const {
    return m_x[offsetOf(index)];
}

double SpectrumData::YAt(int index) const {
    return m_y[offsetOf(index)];
}

std::pair<double, double> SpectrumData::YRange() const {
    if (m_y.empty())
        return {0.0, 0.0};
    const auto [lowest, highest] = std::minmax_element(m_y.begin(), m_y.end());
    return {*lowest, *highest};
}

void SpectrumData::SetPointCount(int count) {
    if (count < 0)
        throw KestrumError(errors::SubscriptOutOfRange,
                           QStringLiteral("A spectrum cannot have %1 points.").arg(count),
                           QStringLiteral("SpectrumData"));
    const auto size = static_cast<std::size_t>(count);
    m_x.resize(size);
    m_y.resize(size);
    m_charges.resize(size);
}

void SpectrumData::SetPoint(int index, double x, double y) {
    const std::size_t i = offsetOf(index);
    m_x[i] = x;
    m_y[i] = y;
}

void SpectrumData::AppendPoint(double x, double y) {
    m_x.push_back(x);
    m_y.push_back(y);
    m_charges.push_back(0);
}

int SpectrumData::FindPointIndex(double x, int mode) const {
    if (mode != 1)
        throw KestrumError(errors::SystemError,
                           QStringLiteral("FindPointIndex knows only mode 1, not %1.").arg(mode),
                           QStringLiteral("SpectrumData"));
    if (m_x.empty())
        return 0;
    const auto above = std::lower_bound(m_x.begin(), m_x.end(), x);
    if (above == m_x.end())
        return PointCount();
    std::size_t i = static_cast<std::size_t>(above - m_x.begin());
    // The point below wins when it is strictly nearer; a tie goes to the point at or above x.
    if (i > 0 && std::abs(x - m_x[i - 1]) < std::abs(m_x[i] - x))
        --i;
    return static_cast<int>(i) + 1;
}

void SpectrumData::MergeSpectrum(const SpectrumData& other, double tolerance) {
    const Sampling sampling =
        isSampledProfile() && other.isSampledProfile() ? Sampling::Profile : Sampling::Peaks;
    PointList merged =
        mergeSorted({PointRun{m_x, m_y, m_charges}, PointRun{other.m_x, other.m_y, other.m_charges}},
                    tolerance, sampling);
    m_x = std::move(merged.x);
    m_y = std::move(merged.y);
    m_charges = std::move(merged.charges);
}

std::shared_ptr<CentroidableSpectrum> SpectrumData::CopySpectrum() const {
    auto copy = std::make_shared<CentroidableSpectrum>();
    static_cast<SpectrumData&>(*copy) = *this;
    return copy;
}

int SpectrumData::ChargeAt(int index) const {
    return m_charges[offsetOf(index)];
}

void SpectrumData::SetChargeAt(int index, int charge) {
    m_charges[offsetOf(index)] = charge;
}

void SpectrumData::ResetFlag(int flag) {
    if (flag != CentroidedFlag)
        throw KestrumError(errors::SystemError, QStringLiteral("Spectrum flag %1 does not exist.").arg(flag),
                           QStringLiteral("SpectrumData"));
    setFlag(CentroidedFlag, false);
}

void SpectrumData::setPoints(std::vector<double> x, std::vector<double> y) {
    if (x.size() != y.size())
        throw KestrumError(errors::SystemError,
                           QStringLiteral("A spectrum needs one intensity per m/z (%1 m/z, %2 "
                                          "intensities).")
                               .arg(x.size())
                               .arg(y.size()),
                           QStringLiteral("SpectrumData"));
    m_x = std::move(x);
    m_y = std::move(y);
    m_charges.assign(m_x.size(), 0);
}

bool SpectrumData::isFlagSet(SpectrumFlag flag) const {
    return (m_flags >> flag) & 1U;
}

void SpectrumData::setFlag(SpectrumFlag flag, bool on) {
    if (on)
        m_flags |= 1U << flag;
    else
        m_flags &= ~(1U << flag);
}

} // namespace kestrum
