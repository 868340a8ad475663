// Reading Vesk files: the sample, period, experiment and cycle layout, cycle times, and clear
// errors for bad indexes and for files that are missing, foreign or of a newer format.
#include "veskfixture.h"

#include "kestrum/veskfile.h"

#include "errors/numberederror.h"

#include <QFile>
#include <sqlite3.h>

using namespace kestrum;
using namespace kestrum::testing;

namespace {

class VeskFileReadTest : public VeskFileTest {
protected:
    void SetUp() override {
        VeskFileTest::SetUp();
        path = pathOf(QStringLiteral("two-samples.vesk"));
        writeTwoSampleFile(path);
        file = VeskFileOpener().OpenVeskFile(path, 1);
    }

    // The description of the error a call raises, empty when it raises none.
    template <class Call>
    static QString errorOf(Call call, int expectedNumber = errors::SubscriptOutOfRange) {
        try {
            call();
        } catch (const errors::NumberedError& error) {
            EXPECT_EQ(error.number(), expectedNumber) << error.what();
            return error.description();
        }
        return {};
    }

    QString path;
    std::shared_ptr<VeskFile> file;
};

TEST_F(VeskFileReadTest, LayoutOfSamplesPeriodsExperimentsAndCycles) {
    EXPECT_EQ(file->FilePath(), path);
    EXPECT_EQ(file->SampleCount(), 2);
    EXPECT_EQ(file->SampleName(2), QStringLiteral("Run B"));
    EXPECT_EQ(file->PeriodCount(1), 1);
    EXPECT_EQ(file->PeriodCount(2), 2);
    EXPECT_EQ(file->ExperimentCount(2, 1), 2);
    EXPECT_EQ(file->CycleCount(1, 0), 4);
    EXPECT_EQ(file->CycleCount(2, 1), 3);
    const auto period = file->Period(2, 1);
    EXPECT_EQ(period->ExperimentCount(), 2);
    EXPECT_EQ(period->ExperimentAt(1)->ScanTypeCode(), ProductScan);
    EXPECT_EQ(period->ExperimentAt(1)->Polarity(), 1);
    EXPECT_EQ(period->ExperimentAt(1)->FixedMass(), 250.0);
    EXPECT_EQ(file->SampleAt(2)->Name(), QStringLiteral("Run B"));
    EXPECT_EQ(file->SampleAt(2)->PeriodCount(), 2);
    EXPECT_EQ(file->SampleAt(3), nullptr);
    EXPECT_EQ(file->SampleAt(0), nullptr);
    EXPECT_FALSE(file->IsAcquiring());
}

TEST_F(VeskFileReadTest, CycleTimeIsTheScanTimeOrTheCycleStartWhereThereIsNoScan) {
    EXPECT_FLOAT_EQ(file->CycleTime(1, 0, 0, 1), 62.1f);
    EXPECT_FLOAT_EQ(file->CycleTime(1, 0, 1, 2), 65.0f);
    EXPECT_FLOAT_EQ(file->CycleTime(1, 0, 1, 1), 62.0f); // no product scan in cycle 1
    EXPECT_FLOAT_EQ(file->CycleTime(2, 1, 1, 2), 120.0f);
}

TEST_F(VeskFileReadTest, CycleAtTimeFindsTheNearestScanOfTheExperiment) {
    const auto at = [&](int sample, int experiment, float seconds) {
        const CyclePosition position = file->CycleAtTime(sample, experiment, seconds);
        return std::pair{position.period, position.cycle};
    };
    EXPECT_EQ(at(1, 0, 62.1f), std::pair(0, 1));
    EXPECT_EQ(at(1, 0, 0.0f), std::pair(0, 0)); // before the run
    EXPECT_EQ(at(1, 0, 1e6f), std::pair(0, 3)); // after it
    // The product experiment has scans in cycles 0 (61 s) and 2 (65 s) only.
    EXPECT_EQ(at(1, 1, 64.0f), std::pair(0, 2));
    EXPECT_EQ(at(1, 1, 63.0f), std::pair(0, 0)); // halfway: the earlier
    EXPECT_EQ(at(1, 1, 62.9f), std::pair(0, 0));
    // Experiment 1 exists only in period 1 of sample 2, which has no scans: cycle starts decide.
    EXPECT_EQ(at(2, 1, 111.0f), std::pair(1, 1));
    // Experiment 0 spans both periods of sample 2; its only scan is in period 0.
    EXPECT_EQ(at(2, 0, 200.0f), std::pair(0, 1));
}

TEST_F(VeskFileReadTest, ScansBetweenUsesTheSamePrecisionAsCycleTime) {
    for (int cycle = 0; cycle < 4; ++cycle) {
        const float time = file->CycleTime(1, 0, 0, cycle);
        const auto scans = file->scansBetween(1, 0, 0, time, time);
        ASSERT_EQ(scans.size(), 1U) << "cycle " << cycle;
        EXPECT_EQ(scans.front().cycle, cycle);
    }
    EXPECT_EQ(file->scansBetween(1, 0, 0, 64.1f, 60.0f).size(), 3U); // reversed bounds
    EXPECT_TRUE(file->scansBetween(1, 0, 1, 62.0f, 64.0f).empty());
    EXPECT_EQ(file->totalIonCurrents(1, 0, 1), (std::vector<double>{21, 0, 21, 0}));
}

TEST_F(VeskFileReadTest, BadIndexesSayWhatAndWhere) {
    EXPECT_TRUE(errorOf([&] { file->SampleName(3); }).contains(QStringLiteral("no sample 3")));
    EXPECT_TRUE(errorOf([&] { file->PeriodCount(0); }).contains(path));
    EXPECT_TRUE(errorOf([&] { file->ExperimentCount(1, 1); }).contains(QStringLiteral("no period 1")));
    EXPECT_TRUE(errorOf([&] { file->Experiment(1, 0, 2); }).contains(QStringLiteral("no experiment 2")));
    EXPECT_TRUE(errorOf([&] { file->CycleTime(1, 0, 0, 4); }).contains(QStringLiteral("no cycle 4")));
    EXPECT_TRUE(errorOf([&] { file->CycleTime(1, 0, 0, -1); }).contains(QStringLiteral("no cycle -1")));
    EXPECT_TRUE(errorOf([&] { file->CycleAtTime(1, 5, 0); }).contains(QStringLiteral("experiment 5")));
    EXPECT_TRUE(
        errorOf([&] { VeskFileOpener().OpenVeskFile(path, 3); }).contains(QStringLiteral("no sample 3")));
}

TEST_F(VeskFileReadTest, MissingForeignAndNewerFilesAreRefused) {
    const auto refusal = [&](const QString& candidate) {
        return errorOf([&] { VeskFile::open(candidate); }, errors::SystemError);
    };
    EXPECT_TRUE(refusal(pathOf(QStringLiteral("nowhere.vesk"))).contains(QStringLiteral("does not exist")));
    EXPECT_TRUE(refusal(folder.path()).contains(QStringLiteral("not a Vesk file")));

    QFile text(pathOf(QStringLiteral("text.vesk")));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(5000, 'x'));
    text.close();
    EXPECT_TRUE(refusal(text.fileName()).contains(QStringLiteral("not a Vesk file")));

    // Any other SQLite database, and a Vesk file of a later format version.
    const auto makeDatabase = [&](const QString& name, const char* sql) {
        const QString databasePath = pathOf(name);
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(databasePath.toUtf8().constData(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
        return databasePath;
    };
    EXPECT_TRUE(refusal(makeDatabase(QStringLiteral("other.db"), "CREATE TABLE t (x)"))
                    .contains(QStringLiteral("not a Vesk file")));
    QFile::copy(path, pathOf(QStringLiteral("newer.vesk")));
    const QString newer = makeDatabase(QStringLiteral("newer.vesk"), "PRAGMA user_version = 99");
    const QString description = refusal(newer);
    EXPECT_TRUE(description.contains(QStringLiteral("newer Vesk format (version 99)")))
        << description.toStdString();
}

} // namespace
