#include "kestrum/pointmerge.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numeric>
#include <optional>

namespace kestrum {

namespace {

// A profile point of a later list within this fraction of the local sampling interval of the
// nearest point of the first list is added to that point. Half an interval reaches every point
// between two neighbours; the margin covers grids whose spacing changes from point to point. A
// list's own points are at least one interval apart and never merge this way.
constexpr double profileFraction = 0.6;
// Zeros are not recorded, so a wider spacing is more likely a gap between peaks than a sampling
// step (TOF and Orbitrap steps are a few ppm to a few tens of ppm); a lone point then merges
// within that much only.
constexpr double widestInterval = 50e-6; // of the m/z

// The local sampling interval at point i of an ascending list: the spacing to its nearer
// neighbour, at most widestInterval of its m/z.
double intervalAt(std::span<const double> x, std::size_t i) {
    double nearest = widestInterval * x[i];
    if (i > 0)
        nearest = std::min(nearest, x[i] - x[i - 1]);
    if (i + 1 < x.size())
        nearest = std::min(nearest, x[i + 1] - x[i]);
    return nearest;
}

int chargeAt(const PointRun& run, std::size_t i) {
    return run.charges.empty() ? 0 : run.charges[i];
}

// Sums points handed in ascending m/z: each point within the tolerance of the lowest point of the
// group before it joins that group. For profile lists, groups without a point of the first list
// are then added onto the nearest group with one, when close enough for one sampling grid.
class Grouper {
public:
    // The lists the points come from; needed for profile lists only, to find sampling intervals.
    Grouper(double tolerance, Sampling sampling, PointRun first, PointRun second, std::size_t points)
        : m_tolerance(tolerance), m_profile(sampling == Sampling::Profile), m_first(first), m_second(second) {
        // Sized for every point at once and trimmed at the end: the loop only writes.
        m_sum.x.resize(points);
        m_sum.y.resize(points);
        m_sum.charges.resize(points);
        if (m_profile)
            m_source.resize(points);
    }

    // `source` is the point's index in the first list, or -1 - its index in the second.
    void add(double x, double y, int charge, std::int64_t source) {
        if (m_count > 0 && x - m_sum.x[m_count - 1] <= m_tolerance) {
            const std::size_t last = m_count - 1;
            m_sum.y[last] += y;
            if (m_sum.charges[last] == 0)
                m_sum.charges[last] = charge;
            // A group with a point of the first list stands for it.
            if (m_profile && source >= 0 && m_source[last] < 0)
                m_source[last] = source;
            return;
        }
        m_sum.x[m_count] = x;
        m_sum.y[m_count] = y;
        m_sum.charges[m_count] = charge;
        if (m_profile)
            m_source[m_count] = source;
        ++m_count;
    }

    PointList finish() {
        m_sum.x.resize(m_count);
        m_sum.y.resize(m_count);
        m_sum.charges.resize(m_count);
        if (m_profile)
            snapOntoFirst();
        return std::move(m_sum);
    }

private:
    void snapOntoFirst();
    double intervalOf(std::size_t group) const {
        const std::int64_t source = m_source[group];
        return source >= 0 ? intervalAt(m_first.x, static_cast<std::size_t>(source))
                           : intervalAt(m_second.x, static_cast<std::size_t>(-1 - source));
    }

    double m_tolerance;
    bool m_profile;
    PointRun m_first;
    PointRun m_second;
    PointList m_sum;
    std::size_t m_count = 0;            // groups so far
    std::vector<std::int64_t> m_source; // of each group's point that stands for it
};

void Grouper::snapOntoFirst() {
    std::vector<double>& x = m_sum.x;
    std::vector<double>& y = m_sum.y;
    std::vector<int>& charges = m_sum.charges;
    const std::size_t count = x.size();
    const auto hasFirst = [this](std::size_t group) { return m_source[group] >= 0; };
    // One pass that also closes the gaps the added groups leave: `kept` groups are final, the last
    // group with a point of the first list among them at `previous` (its interval beside it);
    // `next` is the first such group after the current one, still at its place.
    std::size_t kept = 0;
    std::optional<std::size_t> previous;
    double previousInterval = 0;
    std::size_t next = 0;
    for (std::size_t i = 0; i < count; ++i) {
        if (!hasFirst(i)) {
            next = std::max(next, i + 1);
            while (next < count && !hasFirst(next))
                ++next;
            const bool nextIsNearer = next < count && (!previous || x[next] - x[i] < x[i] - x[*previous]);
            const std::optional<std::size_t> target = nextIsNearer ? std::optional(next) : previous;
            if (target) {
                const double targetInterval = nextIsNearer ? intervalOf(next) : previousInterval;
                if (std::abs(x[i] - x[*target]) <=
                    profileFraction * std::min(intervalOf(i), targetInterval)) {
                    y[*target] += y[i];
                    if (charges[*target] == 0)
                        charges[*target] = charges[i];
                    continue;
                }
            }
        } else {
            previousInterval = intervalOf(i);
            previous = kept;
        }
        x[kept] = x[i];
        y[kept] = y[i];
        charges[kept] = charges[i];
        ++kept;
    }
    x.resize(kept);
    y.resize(kept);
    charges.resize(kept);
}

// Two ascending lists in one pass, the first list's point first on equal m/z.
PointList sumTwo(const PointRun& first, const PointRun& second, double tolerance, Sampling sampling) {
    Grouper grouper(tolerance, sampling, first, second, first.x.size() + second.x.size());
    std::size_t a = 0;
    std::size_t b = 0;
    while (a < first.x.size() || b < second.x.size()) {
        const bool fromFirst = b == second.x.size() || (a < first.x.size() && first.x[a] <= second.x[b]);
        const PointRun& run = fromFirst ? first : second;
        const std::size_t i = fromFirst ? a++ : b++;
        grouper.add(run.x[i], run.y[i], chargeAt(run, i),
                    fromFirst ? static_cast<std::int64_t>(i) : -1 - static_cast<std::int64_t>(i));
    }
    return grouper.finish();
}

struct Point {
    double x;
    double y;
    int charge;
};

// A lambda rather than a function, so that sorting and merging inline the comparison.
constexpr auto byMz = [](const Point& a, const Point& b) { return a.x < b.x; };

// Many lists of peaks at once: all points merged pairwise, level by level, earlier lists first on
// equal m/z, then grouped in one pass.
PointList sumMany(const std::vector<PointRun>& runs, double tolerance) {
    std::vector<Point> points;
    std::vector<std::size_t> bounds{0};
    std::size_t total = 0;
    for (const PointRun& run : runs)
        total += run.x.size();
    points.reserve(total);
    for (const PointRun& run : runs) {
        for (std::size_t i = 0; i < run.x.size(); ++i)
            points.push_back({run.x[i], run.y[i], chargeAt(run, i)});
        bounds.push_back(points.size());
    }
    while (bounds.size() > 2) {
        std::vector<std::size_t> next{0};
        for (std::size_t i = 2; i < bounds.size(); i += 2) {
            const auto begin = points.begin();
            std::inplace_merge(begin + static_cast<std::ptrdiff_t>(bounds[i - 2]),
                               begin + static_cast<std::ptrdiff_t>(bounds[i - 1]),
                               begin + static_cast<std::ptrdiff_t>(bounds[i]), byMz);
            next.push_back(bounds[i]);
        }
        if (bounds.size() % 2 == 0)
            next.push_back(bounds.back());
        bounds = std::move(next);
    }
    Grouper grouper(tolerance, Sampling::Peaks, {}, {}, points.size());
    for (const Point& point : points)
        grouper.add(point.x, point.y, point.charge, 0);
    return grouper.finish();
}

// A list's points in ascending m/z, keeping the order of equal ones.
PointList sortedCopy(const PointRun& run) {
    std::vector<std::size_t> order(run.x.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&run](std::size_t i, std::size_t j) { return run.x[i] < run.x[j]; });
    PointList sorted;
    for (const std::size_t i : order) {
        sorted.x.push_back(run.x[i]);
        sorted.y.push_back(run.y[i]);
        sorted.charges.push_back(chargeAt(run, i));
    }
    return sorted;
}

PointRun runOf(const PointList& list) {
    return {list.x, list.y, list.charges};
}

} // namespace

PointList mergeSorted(const std::vector<PointRun>& runs, double tolerance, Sampling sampling) {
    // Points appended out of order still sum correctly.
    std::vector<PointList> sortedLists;
    sortedLists.reserve(runs.size());
    std::vector<PointRun> sorted;
    sorted.reserve(runs.size());
    for (const PointRun& run : runs) {
        if (std::is_sorted(run.x.begin(), run.x.end())) {
            sorted.push_back(run);
        } else {
            sortedLists.push_back(sortedCopy(run));
            sorted.push_back(runOf(sortedLists.back()));
        }
    }
    if (sorted.empty())
        return {};
    if (sorted.size() > 2 && sampling == Sampling::Peaks)
        return sumMany(sorted, tolerance);
    // Profiles are added one after another onto the sum, so that the sum stays on the first list's
    // grid and this is linear in the points.
    PointList sum = sumTwo(sorted[0], sorted.size() > 1 ? sorted[1] : PointRun{}, tolerance, sampling);
    for (std::size_t i = 2; i < sorted.size(); ++i)
        sum = sumTwo(runOf(sum), sorted[i], tolerance, sampling);
    return sum;
}

} // namespace kestrum
