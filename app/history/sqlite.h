#pragma once
// A small RAII layer over SQLite's C API: a database connection, a prepared statement and a
// transaction. Every failure throws SqliteError with SQLite's own words; values reach SQL only
// through bound parameters, never through text pasted into a statement.

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace brimlet::sqlite {

// A failed SQLite call. code() is SQLite's primary result code (SQLITE_BUSY, SQLITE_NOTADB, ...).
class SqliteError : public std::runtime_error {
public:
    SqliteError(const std::string& message, int code) : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// One connection. Not shared between threads: each thread opens its own.
class Database {
public:
    enum class Mode {
        readWrite,        // an existing file, opened for reading and writing
        readWriteCreate,  // the same, creating an empty file when there is none
    };

    // Opens `path` and sets the busy timeout: a statement that meets another connection's lock
    // waits up to `busyTimeout` before failing with SQLITE_BUSY. Opening reads nothing from the
    // file: a file that is not a database fails at the first statement. Throws SqliteError.
    Database(const std::string& path, Mode mode, std::chrono::milliseconds busyTimeout);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Runs `sql`, which may hold several statements and no parameters. Throws SqliteError.
    void execute(std::string_view sql);
    // The single integer the one-row statement `sql` answers (a PRAGMA, a count). Throws
    // SqliteError, also when there is no row.
    std::int64_t queryInteger(std::string_view sql);
    // The text of the first column of the first row `sql` answers. Throws SqliteError, also when
    // there is no row.
    std::string queryText(std::string_view sql);
    // The rowid of the last successful INSERT on this connection.
    std::int64_t lastInsertId() const;
    // True when the connection may not write (the file or its folder is read-only).
    bool readOnly() const;

    sqlite3* handle() const { return db_; }

    // Throws SqliteError for `code` unless it is SQLITE_OK, naming `what` and the connection's
    // error message.
    void check(int code, std::string_view what) const;

private:
    sqlite3* db_ = nullptr;
};

// A statement prepared once, bound, stepped and reset as often as needed. Parameters are
// numbered from 1, columns from 0.
class Statement {
public:
    Statement(Database& database, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& bind(int index, std::int64_t value);
    Statement& bind(int index, double value);
    // Bound as a BLOB, so names keep every byte whether or not they are UTF-8.
    Statement& bindBytes(int index, std::string_view bytes);
    Statement& bindText(int index, std::string_view text);

    // Advances to the next row: true when there is one, false when the statement is done.
    // Throws SqliteError.
    bool step();
    // Steps a statement that returns no rows.
    void run();
    // Makes the statement ready to run again; bindings are kept.
    void reset();

    std::int64_t columnInteger(int column) const;
    double columnDouble(int column) const;
    // The column's bytes (BLOB or TEXT); empty for NULL.
    std::string columnBytes(int column) const;
    bool columnIsNull(int column) const;

private:
    Database& database_;
    sqlite3_stmt* statement_ = nullptr;
};

// BEGIN IMMEDIATE on construction, so the write lock is taken (or waited for, up to the busy
// timeout) before any work; ROLLBACK on destruction unless commit() ran.
class Transaction {
public:
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Database& database_;
    bool open_ = true;
};

}  // namespace brimlet::sqlite
