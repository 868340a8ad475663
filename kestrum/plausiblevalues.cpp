#include "kestrum/plausiblevalues.h"

#include <cmath>
#include <limits>

namespace kestrum::plausible {

namespace {

// Positive, finite and not so small that it lost precision (a subnormal m/z is garbage).
bool isPlausibleMz(double mz) {
    return mz >= std::numeric_limits<double>::min() && mz <= maxMz;
}

QString limitText(double limit) {
    return QString::number(limit, 'f', 0);
}

QString mzRangeText() {
    return QStringLiteral("not a positive number up to %1").arg(limitText(maxMz));
}

} // namespace

QString timeProblem(const char* what, double seconds) {
    if (seconds >= 0 && seconds <= maxSeconds)
        return {};
    return QStringLiteral("its %1 is %2 s, outside 0 to %3 s")
        .arg(QString::fromLatin1(what), QString::number(seconds), limitText(maxSeconds));
}

QString fixedMassProblem(double mass) {
    if (mass == 0 || isPlausibleMz(mass))
        return {};
    return QStringLiteral("its fixed mass %1 is %2").arg(QString::number(mass), mzRangeText());
}

QString precursorProblem(const std::optional<double>& mz, std::int64_t charge) {
    if (mz && !isPlausibleMz(*mz))
        return QStringLiteral("its precursor m/z %1 is %2").arg(QString::number(*mz), mzRangeText());
    if (charge < 0 || charge > maxCharge)
        return QStringLiteral("its precursor charge %1 is outside 0 to %2").arg(charge).arg(maxCharge);
    return {};
}

QString pointValueProblem(std::span<const double> mz, std::span<const double> intensity) {
    for (std::size_t i = 0; i < mz.size(); ++i) {
        if (!isPlausibleMz(mz[i]))
            return QStringLiteral("point %1 has m/z %2, which is %3")
                .arg(i + 1)
                .arg(QString::number(mz[i]), mzRangeText());
        if (!std::isfinite(intensity[i]))
            return QStringLiteral("point %1 has intensity %2, which is not a finite number")
                .arg(i + 1)
                .arg(QString::number(intensity[i]));
    }
    return {};
}

QString pointProblem(std::span<const double> mz, std::span<const double> intensity) {
    // Readers call this for every scan they load, so the test for a fault is cheap: m/z values
    // that ascend from a plausible first to a plausible last one are all plausible (a NaN fails
    // every comparison), which leaves two comparisons per point. Words only for a fault.
    bool plausible = mz.empty() || (isPlausibleMz(mz.front()) & isPlausibleMz(mz.back()));
    for (std::size_t i = 0; i < mz.size(); ++i)
        plausible &=
            (i == 0 || mz[i] >= mz[i - 1]) & (std::abs(intensity[i]) <= std::numeric_limits<double>::max());
    if (plausible)
        return {};
    if (QString problem = pointValueProblem(mz, intensity); !problem.isEmpty())
        return problem;
    for (std::size_t i = 1; i < mz.size(); ++i)
        if (mz[i] < mz[i - 1])
            return QStringLiteral("its m/z values do not ascend at point %1").arg(i + 1);
    return {};
}

} // namespace kestrum::plausible
