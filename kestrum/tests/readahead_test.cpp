// Scans decoded ahead on Kestrum's own thread: whatever order a caller reads in, it gets the scans
// a direct read gives, a damaged scan fails at the call for it with the direct read's message, and
// a file closed while scans are being decoded ahead closes cleanly.
#include "veskfixture.h"

#include "kestrum/kestrumerror.h"
#include "kestrum/veskfile.h"

#include <sqlite3.h>

using namespace kestrum;
using namespace kestrum::testing;

namespace {

constexpr int cycles = 30;
constexpr int experiments = 3; // a survey and two products per cycle
constexpr int damagedExperiment = 1;
constexpr int damagedCycle = 15;

std::vector<double> mzOf(int experiment, int cycle) {
    return {100.0 + cycle, 200.0 + experiment, 300.0 + 0.5 * cycle + experiment};
}

std::vector<double> intensityOf(int experiment, int cycle) {
    return {1.0 + cycle, 2.0 + experiment, 3.0 + cycle * experiments + experiment};
}

struct Read {
    int experiment;
    int cycle;
};

// Reads the scans in that order, stopping after `stopAfter` of them, and checks each one.
void readAndCheck(const QString& path, const std::vector<Read>& order, std::size_t stopAfter,
                  const QString& damageMessage) {
    const auto file = VeskFile::open(path);
    for (std::size_t i = 0; i < std::min(stopAfter, order.size()); ++i) {
        const Read read = order[i];
        SCOPED_TRACE(::testing::Message()
                     << "read " << i << ": experiment " << read.experiment << ", cycle " << read.cycle);
        if (read.experiment == damagedExperiment && read.cycle == damagedCycle) {
            try {
                file->scan(1, 0, read.experiment, read.cycle);
                ADD_FAILURE() << "the damaged scan was read";
            } catch (const KestrumError& error) {
                EXPECT_EQ(error.description(), damageMessage);
            }
            continue;
        }
        const std::optional<ScanRecord> scan = file->scan(1, 0, read.experiment, read.cycle);
        ASSERT_TRUE(scan);
        EXPECT_EQ(scan->cycle, read.cycle);
        EXPECT_EQ(scan->mz, mzOf(read.experiment, read.cycle));
        EXPECT_EQ(scan->intensity, intensityOf(read.experiment, read.cycle));
    }
}

TEST_F(VeskFileTest, ScansReadAheadMatchDirectReadsInAnyOrderAndDamageFailsAtItsOwnCall) {
    const QString path = pathOf(QStringLiteral("run.vesk"));
    {
        VeskWriter writer(path);
        const int sample = writer.addSample(QStringLiteral("Run"));
        writer.addPeriod(sample);
        writer.addExperiment(sample, 0, {TOFMS, 0, 0});
        for (int e = 1; e < experiments; ++e)
            writer.addExperiment(sample, 0, {TOFProduct, 0, 0});
        for (int cycle = 0; cycle < cycles; ++cycle) {
            writer.addCycle(sample, 0, 2.0 * cycle);
            for (int e = 0; e < experiments; ++e)
                writer.addScan(makeScan(sample, 0, e, cycle, 2.0 * cycle + 0.1 * e, mzOf(e, cycle),
                                        intensityOf(e, cycle)));
        }
        writer.commit();
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    const std::string damage = "UPDATE scan SET checksum = (checksum + 1) % 4294967296 WHERE experiment = " +
                               std::to_string(damagedExperiment) +
                               " AND cycle = " + std::to_string(damagedCycle);
    EXPECT_EQ(sqlite3_exec(db, damage.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);

    // What a direct read of the damaged scan says: the first read of a file is never read ahead.
    QString damageMessage;
    try {
        VeskFile::open(path)->scan(1, 0, damagedExperiment, damagedCycle);
    } catch (const KestrumError& error) {
        damageMessage = error.description();
    }
    ASSERT_TRUE(damageMessage.contains(QStringLiteral("cycle 15: its checksum does not match")))
        << damageMessage.toStdString();

    std::vector<Read> acquisition, exportLike, productsOnly;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        for (int e = 0; e < experiments; ++e)
            acquisition.push_back({e, cycle});
        // An export reads a cycle's first product, then its survey for the charge, then the rest.
        for (int e : {1, 0, 2})
            exportLike.push_back({e, cycle});
        for (int e : {1, 2})
            productsOnly.push_back({e, cycle});
    }
    const std::vector<Read> backwards(acquisition.rbegin(), acquisition.rend());
    std::vector<Read> jumping;
    for (int cycle = 0; cycle < cycles; cycle += 7)
        jumping.push_back({2, cycle});

    const struct {
        const char* name;
        const std::vector<Read>& order;
        std::size_t stopAfter; // the file is closed with scans still being decoded ahead
    } cases[] = {
        {"acquisition order", acquisition, acquisition.size()},
        {"export order", exportLike, exportLike.size()},
        {"products only, surveys decoded ahead and never asked for", productsOnly, productsOnly.size()},
        {"backwards", backwards, backwards.size()},
        {"jumping", jumping, jumping.size()},
        {"closed mid-way", acquisition, 5},
        {"closed at the damaged scan", exportLike, 3 * damagedCycle + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        readAndCheck(path, c.order, c.stopAfter, damageMessage);
    }
}

} // namespace
