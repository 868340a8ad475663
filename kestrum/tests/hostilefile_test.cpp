// Vesk files from anywhere: damaged or hostile content in any table, column or byte must end in an
// numbered error or a normal result, never in a crash, a hang, a huge allocation or scans that
// read back changed. The mutations are deterministic (fixed seed) and bounded in number and time.
#include "veskfixture.h"

#include "kestrum/filespectrum.h"
#include "kestrum/veskfile.h"

#include "errors/numberederror.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <random>
#include <sqlite3.h>
#include <sys/stat.h>
#include <tuple>
#include <zlib.h>

using namespace kestrum;
using namespace kestrum::testing;

namespace {

enum class Outcome { Read, Refused };

// Bit for bit, so that a NaN read back counts as a change.
bool sameScans(const std::vector<ScanRecord>& first, const std::vector<ScanRecord>& second) {
    const auto sameValues = [](const std::vector<double>& x, const std::vector<double>& y) {
        return x.size() == y.size() && std::memcmp(x.data(), y.data(), x.size() * sizeof(double)) == 0;
    };
    const auto same = [&](const ScanRecord& a, const ScanRecord& b) {
        return std::tie(a.sample, a.period, a.experiment, a.cycle, a.retentionTimeSeconds, a.precursorMz,
                        a.precursorCharge, a.centroided) ==
                   std::tie(b.sample, b.period, b.experiment, b.cycle, b.retentionTimeSeconds, b.precursorMz,
                            b.precursorCharge, b.centroided) &&
               sameValues(a.mz, b.mz) && sameValues(a.intensity, b.intensity);
    };
    return std::equal(first.begin(), first.end(), second.begin(), second.end(), same);
}

// Walks everything a caller can reach in the file, collecting its scans; the error's description
// when the file is refused, empty when it reads.
QString refusalOf(const QString& path, std::vector<ScanRecord>* scans = nullptr) {
    try {
        const auto file = VeskFile::open(path);
        for (int sample = 1; sample <= file->SampleCount(); ++sample) {
            file->SampleName(sample);
            for (int period = 0; period < file->PeriodCount(sample); ++period) {
                const int cycles = file->CycleCount(sample, period);
                for (int experiment = 0; experiment < file->ExperimentCount(sample, period); ++experiment) {
                    file->Experiment(sample, period, experiment);
                    file->CycleAtTime(sample, experiment, 61.0f);
                    for (int cycle = 0; cycle < cycles; ++cycle) {
                        file->CycleTime(sample, period, experiment, cycle);
                        if (auto scan = file->scan(sample, period, experiment, cycle); scan && scans)
                            scans->push_back(std::move(*scan));
                    }
                    FileSpectrum sum;
                    sum.SetDataFile(path);
                    sum.LoadSpectrum(sample, period, experiment, -1e30f, 1e30f);
                    FileChromatogram trace;
                    trace.SetDataFile(path);
                    trace.LoadChromatogram(sample, period, experiment);
                }
            }
        }
        return {};
    } catch (const errors::NumberedError& error) {
        EXPECT_FALSE(error.description().isEmpty());
        return error.description();
    }
}

Outcome readEverything(const QString& path) {
    return refusalOf(path).isEmpty() ? Outcome::Read : Outcome::Refused;
}

// A change made with the sqlite3 shell, and what the refusal of the changed file must say.
struct Mutation {
    std::string sql;
    QByteArray blob; // bound to the statement's parameter, when not null
    QString expected;
};

// A scan's point array written as plain byte planes, the simplest form a Vesk array takes; m/z
// arrays store the differences of consecutive values' bit patterns.
QByteArray planeArray(const std::vector<double>& values, bool differences) {
    std::vector<std::uint64_t> words;
    for (std::size_t i = 0; i < values.size(); ++i)
        words.push_back(std::bit_cast<std::uint64_t>(values[i]) -
                        (differences && i > 0 ? std::bit_cast<std::uint64_t>(values[i - 1]) : 0));
    QByteArray blob;
    for (int plane = 0; plane < 8; ++plane) {
        blob.append('\0');
        for (const std::uint64_t word : words)
            blob.append(static_cast<char>(word >> (8 * plane)));
    }
    return blob;
}

class HostileFileTest : public VeskFileTest {
protected:
    void SetUp() override {
        VeskFileTest::SetUp();
        original = pathOf(QStringLiteral("original.vesk"));
        writeTwoSampleFile(original);
        QFile file(original);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        originalBytes = file.readAll();
        ASSERT_EQ(refusalOf(original, &originalScans), QString());
    }

    enum class Checksums { Kept, Dropped };

    // A copy of the file whose tables have lost their type checks and constraints, then `sql` run
    // on it (with `blob` bound to its parameter). Without checksums (of scans and of the layout) it
    // is a file as the first version of the format stored it, so that the checks beneath show.
    QString mutated(const std::string& sql, const QByteArray& blob = {},
                    Checksums checksums = Checksums::Dropped) {
        const QString path = pathOf(QStringLiteral("mutant-%1.vesk").arg(++mutants));
        EXPECT_TRUE(QFile::copy(original, path));
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        std::string loosen = "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;";
        for (const char* table : {"sample", "period", "experiment", "cycle", "scan"})
            loosen += std::string("CREATE TABLE loose AS SELECT * FROM ") + table + "; DROP TABLE " + table +
                      "; ALTER TABLE loose RENAME TO " + table + ";";
        if (checksums == Checksums::Dropped)
            loosen +=
                "ALTER TABLE scan DROP COLUMN checksum; DROP TABLE layout_checksum; PRAGMA user_version = 1;";
        EXPECT_EQ(sqlite3_exec(db, loosen.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        if (blob.isNull()) {
            EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
                << sql << sqlite3_errmsg(db);
        } else {
            sqlite3_stmt* statement = nullptr;
            EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK)
                << sqlite3_errmsg(db);
            sqlite3_bind_blob(statement, 1, blob.constData(), static_cast<int>(blob.size()),
                              SQLITE_TRANSIENT);
            EXPECT_EQ(sqlite3_step(statement), SQLITE_DONE) << sql << ": " << sqlite3_errmsg(db);
            sqlite3_finalize(statement);
        }
        sqlite3_close(db);
        return path;
    }

    // One of the original file's point arrays as stored.
    QByteArray storedArray(const char* column, int scanId) const {
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open_v2(original.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr),
                  SQLITE_OK);
        sqlite3_stmt* statement = nullptr;
        const std::string sql = std::string("SELECT ") + column + " FROM scan WHERE id = ?";
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr), SQLITE_OK);
        sqlite3_bind_int(statement, 1, scanId);
        EXPECT_EQ(sqlite3_step(statement), SQLITE_ROW);
        const QByteArray array(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                               sqlite3_column_bytes(statement, 0));
        sqlite3_finalize(statement);
        sqlite3_close(db);
        return array;
    }

    QString original;
    QByteArray originalBytes;
    std::vector<ScanRecord> originalScans;
    int mutants = 0;
};

// Scan 2 is sample 1's survey scan in cycle 1 (400, 523.7812, 601 with 20, 100, 1); scan 5 its
// product scan in cycle 0. The values are plausible in kind but impossible in fact, and each must
// be refused naming the file and where it lies.
TEST_F(HostileFileTest, StoredValuesThatCannotBeRealAreRefusedNamingWhere) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const QString cycle1 = QStringLiteral("the scan of sample 1, period 0, experiment 0, cycle 1: ");
    const QString product = QStringLiteral("the scan of sample 1, period 0, experiment 1, cycle 0: ");
    const Mutation cases[] = {
        {"UPDATE scan SET intensity = ? WHERE id = 2", planeArray({20, nan, 1}, false),
         cycle1 + QStringLiteral("point 2 has intensity nan")},
        {"UPDATE scan SET intensity = ? WHERE id = 2", planeArray({20, 100, -inf}, false),
         cycle1 + QStringLiteral("point 3 has intensity -inf")},
        {"UPDATE scan SET mz = ? WHERE id = 2", planeArray({0, 523.7812, 601}, true),
         cycle1 + QStringLiteral("point 1 has m/z 0")},
        {"UPDATE scan SET mz = ? WHERE id = 2", planeArray({400, 523.7812, inf}, true),
         cycle1 + QStringLiteral("point 3 has m/z inf")},
        {"UPDATE scan SET precursor_mz = 1e300 WHERE id = 5",
         {},
         product + QStringLiteral("its precursor m/z 1e+300")},
        {"UPDATE scan SET precursor_mz = -523.7812 WHERE id = 5",
         {},
         product + QStringLiteral("its precursor m/z")},
        {"UPDATE scan SET precursor_charge = 500 WHERE id = 5",
         {},
         product + QStringLiteral("its precursor charge 500")},
        {"UPDATE scan SET retention_time = -5 WHERE id = 2",
         {},
         cycle1 + QStringLiteral("its retention time is -5 s")},
        {"UPDATE scan SET total_ion_current = 9e999 WHERE id = 2",
         {},
         cycle1 + QStringLiteral("its total ion current inf")},
        {"UPDATE cycle SET start_time = 9e999 WHERE sample = 1 AND cycle = 3",
         {},
         QStringLiteral("cycle 3 of period 0 of sample 1: its start time is inf s")},
        {"UPDATE experiment SET fixed_mass = -1 WHERE sample = 2 AND period = 1 AND experiment = 1",
         {},
         QStringLiteral("experiment 1 of period 1 of sample 2: its fixed mass -1")},
    };
    for (const auto& c : cases) {
        const QString path = mutated(c.sql, c.blob);
        const QString refusal = refusalOf(path);
        EXPECT_TRUE(refusal.startsWith(QStringLiteral("'%1' is damaged: ").arg(path)))
            << c.sql << ": " << refusal.toStdString();
        EXPECT_TRUE(refusal.contains(c.expected)) << c.sql << ": " << refusal.toStdString();
    }
}

TEST_F(HostileFileTest, ScansChangedBehindTheirChecksumAreRefusedAndOlderFilesStillRead) {
    QByteArray intensities = storedArray("intensity", 2);
    intensities[intensities.size() - 1] ^= 1;
    QByteArray mzValues = storedArray("mz", 6);
    mzValues[mzValues.size() / 2] ^= 0x10;
    const Mutation cases[] = {
        {"UPDATE scan SET intensity = ? WHERE id = 2", intensities,
         QStringLiteral(
             "the scan of sample 1, period 0, experiment 0, cycle 1: its checksum does not match")},
        {"UPDATE scan SET mz = ? WHERE id = 6", mzValues,
         QStringLiteral(
             "the scan of sample 1, period 0, experiment 1, cycle 2: its checksum does not match")},
        {"UPDATE scan SET precursor_mz = 523.7813 WHERE id = 5",
         {},
         QStringLiteral(
             "the scan of sample 1, period 0, experiment 1, cycle 0: its checksum does not match")},
        {"UPDATE scan SET cycle = 1 WHERE id = 5",
         {},
         QStringLiteral(
             "the scan of sample 1, period 0, experiment 1, cycle 1: its checksum does not match")},
        {"UPDATE scan SET checksum = NULL WHERE id = 2", {}, QStringLiteral("checksum")},
    };
    for (const auto& c : cases) {
        const QString refusal = refusalOf(mutated(c.sql, c.blob, Checksums::Kept));
        EXPECT_TRUE(refusal.contains(c.expected)) << c.sql << ": " << refusal.toStdString();
    }
    // A file of the first version, without checksums, reads as it did.
    std::vector<ScanRecord> scans;
    EXPECT_EQ(refusalOf(mutated("SELECT 1"), &scans), QString());
    EXPECT_TRUE(sameScans(scans, originalScans));
}

// The layout (samples, periods, experiments, cycles) has a checksum of its own: a row added or a
// value changed there would otherwise export believable but wrong results (an extra period makes
// a data-dependent run a fixed-precursor one). Any checksum that is there is checked, whatever
// version the file claims.
TEST_F(HostileFileTest, LayoutChangedBehindItsChecksumIsRefused) {
    const QString layout =
        QStringLiteral("its samples, periods, experiments and cycles do not match their checksum");
    const Mutation cases[] = {
        {"INSERT INTO period VALUES (1, 1)", {}, layout},
        {"DELETE FROM cycle WHERE sample = 2 AND period = 1 AND cycle = 2", {}, layout},
        {"UPDATE cycle SET start_time = start_time + 0.5 WHERE sample = 1 AND cycle = 2", {}, layout},
        {"UPDATE experiment SET fixed_mass = 600 WHERE sample = 1 AND experiment = 1", {}, layout},
        {"UPDATE experiment SET polarity = 1 - polarity WHERE sample = 2", {}, layout},
        {"UPDATE experiment SET scan_type = 9999 WHERE experiment = 1", {}, layout},
        {"UPDATE experiment SET scan_type = -1 WHERE experiment = 0", {}, layout},
        {"UPDATE sample SET name = 'another run' WHERE sample = 2", {}, layout},
        {"INSERT INTO layout_checksum SELECT checksum FROM layout_checksum",
         {},
         QStringLiteral("exactly one")},
        {"PRAGMA user_version = 1; UPDATE scan SET precursor_mz = 523.7813 WHERE id = 5",
         {},
         QStringLiteral(
             "the scan of sample 1, period 0, experiment 1, cycle 0: its checksum does not match")},
    };
    for (const auto& c : cases) {
        const QString refusal = refusalOf(mutated(c.sql, c.blob, Checksums::Kept));
        EXPECT_TRUE(refusal.contains(c.expected)) << c.sql << ": " << refusal.toStdString();
    }
}

TEST_F(HostileFileTest, DamageThatWouldGiveWrongDataIsRefused) {
    QByteArray bomb(10'000'000, '\0');
    uLongf size = compressBound(static_cast<uLong>(bomb.size()));
    QByteArray compressed(static_cast<qsizetype>(size), '\0');
    compress(reinterpret_cast<Bytef*>(compressed.data()), &size,
             reinterpret_cast<const Bytef*>(bomb.constData()), static_cast<uLong>(bomb.size()));
    compressed.truncate(static_cast<qsizetype>(size));
    EXPECT_EQ(readEverything(mutated("UPDATE scan SET mz = ? WHERE id = 1", compressed)), Outcome::Refused);

    for (const char* sql : {
             "UPDATE scan SET point_count = point_count + 1 WHERE id = 2",
             "UPDATE scan SET point_count = 40000000 WHERE id = 2",
             "UPDATE scan SET point_count = -1 WHERE id = 2",
             "UPDATE scan SET mz = intensity WHERE id = 1", // no longer ascending
             "UPDATE scan SET intensity = substr(intensity, 1, 5) WHERE id = 3",
             "UPDATE scan SET mz = NULL WHERE id = 3",
             "UPDATE scan SET retention_time = 'early' WHERE id = 3",
             "UPDATE scan SET retention_time = 9e999 WHERE id = 3",
             "UPDATE scan SET cycle = 4 WHERE id = 1",
             "INSERT INTO scan SELECT * FROM scan WHERE id = 1",
             "UPDATE experiment SET scan_type = 40000 WHERE experiment = 1",
             "UPDATE experiment SET polarity = 2",
             "DELETE FROM cycle WHERE cycle = 1 AND sample = 1",
             "UPDATE sample SET sample = 3 WHERE sample = 2",
             "INSERT INTO period VALUES (1, 0)",
             "UPDATE sample SET name = NULL",
             "DROP TABLE scan",
             "PRAGMA user_version = 0",
             "PRAGMA application_id = 7",
         })
        EXPECT_EQ(readEverything(mutated(sql)), Outcome::Refused) << sql;

    // A view in place of a table is refused before any of its query runs.
    EXPECT_EQ(readEverything(
                  mutated("DROP TABLE scan; CREATE VIEW scan AS WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                          "SELECT i + 1 FROM n) SELECT * FROM n")),
              Outcome::Refused);
}

TEST_F(HostileFileTest, AnyColumnSetToAnyKindOfValueNeverCrashes) {
    const std::vector<std::pair<const char*, std::vector<const char*>>> columns = {
        {"sample", {"sample", "name"}},
        {"period", {"sample", "period"}},
        {"experiment", {"sample", "period", "experiment", "scan_type", "polarity", "fixed_mass"}},
        {"cycle", {"sample", "period", "cycle", "start_time"}},
        {"scan",
         {"sample", "period", "experiment", "cycle", "retention_time", "precursor_mz", "precursor_charge",
          "centroided", "point_count", "total_ion_current", "mz", "intensity"}},
    };
    const std::vector<const char*> values = {"NULL",   "-1",      "2147483648",   "-9e999",
                                             "'text'", "X'00FF'", "zeroblob(64)", "(rowid % 2) * 1000"};
    int refused = 0;
    int total = 0;
    for (const auto& [table, names] : columns)
        for (const char* column : names)
            for (const char* value : values) {
                const std::string sql = std::string("UPDATE ") + table + " SET " + column + " = " + value;
                refused += readEverything(mutated(sql)) == Outcome::Refused;
                ++total;
            }
    // Most of these make the file unreadable; none may crash, and the count shows they took effect.
    EXPECT_GT(refused, total / 2);
}

// Files other programs left in states the writer never makes: a file sqlite3 switched to its
// write-ahead log reads as before without leaving files beside it, one whose log still holds
// changes is refused naming the log, and a named pipe is called one.
TEST_F(HostileFileTest, LoggedFilesAndPipesGetAClearAnswer) {
    const QString logged = pathOf(QStringLiteral("logged.vesk"));
    ASSERT_TRUE(QFile::copy(original, logged));
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(logged.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    std::vector<ScanRecord> scans;
    EXPECT_EQ(refusalOf(logged, &scans), QString());
    EXPECT_TRUE(sameScans(scans, originalScans));
    EXPECT_FALSE(QFile::exists(logged + QStringLiteral("-shm")));

    ASSERT_EQ(sqlite3_open(logged.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA wal_autocheckpoint = 0; UPDATE sample SET name = 'edited'", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    EXPECT_TRUE(refusalOf(logged).contains(logged + QStringLiteral("-wal")));
    sqlite3_close(db);

    const QString pipe = pathOf(QStringLiteral("pipe.vesk"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_TRUE(refusalOf(pipe).contains(QStringLiteral("pipe"))) << refusalOf(pipe).toStdString();
}

TEST_F(HostileFileTest, RandomByteDamageIsRefusedOrChangesNoScan) {
    std::mt19937 random(20261207);
    QElapsedTimer elapsed;
    elapsed.start();
    const QString path = pathOf(QStringLiteral("bytes.vesk"));
    int refused = 0;
    int rounds = 0;
    // At most 400 rounds and about 20 seconds, whichever comes first, to keep CI bounded.
    for (; rounds < 400 && elapsed.elapsed() < 20'000; ++rounds) {
        QByteArray bytes = originalBytes;
        switch (random() % 3) {
        case 0: // a few flipped bytes anywhere
            for (unsigned flips = 1 + random() % 8; flips > 0; --flips)
                bytes[static_cast<qsizetype>(random() % bytes.size())] ^=
                    static_cast<char>(1 + random() % 255);
            break;
        case 1: // cut short
            bytes.truncate(static_cast<qsizetype>(random() % bytes.size()));
            break;
        default: // a run of random bytes
        {
            const auto start = static_cast<qsizetype>(random() % bytes.size());
            for (qsizetype i = start; i < std::min(bytes.size(), start + 64); ++i)
                bytes[i] = static_cast<char>(random());
        }
        }
        QFile::remove(path);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        std::vector<ScanRecord> scans;
        if (refusalOf(path, &scans).isEmpty())
            EXPECT_TRUE(sameScans(scans, originalScans)) << "round " << rounds << " read back changed scans";
        else
            ++refused;
    }
    EXPECT_GT(refused, 0) << "after " << rounds << " rounds";
}

} // namespace
