#include "kestrum/veskfile.h"

#include "kestrum/layoutchecksum.h"
#include "kestrum/plausiblevalues.h"
#include "kestrum/scanreadahead.h"
#include "kestrum/sqlitedatabase.h"
#include "kestrum/veskschema.h"

#include "kestrum/kestrumerror.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <tuple>

namespace kestrum {

namespace {

struct PeriodData {
    std::vector<std::shared_ptr<ExperimentInfo>> experiments;
    std::vector<double> cycleStarts;
    std::vector<std::vector<ScanEntry>> scans; // per experiment, in cycle order
};

struct SampleData {
    QString name;
    std::vector<PeriodData> periods;
};

constexpr int maxIndex = std::numeric_limits<int>::max();

[[noreturn]] void raise(const QString& description) {
    throw KestrumError::system(description, QStringLiteral("VeskFile"));
}

[[noreturn]] void raiseOutOfRange(const QString& description) {
    throw KestrumError(errors::SubscriptOutOfRange, description, QStringLiteral("VeskFile"));
}

// What is wrong with a scan's stored values, or empty.
QString scanValueProblem(const ScanEntry& entry, std::int64_t charge, std::int64_t checksum) {
    for (const QString& problem : {plausible::timeProblem("retention time", entry.retentionTime),
                                   plausible::precursorProblem(entry.precursorMz, charge)})
        if (!problem.isEmpty())
            return problem;
    if (!std::isfinite(entry.totalIonCurrent))
        return QStringLiteral("its total ion current %1 is not a finite number").arg(entry.totalIonCurrent);
    if (entry.pointCount < 0 || entry.pointCount > schema::maxPointsPerScan)
        return QStringLiteral("its point count %1 is outside 0 to %2")
            .arg(entry.pointCount)
            .arg(schema::maxPointsPerScan);
    if (checksum < 0 || checksum > std::numeric_limits<std::uint32_t>::max())
        return QStringLiteral("its checksum %1 is not a 32-bit checksum").arg(checksum);
    return {};
}

QString scanName(int sample, int period, int experiment, int cycle) {
    return QStringLiteral("the scan of sample %1, period %2, experiment %3, cycle %4")
        .arg(sample)
        .arg(period)
        .arg(experiment)
        .arg(cycle);
}

} // namespace

class VeskFile::Private {
public:
    explicit Private(const QString& filePath);

    [[noreturn]] void raiseDamaged(const QString& problem) const {
        raise(QStringLiteral("'%1' is damaged: %2.").arg(path, problem));
    }
    SampleData& sample(int number);
    PeriodData& period(int sampleNumber, int periodIndex);
    const std::vector<ScanEntry>& scans(int sampleNumber, int periodIndex, int experiment);
    const ScanEntry* findScan(int sampleNumber, int periodIndex, int experiment, int cycle);
    ScanRecord readScan(const ScanEntry& entry, int sampleNumber, int periodIndex, int experiment);
    // The scan's arrays as stored; on the thread that owns the connection only.
    StoredPoints fetchPoints(const ScanEntry& entry);

    QString path;
    SqliteDatabase db;
    std::vector<SampleData> samples;
    std::unique_ptr<SqliteStatement> selectPoints;
    bool hasChecksums = false;
    bool scansLoaded = false;                 // the scan lists of all samples, read when first needed
    std::unique_ptr<ScanReadAhead> readAhead; // once the scan lists are read; destroyed first

private:
    void checkFormat();
    void loadLayout();
    void checkLayoutChecksum();
    void loadScans();
    // The rows of each table must number their items 0, 1, 2 ... (samples 1, 2, 3 ...) in order.
    void expectNext(std::int64_t number, std::size_t count, int base, const QString& what) const {
        if (number != static_cast<std::int64_t>(count) + base)
            raiseDamaged(QStringLiteral("its %1 numbers have a gap or a repeat (%2 where %3 was expected)")
                             .arg(what)
                             .arg(number)
                             .arg(static_cast<std::int64_t>(count) + base));
    }
};

VeskFile::Private::Private(const QString& filePath)
    : path(filePath), db(filePath, SqliteDatabase::Mode::ReadOnly) {
    // Keeping the shared lock from the first read on spares a lock, an unlock and a check for
    // changes with every scan read; writers never change a finished file in place.
    db.execute("PRAGMA locking_mode = EXCLUSIVE");
    checkFormat();
    loadLayout();
    selectPoints = std::make_unique<SqliteStatement>(db, "SELECT mz, intensity FROM scan WHERE id = ?");
}

void VeskFile::Private::checkFormat() {
    if (db.queryInteger("PRAGMA application_id") != schema::applicationId)
        raise(QStringLiteral("'%1' is not a Vesk file.").arg(path));
    const std::int64_t version = db.queryInteger("PRAGMA user_version");
    if (version > schema::schemaVersion)
        raise(QStringLiteral(
                  "'%1' was written in a newer Vesk format (version %2); this program reads versions "
                  "up to %3. Please update it.")
                  .arg(path)
                  .arg(version)
                  .arg(schema::schemaVersion));
    if (version < 1)
        raiseDamaged(QStringLiteral("its format version %1 is not valid").arg(version));
    // A checksum that is there is checked whatever the version says, so that marking a file as an
    // older version cannot hide an edited scan.
    hasChecksums =
        db.queryInteger("SELECT count(*) FROM pragma_table_info('scan') WHERE name = 'checksum'") > 0;
    if (version >= schema::firstVersionWithChecksums && !hasChecksums)
        raiseDamaged(QStringLiteral("its scans lack their checksums"));
    // A view or anything else under a table's name would run arbitrary queries of the file's choosing.
    SqliteStatement tables(db, "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN "
                               "('sample', 'period', 'experiment', 'cycle', 'scan')");
    if (!tables.next() || tables.integer(0, "table count") != 5)
        raiseDamaged(
            QStringLiteral("it lacks some of the tables sample, period, experiment, cycle and scan"));
}

void VeskFile::Private::loadLayout() {
    SqliteStatement sampleRows(db, "SELECT sample, name FROM sample ORDER BY sample");
    while (sampleRows.next()) {
        expectNext(sampleRows.integer(0, "sample number"), samples.size(), 1, QStringLiteral("sample"));
        samples.push_back({sampleRows.text(1, "sample name"), {}});
    }
    SqliteStatement periodRows(db, "SELECT sample, period FROM period ORDER BY sample, period");
    while (periodRows.next()) {
        auto& periods = sample(periodRows.integerIn(0, 1, maxIndex, "sample number")).periods;
        expectNext(periodRows.integer(1, "period index"), periods.size(), 0, QStringLiteral("period"));
        periods.emplace_back();
    }
    SqliteStatement experimentRows(db, "SELECT sample, period, experiment, scan_type, polarity, fixed_mass "
                                       "FROM experiment ORDER BY sample, period, experiment");
    while (experimentRows.next()) {
        PeriodData& data = period(experimentRows.integerIn(0, 1, maxIndex, "sample number"),
                                  experimentRows.integerIn(1, 0, maxIndex, "period index"));
        expectNext(experimentRows.integer(2, "experiment index"), data.experiments.size(), 0,
                   QStringLiteral("experiment"));
        ExperimentDefinition definition;
        definition.scanTypeCode = experimentRows.integerIn(3, -32768, 32767, "scan type");
        definition.polarity = experimentRows.integerIn(4, 0, 1, "polarity");
        definition.fixedMass = experimentRows.real(5, "fixed mass");
        if (const QString problem = plausible::fixedMassProblem(definition.fixedMass); !problem.isEmpty())
            raiseDamaged(QStringLiteral("experiment %1 of period %2 of sample %3: %4")
                             .arg(data.experiments.size())
                             .arg(experimentRows.integer(1, "period index"))
                             .arg(experimentRows.integer(0, "sample number"))
                             .arg(problem));
        data.experiments.push_back(std::make_shared<ExperimentInfo>(definition));
    }
    SqliteStatement cycleRows(
        db, "SELECT sample, period, cycle, start_time FROM cycle ORDER BY sample, period, cycle");
    while (cycleRows.next()) {
        PeriodData& data = period(cycleRows.integerIn(0, 1, maxIndex, "sample number"),
                                  cycleRows.integerIn(1, 0, maxIndex, "period index"));
        expectNext(cycleRows.integer(2, "cycle index"), data.cycleStarts.size(), 0, QStringLiteral("cycle"));
        const double start = cycleRows.real(3, "cycle start time");
        if (const QString problem = plausible::timeProblem("start time", start); !problem.isEmpty())
            raiseDamaged(QStringLiteral("cycle %1 of period %2 of sample %3: %4")
                             .arg(data.cycleStarts.size())
                             .arg(cycleRows.integer(1, "period index"))
                             .arg(cycleRows.integer(0, "sample number"))
                             .arg(problem));
        data.cycleStarts.push_back(start);
    }
    for (SampleData& data : samples)
        for (PeriodData& periodData : data.periods)
            periodData.scans.resize(periodData.experiments.size());
    checkLayoutChecksum();
}

void VeskFile::Private::checkLayoutChecksum() {
    // Files written before the layout had a checksum have no such table, and are read unchecked.
    if (db.queryInteger(
            "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name = 'layout_checksum'") == 0)
        return;
    SqliteStatement stored(db, "SELECT checksum FROM layout_checksum");
    const bool one = stored.next();
    const std::int64_t checksum = one ? stored.integer(0, "layout checksum") : -1;
    if (!one || stored.next())
        raiseDamaged(QStringLiteral("its layout checksum table does not hold exactly one checksum"));
    if (checksum != std::int64_t{layoutChecksum(db)})
        raiseDamaged(
            QStringLiteral("its samples, periods, experiments and cycles do not match their checksum, "
                           "so they were damaged or edited"));
}

void VeskFile::Private::loadScans() {
    // All samples' rows in one pass over the table itself, never through the index over sample,
    // period, experiment and cycle, and every row must belong to a sample: a damaged index entry
    // or sample number would otherwise hide its scan without a word.
    const QByteArray query =
        QByteArrayLiteral("SELECT id, sample, period, experiment, cycle, retention_time, precursor_mz, "
                          "precursor_charge, centroided, point_count, total_ion_current, ") +
        (hasChecksums ? "checksum" : "NULL") +
        " FROM scan NOT INDEXED ORDER BY sample, period, experiment, cycle";
    SqliteStatement rows(db, query.constData());
    // A damaged row leaves no scan lists half read, so that asking again gives the same answer.
    struct ClearOnFailure {
        std::vector<SampleData>& samples;
        bool done = false;
        ~ClearOnFailure() {
            if (done)
                return;
            for (SampleData& data : samples)
                for (PeriodData& periodData : data.periods)
                    for (auto& list : periodData.scans)
                        list.clear();
        }
    } clearOnFailure{samples};
    while (rows.next()) {
        const int sampleNumber = rows.integerIn(1, 1, static_cast<int>(samples.size()), "scan sample");
        auto& periods = samples[static_cast<std::size_t>(sampleNumber - 1)].periods;
        const int periodIndex = rows.integerIn(2, 0, static_cast<int>(periods.size()) - 1, "scan period");
        PeriodData& periodData = periods[static_cast<std::size_t>(periodIndex)];
        const int experiment =
            rows.integerIn(3, 0, static_cast<int>(periodData.experiments.size()) - 1, "scan experiment");
        auto& experimentScans = periodData.scans[static_cast<std::size_t>(experiment)];
        ScanEntry entry;
        entry.id = rows.integer(0, "scan id");
        entry.sample = sampleNumber;
        entry.period = periodIndex;
        entry.experiment = experiment;
        entry.cycle = rows.integerIn(4, 0, static_cast<int>(periodData.cycleStarts.size()) - 1, "scan cycle");
        if (!experimentScans.empty() && experimentScans.back().cycle >= entry.cycle)
            raiseDamaged(QStringLiteral("experiment %1 of period %2 of sample %3 has two scans in cycle %4")
                             .arg(experiment)
                             .arg(periodIndex)
                             .arg(sampleNumber)
                             .arg(entry.cycle));
        entry.retentionTime = rows.real(5, "retention time");
        if (!rows.isNull(6))
            entry.precursorMz = rows.real(6, "precursor m/z");
        const std::int64_t charge = rows.integer(7, "precursor charge");
        entry.centroided = rows.integerIn(8, 0, 1, "centroid flag") == 1;
        entry.pointCount = rows.integer(9, "point count");
        entry.totalIonCurrent = rows.real(10, "total ion current");
        std::int64_t checksum = 0;
        if (hasChecksums)
            checksum = rows.integer(11, "checksum");
        if (const QString problem = scanValueProblem(entry, charge, checksum); !problem.isEmpty())
            raiseDamaged(scanName(sampleNumber, periodIndex, experiment, entry.cycle) + QStringLiteral(": ") +
                         problem);
        entry.precursorCharge = static_cast<int>(charge);
        if (hasChecksums)
            entry.checksum = static_cast<std::uint32_t>(checksum);
        experimentScans.push_back(entry);
    }
    clearOnFailure.done = true;
    scansLoaded = true;

    // Acquisition order: cycle by cycle, each cycle's experiments in turn.
    std::vector<ScanEntry*> order;
    for (SampleData& data : samples)
        for (PeriodData& periodData : data.periods)
            for (auto& list : periodData.scans)
                for (ScanEntry& entry : list)
                    order.push_back(&entry);
    std::stable_sort(order.begin(), order.end(), [](const ScanEntry* a, const ScanEntry* b) {
        return std::tie(a->sample, a->period, a->cycle, a->experiment) <
               std::tie(b->sample, b->period, b->cycle, b->experiment);
    });
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i]->position = i;
    readAhead =
        std::make_unique<ScanReadAhead>(std::vector<const ScanEntry*>(order.begin(), order.end()),
                                        [this](const ScanEntry& entry) { return fetchPoints(entry); });
}

SampleData& VeskFile::Private::sample(int number) {
    if (number < 1 || number > static_cast<int>(samples.size()))
        raiseOutOfRange(QStringLiteral("'%1' has no sample %2; its samples are 1 to %3.")
                            .arg(path)
                            .arg(number)
                            .arg(samples.size()));
    return samples[static_cast<std::size_t>(number - 1)];
}

PeriodData& VeskFile::Private::period(int sampleNumber, int periodIndex) {
    SampleData& data = sample(sampleNumber);
    if (periodIndex < 0 || periodIndex >= static_cast<int>(data.periods.size()))
        raiseOutOfRange(QStringLiteral("Sample %1 of '%2' has no period %3; it has %4 periods.")
                            .arg(sampleNumber)
                            .arg(path)
                            .arg(periodIndex)
                            .arg(data.periods.size()));
    return data.periods[static_cast<std::size_t>(periodIndex)];
}

const std::vector<ScanEntry>& VeskFile::Private::scans(int sampleNumber, int periodIndex, int experiment) {
    PeriodData& data = period(sampleNumber, periodIndex);
    if (experiment < 0 || experiment >= static_cast<int>(data.experiments.size()))
        raiseOutOfRange(
            QStringLiteral("Period %1 of sample %2 of '%3' has no experiment %4; it has %5 experiments.")
                .arg(periodIndex)
                .arg(sampleNumber)
                .arg(path)
                .arg(experiment)
                .arg(data.experiments.size()));
    if (!scansLoaded)
        loadScans();
    return data.scans[static_cast<std::size_t>(experiment)];
}

const ScanEntry* VeskFile::Private::findScan(int sampleNumber, int periodIndex, int experiment, int cycle) {
    const auto& experimentScans = scans(sampleNumber, periodIndex, experiment);
    const auto& starts = period(sampleNumber, periodIndex).cycleStarts;
    if (cycle < 0 || cycle >= static_cast<int>(starts.size()))
        raiseOutOfRange(QStringLiteral("Period %1 of sample %2 of '%3' has no cycle %4; it has %5 cycles.")
                            .arg(periodIndex)
                            .arg(sampleNumber)
                            .arg(path)
                            .arg(cycle)
                            .arg(starts.size()));
    const auto found = std::lower_bound(experimentScans.begin(), experimentScans.end(), cycle,
                                        [](const ScanEntry& entry, int c) { return entry.cycle < c; });
    return found != experimentScans.end() && found->cycle == cycle ? &*found : nullptr;
}

ScanRecord VeskFile::Private::readScan(const ScanEntry& entry, int sampleNumber, int periodIndex,
                                       int experiment) {
    ScanRecord record;
    record.sample = sampleNumber;
    record.period = periodIndex;
    record.experiment = experiment;
    record.cycle = entry.cycle;
    record.retentionTimeSeconds = entry.retentionTime;
    record.precursorMz = entry.precursorMz;
    record.precursorCharge = entry.precursorCharge;
    record.centroided = entry.centroided;
    DecodedPoints points = readAhead->points(entry);
    if (!points.problem.isEmpty())
        raiseDamaged(scanName(sampleNumber, periodIndex, experiment, entry.cycle) + QStringLiteral(": ") +
                     points.problem);
    record.mz = std::move(points.mz);
    record.intensity = std::move(points.intensity);
    return record;
}

StoredPoints VeskFile::Private::fetchPoints(const ScanEntry& entry) {
    // The statement is reset however this ends, a damaged column's exception included, so that it
    // serves the next scan.
    struct Reset {
        SqliteStatement& statement;
        ~Reset() { statement.reset(); }
    } reset{*selectPoints};
    selectPoints->bind(1, entry.id);
    StoredPoints stored;
    if (!selectPoints->next()) {
        stored.problem = QStringLiteral("its points are missing");
        return stored;
    }
    const std::span<const unsigned char> mz = selectPoints->blob(0, "m/z array");
    const std::span<const unsigned char> intensity = selectPoints->blob(1, "intensity array");
    stored.mz.assign(mz.begin(), mz.end());
    stored.intensity.assign(intensity.begin(), intensity.end());
    return stored;
}

namespace {

// Files already open, so that the many objects that read one file during an export share it.
// An entry serves only while the file on disk is unchanged.
struct OpenFile {
    std::weak_ptr<VeskFile> file;
    dev_t device;
    ino_t inode;
    off_t size;
    std::int64_t modifiedNanoseconds;
};

// Files held by a VeskFileHold, by path, with the number of holds.
struct HeldFile {
    std::shared_ptr<VeskFile> file;
    int holds = 0;
};

std::mutex openFilesMutex;
std::map<QString, OpenFile> openFiles;
std::map<QString, HeldFile> heldFiles;

} // namespace

VeskFileHold::VeskFileHold(const QString& path) : m_path(QFileInfo(path).absoluteFilePath()) {
    auto file = VeskFile::open(m_path);
    const std::lock_guard lock(openFilesMutex);
    HeldFile& held = heldFiles[m_path];
    if (held.holds++ == 0)
        held.file = std::move(file);
}

VeskFileHold::~VeskFileHold() {
    const std::lock_guard lock(openFilesMutex);
    if (const auto held = heldFiles.find(m_path); held != heldFiles.end() && --held->second.holds == 0)
        heldFiles.erase(held);
}

std::shared_ptr<VeskFile> VeskFile::open(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    {
        const std::lock_guard lock(openFilesMutex);
        if (const auto held = heldFiles.find(absolute); held != heldFiles.end())
            return held->second.file;
    }
    struct stat status {};
    if (::stat(QFile::encodeName(absolute).constData(), &status) != 0)
        raise(QStringLiteral("The file '%1' does not exist.").arg(absolute));
    if (S_ISDIR(status.st_mode))
        raise(QStringLiteral("'%1' is a folder, not a Vesk file.").arg(absolute));
    // Reading a pipe or a device would consume or block on it; a Vesk file is a regular file.
    if (!S_ISREG(status.st_mode))
        raise(QStringLiteral("'%1' is not a Vesk file but a pipe, device or socket.").arg(absolute));
    const std::int64_t modified =
        std::int64_t{status.st_mtim.tv_sec} * 1'000'000'000 + status.st_mtim.tv_nsec;

    const std::lock_guard lock(openFilesMutex);
    std::erase_if(openFiles, [](const auto& item) { return item.second.file.expired(); });
    if (const auto known = openFiles.find(absolute); known != openFiles.end()) {
        const OpenFile& entry = known->second;
        if (entry.device == status.st_dev && entry.inode == status.st_ino && entry.size == status.st_size &&
            entry.modifiedNanoseconds == modified)
            if (auto file = entry.file.lock())
                return file;
    }
    std::shared_ptr<VeskFile> file(new VeskFile(absolute));
    openFiles[absolute] = {file, status.st_dev, status.st_ino, status.st_size, modified};
    return file;
}

VeskFile::VeskFile(const QString& path) : d(std::make_unique<Private>(path)) {}

VeskFile::~VeskFile() = default;

int VeskFile::SampleCount() const {
    return static_cast<int>(d->samples.size());
}

QString VeskFile::SampleName(int sample) const {
    return d->sample(sample).name;
}

int VeskFile::PeriodCount(int sample) const {
    return static_cast<int>(d->sample(sample).periods.size());
}

int VeskFile::ExperimentCount(int sample, int period) const {
    return static_cast<int>(d->period(sample, period).experiments.size());
}

int VeskFile::CycleCount(int sample, int period) const {
    return static_cast<int>(d->period(sample, period).cycleStarts.size());
}

std::shared_ptr<ExperimentInfo> VeskFile::Experiment(int sample, int period, int experiment) const {
    return Period(sample, period)->ExperimentAt(experiment);
}

std::shared_ptr<PeriodInfo> VeskFile::Period(int sample, int period) const {
    return std::make_shared<PeriodInfo>(d->period(sample, period).experiments);
}

std::shared_ptr<SampleInfo> VeskFile::SampleAt(int sample) const {
    if (sample < 1 || sample > SampleCount())
        return nullptr;
    return std::make_shared<SampleInfo>(SampleName(sample), PeriodCount(sample));
}

float VeskFile::CycleTime(int sample, int period, int experiment, int cycle) const {
    if (const ScanEntry* entry = d->findScan(sample, period, experiment, cycle))
        return static_cast<float>(entry->retentionTime);
    return static_cast<float>(d->period(sample, period).cycleStarts[static_cast<std::size_t>(cycle)]);
}

CyclePosition VeskFile::CycleAtTime(int sample, int experiment, float timeSeconds) const {
    std::optional<CyclePosition> nearest;
    double nearestDistance = std::numeric_limits<double>::infinity();
    const auto consider = [&](int period, int cycle, double time) {
        const double distance = std::abs(double{static_cast<float>(time)} - double{timeSeconds});
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = CyclePosition{period, cycle};
        }
    };
    bool experimentExists = false;
    const int periods = PeriodCount(sample);
    for (int period = 0; period < periods; ++period) {
        if (experiment < 0 || experiment >= ExperimentCount(sample, period))
            continue;
        experimentExists = true;
        for (const ScanEntry& entry : d->scans(sample, period, experiment))
            consider(period, entry.cycle, entry.retentionTime);
    }
    if (!experimentExists)
        raiseOutOfRange(QStringLiteral("No period of sample %1 of '%2' has experiment %3.")
                            .arg(sample)
                            .arg(d->path)
                            .arg(experiment));
    if (!nearest) {
        for (int period = 0; period < periods; ++period) {
            const auto& starts = d->period(sample, period).cycleStarts;
            if (experiment < ExperimentCount(sample, period))
                for (std::size_t cycle = 0; cycle < starts.size(); ++cycle)
                    consider(period, static_cast<int>(cycle), starts[cycle]);
        }
    }
    if (!nearest)
        raiseOutOfRange(QStringLiteral("Sample %1 of '%2' has no cycles.").arg(sample).arg(d->path));
    return *nearest;
}

const QString& VeskFile::FilePath() const {
    return d->path;
}

std::optional<ScanRecord> VeskFile::scan(int sample, int period, int experiment, int cycle) const {
    if (const ScanEntry* entry = d->findScan(sample, period, experiment, cycle))
        return d->readScan(*entry, sample, period, experiment);
    return std::nullopt;
}

std::vector<ScanRecord> VeskFile::scansBetween(int sample, int period, int experiment, float startSeconds,
                                               float endSeconds) const {
    if (startSeconds > endSeconds)
        std::swap(startSeconds, endSeconds);
    std::vector<ScanRecord> records;
    for (const ScanEntry& entry : d->scans(sample, period, experiment)) {
        const auto time = static_cast<float>(entry.retentionTime);
        if (time >= startSeconds && time <= endSeconds)
            records.push_back(d->readScan(entry, sample, period, experiment));
    }
    return records;
}

std::optional<RecordedPrecursor> VeskFile::recordedPrecursor(int sample, int period, int experiment,
                                                             int cycle) const {
    const ScanEntry* entry = d->findScan(sample, period, experiment, cycle);
    if (!entry || !entry->precursorMz)
        return std::nullopt;
    return RecordedPrecursor{*entry->precursorMz, entry->precursorCharge};
}

bool VeskFile::hasRecordedCharges(int sample) const {
    const SampleData& data = d->sample(sample);
    for (std::size_t period = 0; period < data.periods.size(); ++period)
        for (std::size_t experiment = 0; experiment < data.periods[period].experiments.size(); ++experiment)
            for (const ScanEntry& entry :
                 d->scans(sample, static_cast<int>(period), static_cast<int>(experiment)))
                if (entry.precursorCharge > 0)
                    return true;
    return false;
}

int VeskFile::scanCount(int sample, int period, int experiment) const {
    return static_cast<int>(d->scans(sample, period, experiment).size());
}

std::vector<double> VeskFile::totalIonCurrents(int sample, int period, int experiment) const {
    const auto& experimentScans = d->scans(sample, period, experiment);
    std::vector<double> currents(static_cast<std::size_t>(CycleCount(sample, period)), 0.0);
    for (const ScanEntry& entry : experimentScans)
        currents[static_cast<std::size_t>(entry.cycle)] = entry.totalIonCurrent;
    return currents;
}

std::shared_ptr<VeskFile> VeskFileOpener::OpenVeskFile(const QString& path, int sample) const {
    auto file = VeskFile::open(path);
    if (!file->SampleAt(sample))
        raiseOutOfRange(QStringLiteral("'%1' has no sample %2; its samples are 1 to %3.")
                            .arg(file->FilePath())
                            .arg(sample)
                            .arg(file->SampleCount()));
    return file;
}

} // namespace kestrum
