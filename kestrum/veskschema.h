#pragma once
// The tables of a Vesk file, shared by the writer and the reader. docs/vesk-format.md describes
// them; a change that older readers cannot read must raise `schemaVersion`.

#include <cstdint>

namespace kestrum::schema {

// PRAGMA application_id: "Vesk" in ASCII, which tells a Vesk file from any other SQLite database.
constexpr std::int64_t applicationId = 0x5665736B;
// PRAGMA user_version: the layout of the tables below. Version 2 added the scan checksum; a
// reader still reads version 1 files, which have none. The layout checksum table came later in
// version 2: older readers pass over it, and files written before it are read without it.
constexpr std::int64_t schemaVersion = 2;
constexpr std::int64_t firstVersionWithChecksums = 2;
// More points than this in one scan is taken as damage, not data.
constexpr std::int64_t maxPointsPerScan = 10'000'000;

constexpr const char* createTables = R"sql(
CREATE TABLE sample (
    sample INTEGER PRIMARY KEY,
    name TEXT NOT NULL
) STRICT;
CREATE TABLE period (
    sample INTEGER NOT NULL,
    period INTEGER NOT NULL,
    PRIMARY KEY (sample, period)
) STRICT, WITHOUT ROWID;
CREATE TABLE experiment (
    sample INTEGER NOT NULL,
    period INTEGER NOT NULL,
    experiment INTEGER NOT NULL,
    scan_type INTEGER NOT NULL,
    polarity INTEGER NOT NULL,
    fixed_mass REAL NOT NULL,
    PRIMARY KEY (sample, period, experiment)
) STRICT, WITHOUT ROWID;
CREATE TABLE cycle (
    sample INTEGER NOT NULL,
    period INTEGER NOT NULL,
    cycle INTEGER NOT NULL,
    start_time REAL NOT NULL,
    PRIMARY KEY (sample, period, cycle)
) STRICT, WITHOUT ROWID;
CREATE TABLE scan (
    id INTEGER PRIMARY KEY,
    sample INTEGER NOT NULL,
    period INTEGER NOT NULL,
    experiment INTEGER NOT NULL,
    cycle INTEGER NOT NULL,
    retention_time REAL NOT NULL,
    precursor_mz REAL,
    precursor_charge INTEGER NOT NULL,
    centroided INTEGER NOT NULL,
    point_count INTEGER NOT NULL,
    total_ion_current REAL NOT NULL,
    mz BLOB NOT NULL,
    intensity BLOB NOT NULL,
    checksum INTEGER NOT NULL,
    UNIQUE (sample, period, experiment, cycle)
) STRICT;
CREATE TABLE layout_checksum (
    checksum INTEGER NOT NULL
) STRICT;
)sql";

} // namespace kestrum::schema
