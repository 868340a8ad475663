#include "kestrum/import/cyclelayout.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using kestrum::CycleLayout;

namespace {

// (cycle, experiment) of each scan of a run with these MS levels, and whether it opened its cycle.
std::vector<std::pair<int, int>> place(CycleLayout& layout, const std::vector<int>& levels,
                                       std::vector<bool>* starts = nullptr) {
    std::vector<std::pair<int, int>> positions;
    for (int level : levels) {
        const CycleLayout::Position position = layout.place(level);
        positions.emplace_back(position.cycle, position.experiment);
        if (starts)
            starts->push_back(position.startsCycle);
    }
    return positions;
}

using Positions = std::vector<std::pair<int, int>>;

TEST(CycleLayout, SurveyScansStartCyclesAndMsMsScansFollowInOrder) {
    CycleLayout layout(true);
    std::vector<bool> starts;
    EXPECT_EQ(place(layout, {1, 2, 2, 1, 2, 3}, &starts),
              (Positions{{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}}));
    EXPECT_EQ(starts, (std::vector<bool>{true, false, false, true, false, false}));
    EXPECT_EQ(layout.cycleCount(), 2);
}

TEST(CycleLayout, ExperimentCountIsTheLargestOfAnyCycle) {
    CycleLayout layout(true);
    place(layout, {1, 2, 1, 2, 2, 2, 2, 1, 1, 2});
    EXPECT_EQ(layout.experimentCount(), 5);
    EXPECT_EQ(layout.cycleCount(), 4);
}

TEST(CycleLayout, MsMsScansBeforeTheFirstSurveyFormACycleWithoutOne) {
    CycleLayout layout(true);
    std::vector<bool> starts;
    EXPECT_EQ(place(layout, {2, 2, 1, 2}, &starts), (Positions{{0, 1}, {0, 2}, {1, 0}, {1, 1}}));
    EXPECT_EQ(starts, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(layout.experimentCount(), 3);
}

TEST(CycleLayout, WithoutSurveyScansEachScanIsACycleOfItsOwn) {
    CycleLayout layout(false);
    EXPECT_EQ(place(layout, {2, 2, 3}), (Positions{{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(layout.experimentCount(), 1);
    EXPECT_EQ(layout.cycleCount(), 3);
}

TEST(CycleLayout, SurveyOnlyRunHasOneExperiment) {
    CycleLayout layout(true);
    EXPECT_EQ(place(layout, {1, 1, 1}), (Positions{{0, 0}, {1, 0}, {2, 0}}));
    EXPECT_EQ(layout.experimentCount(), 1);
}

} // namespace
