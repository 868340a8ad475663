#include "kestrum/layoutchecksum.h"

#include "kestrum/checksumbuilder.h"
#include "kestrum/sqlitedatabase.h"

#include <QByteArray>

namespace kestrum {

namespace {

enum class Column { Integer, Real, Text };

// Every row of one table, each value in turn, then the number of rows, so that a row cannot move
// from one table to the next unnoticed.
void addTable(ChecksumBuilder& checksum, SqliteDatabase& db, const char* query,
              std::initializer_list<Column> columns) {
    SqliteStatement rows(db, query);
    std::int64_t count = 0;
    while (rows.next()) {
        int index = 0;
        for (const Column column : columns) {
            if (column == Column::Integer) {
                checksum.add(rows.integer(index, "layout value"));
            } else if (column == Column::Real) {
                checksum.add(rows.real(index, "layout value"));
            } else {
                const QByteArray text = rows.text(index, "layout value").toUtf8();
                checksum.add(std::int64_t{text.size()});
                checksum.add(std::span(reinterpret_cast<const unsigned char*>(text.constData()),
                                       static_cast<std::size_t>(text.size())));
            }
            ++index;
        }
        ++count;
    }
    checksum.add(count);
}

} // namespace

std::uint32_t layoutChecksum(SqliteDatabase& db) {
    using enum Column;
    ChecksumBuilder checksum;
    addTable(checksum, db, "SELECT sample, name FROM sample ORDER BY sample", {Integer, Text});
    addTable(checksum, db, "SELECT sample, period FROM period ORDER BY sample, period", {Integer, Integer});
    addTable(checksum, db,
             "SELECT sample, period, experiment, scan_type, polarity, fixed_mass FROM experiment "
             "ORDER BY sample, period, experiment",
             {Integer, Integer, Integer, Integer, Integer, Real});
    addTable(checksum, db,
             "SELECT sample, period, cycle, start_time FROM cycle ORDER BY sample, period, cycle",
             {Integer, Integer, Integer, Real});
    return checksum.value();
}

} // namespace kestrum
