#include "kestrum/veskwriter.h"

#include "kestrum/layoutchecksum.h"
#include "kestrum/plausiblevalues.h"
#include "kestrum/pointcodec.h"
#include "kestrum/scanchecksum.h"
#include "kestrum/sqlitedatabase.h"
#include "kestrum/veskschema.h"

#include "kestrum/kestrumerror.h"

#include "files/savefile.h"

#include <QDir>
#include <QFileInfo>

#include <numeric>
#include <set>
#include <tuple>

namespace kestrum {

namespace {

[[noreturn]] void raise(const QString& description) {
    throw KestrumError::system(description, QStringLiteral("VeskWriter"));
}

struct PeriodLayout {
    int experiments = 0;
    int cycles = 0;
};

std::span<const unsigned char> asBytes(const QByteArray& data) {
    return {reinterpret_cast<const unsigned char*>(data.constData()), static_cast<std::size_t>(data.size())};
}

// How a failed save of the file at `path` is reported.
files::SaveFile::Describe describeFailure(const QString& path) {
    return [path](files::SaveFile::Step step, const QString& reason) {
        if (step == files::SaveFile::Step::Create)
            return QStringLiteral("Cannot write '%1': the folder '%2' is not writable (%3).")
                .arg(path, QDir::toNativeSeparators(QFileInfo(path).absolutePath()), reason);
        if (step == files::SaveFile::Step::Sync)
            return QStringLiteral("Cannot save '%1': writing it to disk failed (%2).").arg(path, reason);
        return QStringLiteral("Cannot save '%1': renaming the finished file into place failed (%2).")
            .arg(path, reason);
    };
}

} // namespace

class VeskWriter::Private {
public:
    explicit Private(const QString& destination);

    PeriodLayout& period(int sample, int periodIndex);
    void checkScan(const ScanRecord& scan);
    void checkOpen() const;
    void closeDatabase();

    QString path;
    files::SaveFile save;
    std::unique_ptr<SqliteDatabase> db;
    std::unique_ptr<SqliteStatement> insertSample, insertPeriod, insertExperiment, insertCycle, insertScan;
    std::vector<std::vector<PeriodLayout>> samples;
    std::set<std::tuple<int, int, int, int>> scans;
};

VeskWriter::Private::Private(const QString& destination)
    : path(QFileInfo(destination).absoluteFilePath()),
      save(path, describeFailure(path), QStringLiteral("VeskWriter")) {
    db = std::make_unique<SqliteDatabase>(save.temporaryPath(), SqliteDatabase::Mode::Create);
    // The temporary file is thrown away on any failure, so it needs no journal.
    db->execute("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF;");
    db->execute(QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2;")
                    .arg(schema::applicationId)
                    .arg(schema::schemaVersion)
                    .toUtf8()
                    .constData());
    db->execute("BEGIN");
    db->execute(schema::createTables);
    insertSample = std::make_unique<SqliteStatement>(*db, "INSERT INTO sample (sample, name) VALUES (?, ?)");
    insertPeriod =
        std::make_unique<SqliteStatement>(*db, "INSERT INTO period (sample, period) VALUES (?, ?)");
    insertExperiment = std::make_unique<SqliteStatement>(
        *db, "INSERT INTO experiment (sample, period, experiment, scan_type, polarity, fixed_mass) "
             "VALUES (?, ?, ?, ?, ?, ?)");
    insertCycle = std::make_unique<SqliteStatement>(
        *db, "INSERT INTO cycle (sample, period, cycle, start_time) VALUES (?, ?, ?, ?)");
    insertScan =
        std::make_unique<SqliteStatement>(*db, "INSERT INTO scan (sample, period, experiment, cycle, "
                                               "retention_time, precursor_mz, precursor_charge, "
                                               "centroided, point_count, total_ion_current, mz, intensity, "
                                               "checksum) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
}

void VeskWriter::Private::checkOpen() const {
    if (!db)
        raise(QStringLiteral("'%1' is already finished; nothing more can be added.").arg(path));
}

PeriodLayout& VeskWriter::Private::period(int sample, int periodIndex) {
    checkOpen();
    if (sample < 1 || sample > static_cast<int>(samples.size()))
        raise(QStringLiteral("'%1' has no sample %2 yet (it has %3).")
                  .arg(path)
                  .arg(sample)
                  .arg(samples.size()));
    auto& periods = samples[static_cast<std::size_t>(sample - 1)];
    if (periodIndex < 0 || periodIndex >= static_cast<int>(periods.size()))
        raise(QStringLiteral("Sample %1 of '%2' has no period %3 yet (it has %4).")
                  .arg(sample)
                  .arg(path)
                  .arg(periodIndex)
                  .arg(periods.size()));
    return periods[static_cast<std::size_t>(periodIndex)];
}

void VeskWriter::Private::checkScan(const ScanRecord& scan) {
    const PeriodLayout& layout = period(scan.sample, scan.period);
    const QString where = QStringLiteral("the scan of sample %1, period %2, experiment %3, cycle %4")
                              .arg(scan.sample)
                              .arg(scan.period)
                              .arg(scan.experiment)
                              .arg(scan.cycle);
    if (scan.experiment < 0 || scan.experiment >= layout.experiments || scan.cycle < 0 ||
        scan.cycle >= layout.cycles)
        raise(QStringLiteral("Cannot add %1 to '%2': the period has %3 experiments and %4 cycles.")
                  .arg(where, path)
                  .arg(layout.experiments)
                  .arg(layout.cycles));
    if (scans.count({scan.sample, scan.period, scan.experiment, scan.cycle}))
        raise(QStringLiteral("Cannot add %1 to '%2' twice.").arg(where, path));
    if (scan.mz.size() != scan.intensity.size())
        raise(QStringLiteral("Cannot add %1 to '%2': it has %3 m/z values but %4 intensities.")
                  .arg(where, path)
                  .arg(scan.mz.size())
                  .arg(scan.intensity.size()));
    if (static_cast<std::int64_t>(scan.mz.size()) > schema::maxPointsPerScan)
        raise(QStringLiteral("Cannot add %1 to '%2': it has more than %3 points.")
                  .arg(where, path)
                  .arg(schema::maxPointsPerScan));
    // Whatever a reader would take as damage is refused here, so that every file written reads back.
    for (const QString& problem : {plausible::timeProblem("retention time", scan.retentionTimeSeconds),
                                   plausible::precursorProblem(scan.precursorMz, scan.precursorCharge),
                                   plausible::pointProblem(scan.mz, scan.intensity)})
        if (!problem.isEmpty())
            raise(QStringLiteral("Cannot add %1 to '%2': %3.").arg(where, path, problem));
}

VeskWriter::VeskWriter(const QString& path) : d(std::make_unique<Private>(path)) {}

void VeskWriter::Private::closeDatabase() {
    insertSample.reset();
    insertPeriod.reset();
    insertExperiment.reset();
    insertCycle.reset();
    insertScan.reset();
    db.reset();
}

VeskWriter::~VeskWriter() {
    // The database lets go of the temporary file before the save removes it.
    d->closeDatabase();
}

int VeskWriter::addSample(const QString& name) {
    d->checkOpen();
    const int sample = static_cast<int>(d->samples.size()) + 1;
    d->insertSample->bind(1, std::int64_t{sample});
    d->insertSample->bind(2, name);
    d->insertSample->run();
    d->samples.emplace_back();
    return sample;
}

int VeskWriter::addPeriod(int sample) {
    d->checkOpen();
    if (sample < 1 || sample > static_cast<int>(d->samples.size()))
        raise(QStringLiteral("'%1' has no sample %2 yet (it has %3).")
                  .arg(d->path)
                  .arg(sample)
                  .arg(d->samples.size()));
    auto& periods = d->samples[static_cast<std::size_t>(sample - 1)];
    const int period = static_cast<int>(periods.size());
    d->insertPeriod->bind(1, std::int64_t{sample});
    d->insertPeriod->bind(2, std::int64_t{period});
    d->insertPeriod->run();
    periods.emplace_back();
    return period;
}

int VeskWriter::addExperiment(int sample, int period, const ExperimentDefinition& definition) {
    PeriodLayout& layout = d->period(sample, period);
    if (definition.polarity != 0 && definition.polarity != 1)
        raise(
            QStringLiteral("Polarity %1 is neither 0 (positive) nor 1 (negative).").arg(definition.polarity));
    if (definition.scanTypeCode < -32768 || definition.scanTypeCode > 32767 ||
        !plausible::fixedMassProblem(definition.fixedMass).isEmpty())
        raise(
            QStringLiteral("Experiment %1 of period %2 of sample %3 has an invalid scan type or fixed mass.")
                .arg(layout.experiments)
                .arg(period)
                .arg(sample));
    d->insertExperiment->bind(1, std::int64_t{sample});
    d->insertExperiment->bind(2, std::int64_t{period});
    d->insertExperiment->bind(3, std::int64_t{layout.experiments});
    d->insertExperiment->bind(4, std::int64_t{definition.scanTypeCode});
    d->insertExperiment->bind(5, std::int64_t{definition.polarity});
    d->insertExperiment->bind(6, definition.fixedMass);
    d->insertExperiment->run();
    return layout.experiments++;
}

int VeskWriter::addCycle(int sample, int period, double startTimeSeconds) {
    PeriodLayout& layout = d->period(sample, period);
    if (const QString problem = plausible::timeProblem("start time", startTimeSeconds); !problem.isEmpty())
        raise(QStringLiteral("Cannot add cycle %1 of period %2 of sample %3 to '%4': %5.")
                  .arg(layout.cycles)
                  .arg(period)
                  .arg(sample)
                  .arg(d->path, problem));
    d->insertCycle->bind(1, std::int64_t{sample});
    d->insertCycle->bind(2, std::int64_t{period});
    d->insertCycle->bind(3, std::int64_t{layout.cycles});
    d->insertCycle->bind(4, startTimeSeconds);
    d->insertCycle->run();
    return layout.cycles++;
}

void VeskWriter::addScan(const ScanRecord& scan) {
    d->checkScan(scan);
    SqliteStatement& insert = *d->insertScan;
    insert.bind(1, std::int64_t{scan.sample});
    insert.bind(2, std::int64_t{scan.period});
    insert.bind(3, std::int64_t{scan.experiment});
    insert.bind(4, std::int64_t{scan.cycle});
    insert.bind(5, scan.retentionTimeSeconds);
    if (scan.precursorMz)
        insert.bind(6, *scan.precursorMz);
    else
        insert.bindNull(6);
    insert.bind(7, std::int64_t{scan.precursorCharge});
    insert.bind(8, std::int64_t{scan.centroided ? 1 : 0});
    const StoredScanValues values{scan.sample,
                                  scan.period,
                                  scan.experiment,
                                  scan.cycle,
                                  scan.retentionTimeSeconds,
                                  scan.precursorMz,
                                  scan.precursorCharge,
                                  scan.centroided,
                                  static_cast<std::int64_t>(scan.mz.size()),
                                  std::accumulate(scan.intensity.begin(), scan.intensity.end(), 0.0)};
    const QByteArray mz = encodeMzArray(scan.mz);
    const QByteArray intensity = encodeIntensityArray(scan.intensity);
    insert.bind(9, values.pointCount);
    insert.bind(10, values.totalIonCurrent);
    insert.bind(11, mz);
    insert.bind(12, intensity);
    insert.bind(13, std::int64_t{scanChecksum(values, asBytes(mz), asBytes(intensity))});
    insert.run();
    d->scans.insert({scan.sample, scan.period, scan.experiment, scan.cycle});
}

void VeskWriter::commit(const std::function<void()>& beforeReplacing) {
    d->checkOpen();
    SqliteStatement insertLayoutChecksum(*d->db, "INSERT INTO layout_checksum (checksum) VALUES (?)");
    insertLayoutChecksum.bind(1, std::int64_t{layoutChecksum(*d->db)});
    insertLayoutChecksum.run();
    d->db->execute("COMMIT");
    d->closeDatabase();
    d->save.commit(beforeReplacing);
}

} // namespace kestrum
