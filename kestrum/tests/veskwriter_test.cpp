// Writing Vesk files: exact round trips, atomic replacement, nothing left behind on failure, and
// clear refusals of records that would make a file inconsistent.
#include "veskfixture.h"

#include "kestrum/veskfile.h"

#include "errors/numberederror.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <limits>
#include <random>
#include <sqlite3.h>
#include <sys/stat.h>

using namespace kestrum;
using namespace kestrum::testing;

namespace {

class VeskWriterTest : public VeskFileTest {};

// Writes the scans, one per cycle, as the one TOF MS experiment of a file and expects every array
// to read back bit for bit.
void expectExactRoundTrip(const QString& path, const std::vector<ScanRecord>& written) {
    {
        VeskWriter writer(path);
        writer.addSample(QStringLiteral("S"));
        writer.addPeriod(1);
        writer.addExperiment(1, 0, {TOFMS, 0, 0});
        for (const ScanRecord& scan : written) {
            writer.addCycle(1, 0, scan.retentionTimeSeconds);
            writer.addScan(scan);
        }
        writer.commit();
    }
    const auto file = VeskFile::open(path);
    for (const ScanRecord& scan : written) {
        const auto read = file->scan(1, 0, 0, scan.cycle);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->mz, scan.mz) << "cycle " << scan.cycle;
        EXPECT_EQ(read->intensity, scan.intensity) << "cycle " << scan.cycle;
    }
}

TEST_F(VeskWriterTest, PointsAndScanDetailsReadBackBitForBit) {
    const QString path = pathOf(QStringLiteral("exact.vesk"));
    ScanRecord written = makeScan(1, 0, 0, 0, 1234.5678901234, {}, {});
    // Awkward values: denormals, float32-derived intensities, a repeated m/z and a huge jump.
    written.mz = {1e-300, 100.000000001, 100.000000001, 523.78123456789, 999999.99999};
    written.intensity = {0.0, double{1.1f}, std::numeric_limits<double>::denorm_min(), 3.0e12, 42.0};
    written.precursorMz = 523.7812;
    written.precursorCharge = 3;
    written.centroided = true;
    {
        VeskWriter writer(path);
        writer.addSample(QStringLiteral("Ünïcode sample"));
        writer.addPeriod(1);
        writer.addExperiment(1, 0, {TOFProduct, 1, 30.5});
        writer.addCycle(1, 0, 1234.0);
        writer.addScan(written);
        writer.commit();
    }
    // The finished file gets the permissions the user's umask gives new files, not a temporary
    // file's owner-only ones.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);

    const auto file = VeskFile::open(path);
    EXPECT_EQ(file->SampleName(1), QStringLiteral("Ünïcode sample"));
    EXPECT_EQ(file->Experiment(1, 0, 0)->ScanTypeCode(), TOFProduct);
    EXPECT_EQ(file->Experiment(1, 0, 0)->Polarity(), 1);
    EXPECT_EQ(file->Experiment(1, 0, 0)->FixedMass(), 30.5);
    const auto read = file->scan(1, 0, 0, 0);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->mz, written.mz);
    EXPECT_EQ(read->intensity, written.intensity);
    EXPECT_EQ(read->retentionTimeSeconds, written.retentionTimeSeconds);
    EXPECT_EQ(read->precursorMz, written.precursorMz);
    EXPECT_EQ(read->precursorCharge, 3);
    EXPECT_TRUE(read->centroided);
}

TEST_F(VeskWriterTest, LongProfileAndCentroidArraysReadBackBitForBit) {
    // Long arrays make every way of storing a byte plane occur: repeated, compressed and raw.
    const QString path = pathOf(QStringLiteral("long.vesk"));
    std::vector<ScanRecord> written;
    std::mt19937 random(11);
    for (int cycle = 0; cycle < 3; ++cycle) {
        // SQLite stores a time of -0 as 0; the scan must still match its checksum.
        ScanRecord scan = makeScan(1, 0, 0, cycle, cycle == 0 ? -0.0 : cycle, {}, {});
        for (int i = 0; i < 4000; ++i) {
            const double flightTime = 10.0 + i * 0.005;
            scan.mz.push_back(cycle == 0 ? flightTime * flightTime
                                         : 100.0 + i * 0.25 + (random() % 97) * 1e-4);
            scan.intensity.push_back(cycle == 1 ? double(random() % 50)
                                                : double{static_cast<float>(random() * 1e-3)});
        }
        written.push_back(scan);
    }
    expectExactRoundTrip(path, written);
    // Well under the 16 bytes per point of the plain arrays, besides the page of each table.
    EXPECT_LT(QFileInfo(path).size(), 3 * 4000 * 10 + 4096);
}

TEST_F(VeskWriterTest, LowBytesThatBecomeCompressibleAreCompressedAgain) {
    // Forty scans whose lowest intensity bytes are random teach the writer not to try compressing
    // them; twenty scans whose lowest bytes repeat must be compressed again, and everything must
    // read back exactly whichever way it was stored.
    const QString path = pathOf(QStringLiteral("changing.vesk"));
    constexpr int points = 4000;
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> measured(0.0, 1e4);
    std::vector<ScanRecord> written;
    for (int cycle = 0; cycle < 60; ++cycle) {
        ScanRecord scan = makeScan(1, 0, 0, cycle, cycle, {}, {});
        for (int i = 0; i < points; ++i) {
            scan.mz.push_back(100.0 + i * 0.01);
            // 1000 plus 0, 8 or 16 units in the last place: only the lowest byte differs.
            scan.intensity.push_back(cycle < 40 ? measured(random) : 1000.0 + (i % 3) * std::ldexp(1.0, -40));
        }
        written.push_back(std::move(scan));
    }
    expectExactRoundTrip(path, written);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* query = nullptr;
    ASSERT_EQ(
        sqlite3_prepare_v2(db, "SELECT length(intensity) FROM scan WHERE cycle = 59", -1, &query, nullptr),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_step(query), SQLITE_ROW);
    const int storedBytes = sqlite3_column_int(query, 0);
    sqlite3_finalize(query);
    sqlite3_close(db);
    EXPECT_LT(storedBytes, points / 4) << "the repeating lowest bytes were stored raw";
}

TEST_F(VeskWriterTest, EmptyScanAndScanWithoutPrecursorReadBack) {
    const QString path = pathOf(QStringLiteral("empty.vesk"));
    {
        VeskWriter writer(path);
        writer.addSample(QStringLiteral("S"));
        writer.addPeriod(1);
        writer.addExperiment(1, 0, {TOFMS, 0, 0});
        writer.addCycle(1, 0, 0);
        writer.addScan(makeScan(1, 0, 0, 0, 0.5, {}, {}));
        writer.commit();
    }
    const auto scan = VeskFile::open(path)->scan(1, 0, 0, 0);
    ASSERT_TRUE(scan);
    EXPECT_TRUE(scan->mz.empty());
    EXPECT_FALSE(scan->precursorMz);
    EXPECT_FALSE(scan->centroided);
}

TEST_F(VeskWriterTest, NothingIsLeftBehindWithoutCommit) {
    {
        VeskWriter writer(pathOf(QStringLiteral("abandoned.vesk")));
        writer.addSample(QStringLiteral("S"));
        EXPECT_EQ(filesInFolder().size(), 1); // the temporary file while writing
    }
    EXPECT_TRUE(filesInFolder().isEmpty());
}

TEST_F(VeskWriterTest, AFailedRewriteKeepsTheOldFileAndAFinishedOneReplacesIt) {
    const QString path = pathOf(QStringLiteral("run.vesk"));
    writeTwoSampleFile(path);
    try {
        VeskWriter writer(path);
        writer.addSample(QStringLiteral("Replacement"));
        writer.addPeriod(7); // fails: there is no sample 7
        FAIL() << "adding a period to a missing sample must fail";
    } catch (const errors::NumberedError& error) {
        EXPECT_TRUE(error.description().contains(QStringLiteral("no sample 7"))) << error.what();
    }
    EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("run.vesk")});
    EXPECT_EQ(VeskFile::open(path)->SampleCount(), 2);

    VeskWriter writer(path);
    writer.addSample(QStringLiteral("Replacement"));
    writer.commit();
    EXPECT_EQ(filesInFolder(), QStringList{QStringLiteral("run.vesk")});
    // The open-file cache must notice the replaced file.
    EXPECT_EQ(VeskFile::open(path)->SampleCount(), 1);
    EXPECT_EQ(VeskFile::open(path)->SampleName(1), QStringLiteral("Replacement"));
}

TEST_F(VeskWriterTest, AnUnwritableFolderIsRefusedAtOnceNamingTheFile) {
    const QString path = pathOf(QStringLiteral("missing-folder/run.vesk"));
    try {
        VeskWriter writer(path);
        FAIL() << "writing into a missing folder must fail";
    } catch (const errors::NumberedError& error) {
        EXPECT_TRUE(error.description().contains(path)) << error.what();
        EXPECT_TRUE(error.description().contains(QStringLiteral("not writable"))) << error.what();
    }
}

TEST_F(VeskWriterTest, InconsistentRecordsAreRefusedWithTheirPosition) {
    VeskWriter writer(pathOf(QStringLiteral("checked.vesk")));
    writer.addSample(QStringLiteral("S"));
    writer.addPeriod(1);
    writer.addExperiment(1, 0, {TOFMS, 0, 0});
    writer.addCycle(1, 0, 0);
    writer.addScan(makeScan(1, 0, 0, 0, 0, {1, 2}, {1, 1}));
    const auto refusal = [&](const ScanRecord& scan) {
        try {
            writer.addScan(scan);
        } catch (const errors::NumberedError& error) {
            return error.description();
        }
        return QString();
    };
    EXPECT_TRUE(refusal(makeScan(1, 0, 0, 0, 0, {1}, {1})).contains(QStringLiteral("twice")));
    EXPECT_TRUE(refusal(makeScan(1, 0, 0, 1, 0, {1}, {1})).contains(QStringLiteral("cycle 1")));
    EXPECT_TRUE(refusal(makeScan(1, 0, 1, 0, 0, {1}, {1})).contains(QStringLiteral("experiment 1")));
    writer.addCycle(1, 0, 1);
    EXPECT_TRUE(refusal(makeScan(1, 0, 0, 1, 0, {1, 2}, {1})).contains(QStringLiteral("2 m/z values")));
    EXPECT_TRUE(
        refusal(makeScan(1, 0, 0, 1, 0, {2, 1}, {1, 1})).contains(QStringLiteral("ascend at point 2")));
    EXPECT_TRUE(
        refusal(makeScan(1, 0, 0, 1, 0, {1, std::nan("")}, {1, 1})).contains(QStringLiteral("point 2")));
    EXPECT_THROW(writer.addExperiment(1, 0, {TOFMS, 2, 0}), errors::NumberedError);
    // The refusals left the writer usable.
    writer.addScan(makeScan(1, 0, 0, 1, 1, {1}, {1}));
    writer.commit();
    EXPECT_TRUE(VeskFile::open(pathOf(QStringLiteral("checked.vesk")))->scan(1, 0, 0, 1));
    EXPECT_THROW(writer.addSample(QStringLiteral("late")), errors::NumberedError);
}

} // namespace
