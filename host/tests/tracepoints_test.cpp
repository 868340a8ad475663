// The viewer's choices that need no display: which peaks get labels, which point the readout
// names, and which cycle the scan keys step to.

#include "host/viewer/tracepoints.h"

#include <gtest/gtest.h>

namespace {

using host::neighbouringScan;
using host::pointUnder;
using host::tallestPeaks;

TEST(TracePoints, TallestPeaksAreLabelledTallestFirstWithRoomBetweenThem) {
    // A peak list and a profile with a shoulder: 100 (5), 100.01 (50), 100.5 (20), 200 (40), 300 (10).
    const std::vector<double> sticks{100, 100.01, 100.5, 200, 300};
    const std::vector<double> heights{5, 50, 20, 40, 10};
    const std::vector<double> profile{10, 11, 12, 13, 14, 15, 16};
    const std::vector<double> shape{0, 3, 9, 7, 8, 2, 0};
    struct Case {
        const char* what;
        const std::vector<double>& x;
        const std::vector<double>& y;
        bool peakList;
        double from, to, spacing;
        std::size_t count;
        std::vector<std::size_t> expected;
    } cases[] = {
        {"all, tallest first", sticks, heights, true, 0, 1000, 0, 10, {1, 3, 2, 4, 0}},
        {"a neighbour too close to a taller one is left out",
         sticks,
         heights,
         true,
         0,
         1000,
         1,
         10,
         {1, 3, 4}},
        {"no more than asked for", sticks, heights, true, 0, 1000, 1, 2, {1, 3}},
        {"only those in view", sticks, heights, true, 150, 1000, 1, 10, {3, 4}},
        {"nothing in view", sticks, heights, true, 400, 500, 1, 10, {}},
        {"the same points as a profile: its local maxima", sticks, heights, false, 0, 1000, 0, 10, {1, 3}},
        {"a profile's local maxima, not its slopes", profile, shape, false, 0, 100, 0, 10, {2, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(tallestPeaks(c.x, c.y, c.peakList, c.from, c.to, c.spacing, c.count), c.expected) << c.what;
}

TEST(TracePoints, ReadoutNamesThePointUnderThePointerAndScanKeysSkipCyclesWithoutAScan) {
    // Within reach the tallest point, else the nearest (the earlier on a tie).
    const std::vector<double> x{1, 2, 4, 4.1, 4.2};
    const std::vector<double> y{5, 1, 2, 9, 3};
    struct Point {
        double at, reach;
        std::optional<std::size_t> expected;
    } points[] = {{-5, 0.5, 0},  {1.5, 0.1, 0},  {3.1, 0.1, 2}, {9, 1, 4},
                  {1.6, 0.5, 1}, {4.05, 0.2, 3}, {4, 0, 2}};
    for (const Point& p : points)
        EXPECT_EQ(pointUnder(x, y, p.at, p.reach), p.expected) << p.at << " within " << p.reach;
    EXPECT_EQ(pointUnder({}, {}, 1, 1), std::nullopt);

    // A product experiment that fired in cycles 1, 2 and 5 of seven.
    const std::vector<double> ionCurrents{0, 8, 3, 0, 0, 6, 0};
    struct Case {
        int from, step;
        std::optional<int> expected;
    } cases[] = {{1, 1, 2},  {2, 1, 5}, {5, 1, std::nullopt}, {5, -1, 2}, {1, -1, std::nullopt}, {-1, 1, 1},
                 {7, -1, 5}, {3, -1, 2}};
    for (const Case& c : cases)
        EXPECT_EQ(neighbouringScan(ionCurrents, c.from, c.step), c.expected) << c.from << " step " << c.step;
}

} // namespace
