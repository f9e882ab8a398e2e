#include "app/history/sqlite.h"

#include <sqlite3.h>

#include <climits>

namespace brimlet::sqlite {
namespace {

int openFlags(Database::Mode mode) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX;
    if (mode == Database::Mode::readWriteCreate) flags |= SQLITE_OPEN_CREATE;
    return flags;
}

int sqlLength(std::string_view sql) {
    if (sql.size() > static_cast<std::size_t>(INT_MAX)) {
        throw SqliteError("statement too long", SQLITE_TOOBIG);
    }
    return static_cast<int>(sql.size());
}

}  // namespace

Database::Database(const std::string& path, Mode mode, std::chrono::milliseconds busyTimeout) {
    const int code = sqlite3_open_v2(path.c_str(), &db_, openFlags(mode), nullptr);
    if (code != SQLITE_OK) {
        // A handle comes back even on failure (unless memory ran out) and must be closed.
        std::string message = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        sqlite3_close_v2(db_);
        db_ = nullptr;
        throw SqliteError(message, code & 0xff);
    }
    sqlite3_extended_result_codes(db_, 0);
    const auto ms = busyTimeout.count();
    check(sqlite3_busy_timeout(db_, static_cast<int>(ms < 0 ? 0 : (ms > INT_MAX ? INT_MAX : ms))),
          "busy timeout");
}

Database::~Database() { sqlite3_close_v2(db_); }

void Database::check(int code, std::string_view what) const {
    if (code == SQLITE_OK) return;
    std::string message(what);
    message += ": ";
    message += sqlite3_errmsg(db_);
    throw SqliteError(message, code & 0xff);
}

void Database::execute(std::string_view sql) {
    // sqlite3_exec needs a terminated string; the statements we run are literals.
    const std::string text(sql);
    check(sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr), text);
}

std::int64_t Database::queryInteger(std::string_view sql) {
    Statement statement(*this, sql);
    if (!statement.step()) throw SqliteError(std::string(sql) + ": no row", SQLITE_ERROR);
    return statement.columnInteger(0);
}

std::string Database::queryText(std::string_view sql) {
    Statement statement(*this, sql);
    if (!statement.step()) throw SqliteError(std::string(sql) + ": no row", SQLITE_ERROR);
    return statement.columnBytes(0);
}

std::int64_t Database::lastInsertId() const { return sqlite3_last_insert_rowid(db_); }

bool Database::readOnly() const { return sqlite3_db_readonly(db_, "main") == 1; }

Statement::Statement(Database& database, std::string_view sql) : database_(database) {
    database_.check(
        sqlite3_prepare_v2(database_.handle(), sql.data(), sqlLength(sql), &statement_, nullptr),
        sql);
}

Statement::~Statement() { sqlite3_finalize(statement_); }

Statement& Statement::bind(int index, std::int64_t value) {
    database_.check(sqlite3_bind_int64(statement_, index, value), "bind");
    return *this;
}

Statement& Statement::bind(int index, double value) {
    database_.check(sqlite3_bind_double(statement_, index, value), "bind");
    return *this;
}

Statement& Statement::bindBytes(int index, std::string_view bytes) {
    database_.check(
        sqlite3_bind_blob64(statement_, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT),
        "bind");
    return *this;
}

Statement& Statement::bindText(int index, std::string_view text) {
    database_.check(sqlite3_bind_text64(statement_, index, text.data(), text.size(),
                                        SQLITE_TRANSIENT, SQLITE_UTF8),
                    "bind");
    return *this;
}

bool Statement::step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW) return true;
    if (code == SQLITE_DONE) return false;
    // The statement's own error names the failure; reset() would repeat it.
    database_.check(code, sqlite3_sql(statement_));
    return false;
}

void Statement::run() {
    while (step()) {
    }
    reset();
}

void Statement::reset() { sqlite3_reset(statement_); }

std::int64_t Statement::columnInteger(int column) const {
    return sqlite3_column_int64(statement_, column);
}

double Statement::columnDouble(int column) const {
    return sqlite3_column_double(statement_, column);
}

std::string Statement::columnBytes(int column) const {
    const void* data = sqlite3_column_blob(statement_, column);
    const int size = sqlite3_column_bytes(statement_, column);
    if (data == nullptr || size <= 0) return {};
    return std::string(static_cast<const char*>(data), static_cast<std::size_t>(size));
}

bool Statement::columnIsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

Transaction::Transaction(Database& database) : database_(database) {
    database_.execute("BEGIN IMMEDIATE");
}

Transaction::~Transaction() {
    if (open_) sqlite3_exec(database_.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void Transaction::commit() {
    database_.execute("COMMIT");
    open_ = false;
}

}  // namespace brimlet::sqlite
