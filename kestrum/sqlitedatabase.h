#pragma once
// A thin wrapper over one SQLite connection for the Vesk reader and writer: failures become
// Kestrum errors naming the file, and every column read checks its type, because a Vesk file
// may come from anywhere and its content is not trusted.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>

struct sqlite3;
struct sqlite3_stmt;

namespace kestrum {

class SqliteStatement;

class SqliteDatabase {
public:
    enum class Mode { ReadOnly, Create };
    SqliteDatabase(const QString& path, Mode mode);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    void execute(const char* sql);
    // The integer result of a one-value query such as "PRAGMA user_version".
    std::int64_t queryInteger(const char* sql);
    const QString& path() const { return m_path; }

    // Raises the error SQLite reported for the last call, with `what` saying what was being done.
    [[noreturn]] void raise(const QString& what) const;

private:
    friend class SqliteStatement;
    sqlite3* m_db = nullptr;
    QString m_path;
};

class SqliteStatement {
public:
    SqliteStatement(SqliteDatabase& db, const char* sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Parameters count from 1, as in SQLite.
    void bind(int parameter, std::int64_t value);
    void bind(int parameter, double value);
    void bind(int parameter, const QString& value);
    void bind(int parameter, const QByteArray& value);
    void bindNull(int parameter);

    // Steps to the next row; false when there are no more. Resets for new bindings after the end.
    bool next();
    // Runs a statement that returns no rows and resets it for the next bindings.
    void run();
    void reset();

    // Columns count from 0. Each raises, naming `what`, when the value has another type.
    bool isNull(int column) const;
    std::int64_t integer(int column, const char* what) const;
    int integerIn(int column, int lowest, int highest, const char* what) const;
    double real(int column, const char* what) const;
    QString text(int column, const char* what) const;
    // Valid until the next step or reset.
    std::span<const unsigned char> blob(int column, const char* what) const;

private:
    [[noreturn]] void raiseBadValue(int column, const char* what, const QString& problem) const;

    SqliteDatabase& m_db;
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace kestrum
