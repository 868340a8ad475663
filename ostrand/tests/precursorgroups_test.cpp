#include "exportacquisition.h"

#include "data/veskfileinfo.h"
#include "export/mspectrum.h"
#include "export/precursorgroups.h"

#include "kestrum/centroidablespectrum.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class PrecursorGroupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("groups.vesk"));
        exporttest::DataDependentRun(1).write(path);
        info->setFileNameAndIndex(path, 1, 0, 0, 0);
    }

    bool add(double parentMZ, std::int16_t charge, std::int32_t cycle = 0) {
        auto scan = std::make_shared<kestrum::CentroidableSpectrum>(std::vector<double>{200, 300},
                                                                    std::vector<double>{10, 10});
        return groups.AddScan(scan, parentMZ, charge, cycle, cycle, 1, params, info);
    }

    QTemporaryDir dir;
    std::shared_ptr<VeskFileInfo> info = std::make_shared<VeskFileInfo>();
    std::shared_ptr<ProcessingParameters> params = exporttest::plainParameters();
    PrecursorGroups groups;
};

TEST_F(PrecursorGroupsTest, HighChargesAreDroppedOnlyWhenAsked) {
    params->setDiscardHighCharges(-1);
    EXPECT_FALSE(add(800.0, 5));
    EXPECT_TRUE(add(800.0, 4));
    EXPECT_EQ(groups.size(), 1u);

    params->setDiscardHighCharges(0);
    EXPECT_TRUE(add(800.0, 5));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups.FindOrCreateGroup(800.0, 5, params, info)->GetChargeState(), 5);
}

TEST_F(PrecursorGroupsTest, UnknownChargeJoinsTheFirstMatchingGroup) {
    add(500.0, 2, 0);
    add(500.0, 3, 0);
    const auto first = groups.FindOrCreateGroup(500.0, 2, params, info);
    EXPECT_EQ(groups.FindOrCreateGroup(500.4, 0, params, info), first);
    // A tolerance of exactly the difference still matches.
    params->setMSMSAvePrecursorTol(0.5);
    EXPECT_EQ(groups.FindOrCreateGroup(500.5, 0, params, info), first);
    EXPECT_EQ(groups.size(), 2u);
}

TEST_F(PrecursorGroupsTest, FlushWritesClosedGroupsNewestFirst) {
    add(400.0, 0, 0);
    add(500.0, 0, 1);
    add(600.0, 0, 5);
    QStringList written;
    const auto write = [&](const QString& text) { written << exporttest::parseBlocks(text).front().pepmass; };
    groups.FlushGroups(5, 3, write);
    EXPECT_EQ(written, (QStringList{QStringLiteral("500"), QStringLiteral("400")}));
    EXPECT_EQ(groups.size(), 1u);
    groups.FlushGroups(-1, 3, write);
    EXPECT_EQ(written.size(), 3);
    EXPECT_EQ(groups.size(), 0u);
}

} // namespace
