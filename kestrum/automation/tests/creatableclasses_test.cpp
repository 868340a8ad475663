// Kestrum's classes as a late-bound client meets them: created by programmatic id, called by name,
// with results in out-arguments and errors carrying their numbers.
#include "kestrum/automation/creatableclasses.h"
#include "kestrum/tests/veskfixture.h"

#include "automation/automationerror.h"
#include "automation/classregistry.h"
#include "automation/dispatch.h"

#include <gtest/gtest.h>

namespace {

using automation::Arguments;
using automation::AutomationError;
using automation::Dispatch;
using automation::Variant;

std::shared_ptr<Dispatch> create(const QString& programmaticId) {
    kestrumautomation::registerCreatableClasses();
    return automation::ClassRegistry::instance().create(programmaticId);
}

int errorNumberOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const AutomationError& error) {
        return error.number();
    }
    return 0;
}

class KestrumCreatableClassesTest : public kestrum::testing::VeskFileTest {
protected:
    void SetUp() override {
        VeskFileTest::SetUp();
        path = pathOf(QStringLiteral("run.vesk"));
        kestrum::testing::writeTwoSampleFile(path);
    }
    QString path;
};

TEST_F(KestrumCreatableClassesTest, AnOpenedFileAnswersByNameWithOutArguments) {
    const auto opener = create(QStringLiteral("Kestrum.VeskFileOpener"));
    Arguments open{Variant(path), Variant(std::int32_t{2})};
    const auto file = opener->call(QStringLiteral("OpenVeskFile"), open).toObject();
    ASSERT_TRUE(file);
    EXPECT_EQ(open[0], Variant(path)); // arguments that are not results stay as they were
    EXPECT_EQ(file->call(QStringLiteral("FilePath")).toString(), path);
    EXPECT_EQ(file->call(QStringLiteral("SampleCount")).toLong(), 2);
    Arguments second{Variant(std::int32_t{2})};
    EXPECT_EQ(file->call(QStringLiteral("SampleName"), second).toString(), QStringLiteral("Run B"));
    EXPECT_EQ(file->call(QStringLiteral("PeriodCount"), second).toLong(), 2);
    Arguments secondPeriod{Variant(std::int32_t{2}), Variant(std::int32_t{1})};
    EXPECT_EQ(file->call(QStringLiteral("ExperimentCount"), secondPeriod).toLong(), 2);
    EXPECT_EQ(file->call(QStringLiteral("CycleCount"), secondPeriod).toLong(), 3);

    // CycleAtTime(sample, experiment, seconds, period, cycle): sample 1's survey scan nearest 64.5 s.
    Arguments atTime{Variant(std::int32_t{1}), Variant(std::int32_t{0}), Variant(64.5f), Variant(),
                     Variant()};
    file->call(QStringLiteral("CycleAtTime"), atTime);
    EXPECT_EQ(atTime[3].toLong(), 0);
    EXPECT_EQ(atTime[4].toLong(), 2);
    Arguments cycleTime{Variant(std::int32_t{1}), Variant(std::int32_t{0}), Variant(std::int32_t{0}),
                        Variant(std::int32_t{2})};
    EXPECT_FLOAT_EQ(static_cast<float>(file->call(QStringLiteral("CycleTime"), cycleTime).toDouble()), 64.1f);

    Arguments missing{Variant(path), Variant(std::int32_t{3})};
    EXPECT_NE(errorNumberOf([&] { opener->call(QStringLiteral("OpenVeskFile"), missing); }), 0);
}

TEST_F(KestrumCreatableClassesTest, AFileSpectrumLoadsScansAndTellsWhereTheyCameFrom) {
    const auto spectrum = create(QStringLiteral("Kestrum.FileSpectrum"));
    Arguments file{Variant(path)};
    spectrum->call(QStringLiteral("SetDataFile"), file);
    // The product scans of sample 1 (experiment 1) between 60 and 66 s: cycles 0 and 2, summed.
    Arguments load{Variant(std::int32_t{1}), Variant(std::int32_t{0}), Variant(std::int32_t{1}),
                   Variant(60.0f), Variant(66.0f)};
    spectrum->call(QStringLiteral("LoadSpectrum"), load);
    ASSERT_EQ(spectrum->call(QStringLiteral("PointCount")).toLong(), 3);
    Arguments point{Variant(std::int32_t{2}), Variant(), Variant()};
    spectrum->call(QStringLiteral("PointAt"), point);
    EXPECT_DOUBLE_EQ(point[1].toDouble(), 250.25);
    EXPECT_DOUBLE_EQ(point[2].toDouble(), 14.0);
    EXPECT_TRUE(spectrum->call(QStringLiteral("IsCentroided")).toBool());
    EXPECT_EQ(spectrum->call(QStringLiteral("GetSampleNumber")).toLong(), 1);
    EXPECT_EQ(spectrum->call(QStringLiteral("GetExperimentNumber")).toLong(), 1);
    const auto origin = spectrum->call(QStringLiteral("GetVeskFileObject")).toObject();
    ASSERT_TRUE(origin);
    EXPECT_EQ(origin->call(QStringLiteral("FilePath")).toString(), path);

    // Points count from 1.
    Arguments outside{Variant(std::int32_t{4})};
    EXPECT_EQ(errorNumberOf([&] { spectrum->call(QStringLiteral("XAt"), outside); }),
              automation::SubscriptOutOfRange);
}

TEST(KestrumCreatableClasses, ASpectrumBuiltInMemoryIsCopiedAndHasNoFile) {
    const auto spectrum = create(QStringLiteral("Kestrum.CentroidableSpectrum"));
    Arguments first{Variant(300.5), Variant(12.0)};
    spectrum->call(QStringLiteral("AppendPoint"), first);
    Arguments second{Variant(301.5), Variant(4.0)};
    spectrum->call(QStringLiteral("AppendPoint"), second);
    Arguments centroided{Variant(true)};
    spectrum->call(QStringLiteral("SetCentroided"), centroided);

    const auto copy = spectrum->call(QStringLiteral("CopySpectrum")).toObject();
    Arguments more{Variant(302.5), Variant(1.0)};
    spectrum->call(QStringLiteral("AppendPoint"), more);
    EXPECT_EQ(copy->call(QStringLiteral("PointCount")).toLong(), 2);
    Arguments two{Variant(std::int32_t{2})};
    EXPECT_DOUBLE_EQ(copy->call(QStringLiteral("YAt"), two).toDouble(), 4.0);
    EXPECT_TRUE(copy->call(QStringLiteral("IsCentroided")).toBool());
    EXPECT_FALSE(spectrum->call(QStringLiteral("GetVeskFileObject")).toObject());

    // Loading from a file is what a FileSpectrum adds.
    Arguments file{Variant(QStringLiteral("/nowhere.vesk"))};
    EXPECT_EQ(errorNumberOf([&] { spectrum->call(QStringLiteral("SetDataFile"), file); }),
              automation::MemberNotFound);
    EXPECT_EQ(errorNumberOf([&] { spectrum->call(QStringLiteral("NoSuchMember")); }),
              automation::MemberNotFound);
}

} // namespace
