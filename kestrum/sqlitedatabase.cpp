#include "kestrum/sqlitedatabase.h"

#include "kestrum/kestrumerror.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <sqlite3.h>

namespace kestrum {

namespace {

[[noreturn]] void raiseError(const QString& description) {
    throw KestrumError::system(description, QStringLiteral("Kestrum"));
}

// Whether the file's header says it is in SQLite's write-ahead-log mode (bytes 18 and 19 are 2).
bool isInWriteAheadLogMode(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header[18] == 2 && header[19] == 2;
}

// A read-only connection cannot read a file in write-ahead-log mode without creating a
// shared-memory index beside it, which gave only "disk I/O error". Such a file (some other program
// switched it to that mode) is read as immutable, which needs nothing beside it, unless that
// program left changes in its log, which reading so would silently miss.
QByteArray immutableUri(const QString& path) {
    const QString log = path + QStringLiteral("-wal");
    if (QFileInfo(log).size() > 0)
        raiseError(
            QStringLiteral("Cannot read '%1': it is in SQLite's write-ahead-log mode and changes to it "
                           "are still in '%2'. Let the program that edits it finish, or run: sqlite3 "
                           "'%1' 'PRAGMA journal_mode = DELETE'")
                .arg(path, log));
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
}

QString columnTypeName(int type) {
    switch (type) {
    case SQLITE_INTEGER:
        return QStringLiteral("an integer");
    case SQLITE_FLOAT:
        return QStringLiteral("a real number");
    case SQLITE_TEXT:
        return QStringLiteral("text");
    case SQLITE_BLOB:
        return QStringLiteral("binary data");
    default:
        return QStringLiteral("empty (NULL)");
    }
}

} // namespace

SqliteDatabase::SqliteDatabase(const QString& path, Mode mode) : m_path(path) {
    const int flags =
        mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    const bool immutable = mode == Mode::ReadOnly && isInWriteAheadLogMode(path);
    const QByteArray name = immutable ? immutableUri(path) : path.toUtf8();
    if (sqlite3_open_v2(name.constData(), &m_db,
                        flags | SQLITE_OPEN_NOMUTEX | (immutable ? SQLITE_OPEN_URI : 0),
                        nullptr) != SQLITE_OK) {
        const QString message =
            m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("out of memory");
        sqlite3_close(m_db);
        m_db = nullptr;
        raiseError(QStringLiteral("Cannot open '%1': %2.").arg(path, message));
    }
    sqlite3_extended_result_codes(m_db, 1);
    if (mode == Mode::ReadOnly) {
        // Content from an untrusted file must not run functions with side effects through its schema.
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
        sqlite3_db_config(m_db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    }
}

SqliteDatabase::~SqliteDatabase() {
    sqlite3_close(m_db);
}

void SqliteDatabase::execute(const char* sql) {
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        raise(QStringLiteral("cannot run \"%1\"").arg(QString::fromUtf8(sql)));
}

std::int64_t SqliteDatabase::queryInteger(const char* sql) {
    SqliteStatement statement(*this, sql);
    if (!statement.next())
        raise(QStringLiteral("\"%1\" gave no result").arg(QString::fromUtf8(sql)));
    return statement.integer(0, sql);
}

void SqliteDatabase::raise(const QString& what) const {
    const int code = sqlite3_errcode(m_db);
    QString reason = QString::fromUtf8(sqlite3_errmsg(m_db));
    if ((code & 0xff) == SQLITE_NOTADB)
        reason = QStringLiteral("it is not a Vesk file");
    else if ((code & 0xff) == SQLITE_CORRUPT)
        reason = QStringLiteral("the file is damaged (%1)").arg(reason);
    raiseError(QStringLiteral("'%1': %2: %3.").arg(m_path, what, reason));
}

SqliteStatement::SqliteStatement(SqliteDatabase& db, const char* sql) : m_db(db) {
    if (sqlite3_prepare_v3(db.m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr) != SQLITE_OK)
        db.raise(QStringLiteral("cannot read or write its tables"));
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_statement);
}

void SqliteStatement::bind(int parameter, std::int64_t value) {
    sqlite3_bind_int64(m_statement, parameter, static_cast<sqlite3_int64>(value));
}

void SqliteStatement::bind(int parameter, double value) {
    sqlite3_bind_double(m_statement, parameter, value);
}

void SqliteStatement::bind(int parameter, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    sqlite3_bind_text(m_statement, parameter, utf8.constData(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

void SqliteStatement::bind(int parameter, const QByteArray& value) {
    // A zero-length blob is still a blob, not NULL.
    sqlite3_bind_blob64(m_statement, parameter, value.constData() ? value.constData() : "",
                        static_cast<sqlite3_uint64>(value.size()), SQLITE_TRANSIENT);
}

void SqliteStatement::bindNull(int parameter) {
    sqlite3_bind_null(m_statement, parameter);
}

bool SqliteStatement::next() {
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW)
        return true;
    sqlite3_reset(m_statement);
    if (result != SQLITE_DONE)
        m_db.raise(QStringLiteral("reading or writing failed"));
    return false;
}

void SqliteStatement::run() {
    while (next()) {
    }
}

void SqliteStatement::reset() {
    sqlite3_reset(m_statement);
}

bool SqliteStatement::isNull(int column) const {
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

std::int64_t SqliteStatement::integer(int column, const char* what) const {
    const int type = sqlite3_column_type(m_statement, column);
    if (type != SQLITE_INTEGER)
        raiseBadValue(column, what, QStringLiteral("is %1, not an integer").arg(columnTypeName(type)));
    return sqlite3_column_int64(m_statement, column);
}

int SqliteStatement::integerIn(int column, int lowest, int highest, const char* what) const {
    const std::int64_t value = integer(column, what);
    if (value < lowest || value > highest)
        raiseBadValue(column, what,
                      QStringLiteral("is %1, outside %2 to %3").arg(value).arg(lowest).arg(highest));
    return static_cast<int>(value);
}

double SqliteStatement::real(int column, const char* what) const {
    const int type = sqlite3_column_type(m_statement, column);
    // SQLite stores a real number without a fraction as an integer when the column has no type.
    if (type != SQLITE_FLOAT && type != SQLITE_INTEGER)
        raiseBadValue(column, what, QStringLiteral("is %1, not a number").arg(columnTypeName(type)));
    return sqlite3_column_double(m_statement, column);
}

QString SqliteStatement::text(int column, const char* what) const {
    const int type = sqlite3_column_type(m_statement, column);
    if (type != SQLITE_TEXT)
        raiseBadValue(column, what, QStringLiteral("is %1, not text").arg(columnTypeName(type)));
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column));
}

std::span<const unsigned char> SqliteStatement::blob(int column, const char* what) const {
    const int type = sqlite3_column_type(m_statement, column);
    if (type != SQLITE_BLOB)
        raiseBadValue(column, what, QStringLiteral("is %1, not binary data").arg(columnTypeName(type)));
    const auto* bytes = static_cast<const unsigned char*>(sqlite3_column_blob(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    if (!bytes)
        return {};
    return {bytes, static_cast<std::size_t>(size)};
}

void SqliteStatement::raiseBadValue(int column, const char* what, const QString& problem) const {
    const char* table = sqlite3_column_table_name(m_statement, column);
    const QString where = table ? QStringLiteral("the %1 of a row of table %2")
                                      .arg(QString::fromUtf8(what), QString::fromUtf8(table))
                                : QString::fromUtf8(what);
    raiseError(QStringLiteral("'%1' is damaged: %2 %3.").arg(m_db.path(), where, problem));
}

} // namespace kestrum
