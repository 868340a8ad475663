#pragma once
// What a number stored with a scan may be. The writer stores nothing else and the reader takes
// anything else as damage, so every file the writer makes reads back, while a value damaged or
// edited into nonsense (a NaN intensity, an infinite time, a precursor at 1e300) is reported
// where it is read instead of reaching a peak list or sending a search loop astray. Each check
// returns what is wrong as a phrase ("point 3 has intensity nan, which is not a finite number"),
// empty when nothing is.

#include "kestrum_export.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

namespace kestrum::plausible {

// Far above any m/z an instrument measures; 1e300 is damage, not data.
constexpr double maxMz = 1e6;
// About 16 weeks: far longer than any acquisition.
constexpr double maxSeconds = 1e7;
// Far above the charges of the largest ions measured.
constexpr int maxCharge = 100;

// A retention or cycle start time in seconds; `what` names it ("retention time").
KESTRUM_EXPORT QString timeProblem(const char* what, double seconds);
// An experiment's fixed mass: 0 (none) or an m/z.
KESTRUM_EXPORT QString fixedMassProblem(double mass);
// A precursor m/z (none when the scan has no precursor) and charge (0 unknown).
KESTRUM_EXPORT QString precursorProblem(const std::optional<double>& mz, std::int64_t charge);
// The first point whose m/z is not positive and finite, or whose intensity is not finite.
KESTRUM_EXPORT QString pointValueProblem(std::span<const double> mz, std::span<const double> intensity);
// As pointValueProblem, and the m/z values must not descend. The spans have equal length.
KESTRUM_EXPORT QString pointProblem(std::span<const double> mz, std::span<const double> intensity);

} // namespace kestrum::plausible
