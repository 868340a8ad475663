// Vesk files from anywhere: damaged or hostile content in any table, column or byte must end in an
// automation error or a normal result, never in a crash, a hang or a huge allocation. The mutations
// are deterministic (fixed seed) and bounded in number and time.
#include "veskfixture.h"

#include "kestrum/filespectrum.h"
#include "kestrum/veskfile.h"

#include "automation/automationerror.h"

#include <QElapsedTimer>
#include <QFile>
#include <random>
#include <sqlite3.h>
#include <zlib.h>

using namespace kestrum;
using namespace kestrum::testing;

namespace {

enum class Outcome { Read, Refused };

// Walks everything a caller can reach in the file.
Outcome readEverything(const QString& path) {
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
                        file->scan(sample, period, experiment, cycle);
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
        return Outcome::Read;
    } catch (const automation::AutomationError& error) {
        EXPECT_FALSE(error.description().isEmpty());
        return Outcome::Refused;
    }
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
        ASSERT_EQ(readEverything(original), Outcome::Read);
    }

    // A copy of the file whose tables have lost their type checks and constraints, then `sql` run on it.
    QString mutated(const std::string& sql, const QByteArray& blob = {}) {
        const QString path = pathOf(QStringLiteral("mutant-%1.vesk").arg(++mutants));
        EXPECT_TRUE(QFile::copy(original, path));
        sqlite3* db = nullptr;
        EXPECT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        std::string loosen = "PRAGMA synchronous = OFF; PRAGMA journal_mode = MEMORY;";
        for (const char* table : {"sample", "period", "experiment", "cycle", "scan"})
            loosen += std::string("CREATE TABLE loose AS SELECT * FROM ") + table + "; DROP TABLE " + table +
                      "; ALTER TABLE loose RENAME TO " + table + ";";
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

    QString original;
    QByteArray originalBytes;
    int mutants = 0;
};

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

TEST_F(HostileFileTest, RandomByteDamageNeverCrashes) {
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
        refused += readEverything(path) == Outcome::Refused;
    }
    EXPECT_GT(refused, 0) << "after " << rounds << " rounds";
}

} // namespace
