#include "kestrum/import/cyclelayout.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using kestrum::CycleLayout;

namespace {

using Positions = std::vector<std::pair<int, int>>;

// (cycle, experiment) of each scan of a run with these MS levels.
Positions place(CycleLayout& layout, const std::vector<int>& levels) {
    Positions positions;
    for (int level : levels) {
        const CycleLayout::Position position = layout.place(level);
        positions.emplace_back(position.cycle, position.experiment);
    }
    return positions;
}

// Cycles and experiments of ordinary runs are checked on imported files; these are the counts.
TEST(CycleLayout, ExperimentCountIsTheLargestOfAnyCycle) {
    CycleLayout layout(true);
    EXPECT_EQ(place(layout, {1, 2, 1, 2, 2, 3, 2, 1, 1, 2}),
              (Positions{{0, 0}, {0, 1}, {1, 0}, {1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 0}, {3, 0}, {3, 1}}));
    EXPECT_EQ(layout.experimentCount(), 5);
}

TEST(CycleLayout, SurveyOnlyRunHasOneExperiment) {
    CycleLayout layout(true);
    EXPECT_EQ(place(layout, {1, 1, 1}), (Positions{{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(layout.experimentCount(), 1);
}

} // namespace
