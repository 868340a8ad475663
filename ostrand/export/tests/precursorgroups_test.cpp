#include "exportacquisition.h"

#include "data/veskfileinfo.h"
#include "export/mspectrum.h"
#include "export/precursorgroups.h"

#include "kestrum/centroidablespectrum.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using ostrand::PrecursorGroups;
using ostrand::ProcessingParameters;
using ostrand::VeskFileInfo;

namespace {

class PrecursorGroupsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("groups.vesk"));
        exporttest::DataDependentRun(1).write(path);
        info->setFileNameAndIndex(path, 1, 0, 0, 0);
    }

    bool add(double parentMZ, std::int16_t charge) {
        auto scan = std::make_shared<kestrum::CentroidableSpectrum>(std::vector<double>{200, 300},
                                                                    std::vector<double>{10, 10});
        return groups.AddScan(scan, parentMZ, charge, 0, 0, 1, params, info);
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
    // A difference of exactly the tolerance still matches.
    params->setMSMSAvePrecursorTol(0.5);
    EXPECT_EQ(groups.FindOrCreateGroup(800.5, 4, params, info)->GetChargeState(), 4);
    EXPECT_EQ(groups.size(), 2u);
}

} // namespace
