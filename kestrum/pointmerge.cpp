#include "kestrum/pointmerge.h"

#include <algorithm>

namespace kestrum {

namespace {

struct Point {
    double x;
    double y;
    int charge;
};

// A lambda rather than a function, so that sorting and merging inline the comparison.
constexpr auto byMz = [](const Point& a, const Point& b) { return a.x < b.x; };

} // namespace

PointList mergeSorted(const std::vector<PointRun>& runs, double tolerance) {
    std::vector<Point> points;
    std::vector<std::size_t> bounds{0};
    std::size_t total = 0;
    for (const PointRun& run : runs)
        total += run.x.size();
    points.reserve(total);
    for (const PointRun& run : runs) {
        const auto first = static_cast<std::ptrdiff_t>(points.size());
        for (std::size_t i = 0; i < run.x.size(); ++i)
            points.push_back({run.x[i], run.y[i], run.charges.empty() ? 0 : run.charges[i]});
        // Points appended out of order still sum correctly.
        if (!std::is_sorted(points.begin() + first, points.end(), byMz))
            std::stable_sort(points.begin() + first, points.end(), byMz);
        bounds.push_back(points.size());
    }
    // Merge neighbouring runs pairwise, level by level, keeping earlier runs first on equal m/z.
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

    PointList merged;
    merged.x.reserve(points.size());
    merged.y.reserve(points.size());
    merged.charges.reserve(points.size());
    for (const Point& point : points) {
        if (!merged.x.empty() && point.x - merged.x.back() <= tolerance) {
            merged.y.back() += point.y;
            if (merged.charges.back() == 0)
                merged.charges.back() = point.charge;
            continue;
        }
        merged.x.push_back(point.x);
        merged.y.push_back(point.y);
        merged.charges.push_back(point.charge);
    }
    return merged;
}

} // namespace kestrum
