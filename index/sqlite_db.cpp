#include "index/sqlite_db.h"

#include <sqlite3.h>

#include <charconv>
#include <cstdio>
#include <utility>

namespace vexa {

namespace {

constexpr const char* kCodeTexts[] = {
    "Successful result",
    "SQL error or missing database",
    "An internal logic error in SQLite",
    "Access permission denied",
    "Callback routine requested an abort",
    "The database file is locked",
    "A table in the database is locked",
    "A malloc() failed",
    "Attempt to write a readonly database",
    "Operation terminated by sqlite3_interrupt()",
    "Some kind of disk I/O error occurred",
    "The database disk image is malformed",
    "(Internal Only) Table or record not found",
    "Insertion failed because database is full",
    "Unable to open the database file",
    "Database lock protocol error",
    "Database is empty",
    "The database schema changed",
    "Too much data for one row of a table",
    "Abort due to contraint violation",
    "Data type mismatch",
    "Library used incorrectly",
    "Uses OS features not supported on host",
    "Authorization denied",
    "Auxiliary database format error",
    "2nd parameter to sqlite3_bind out of range",
    "File opened that is not a database file",
};

// The database error for the connection's last recorded failure.
[[noreturn]] void RaiseLastError(sqlite3* db, std::string_view operation, std::string_view sql) {
  const int code = db ? sqlite3_errcode(db) : 0;
  throw DatabaseError(DatabaseErrorText(operation, code, sql, db ? sqlite3_errmsg(db) : ""), code);
}

}  // namespace

std::string ResultCodeText(int code) {
  if (code >= 0 && code < static_cast<int>(std::size(kCodeTexts))) return kCodeTexts[code];
  if (code == SQLITE_ROW) return "sqlite3_step() has another row ready";
  if (code == SQLITE_DONE) return "sqlite3_step() has finished executing";
  return "Unknown SQLite Error Code \"" + std::to_string(code) + "\"";
}

std::string DatabaseErrorText(std::string_view operation, int code, std::string_view sql,
                              std::string_view sqlite_message) {
  std::string text(operation);
  if (code == 0) return text;
  text += ".\rError [" + std::to_string(code) + "]: " + ResultCodeText(code) + ".\r\"";
  text += sql;
  text += "\": ";
  text += sqlite_message;
  return text;
}

// ---------------------------------------------------------------------------------------
// SqlStatement

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      stmt_(std::exchange(other.stmt_, nullptr)),
      sql_(std::move(other.sql_)) {}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(stmt_);
    db_ = std::exchange(other.db_, nullptr);
    stmt_ = std::exchange(other.stmt_, nullptr);
    sql_ = std::move(other.sql_);
  }
  return *this;
}

SqlStatement::~SqlStatement() { sqlite3_finalize(stmt_); }

sqlite3_stmt* SqlStatement::Checked() const {
  if (!stmt_) throw DatabaseError("SQL statement is not prepared");
  return stmt_;
}

void SqlStatement::CheckBind(int rc, const char* what) {
  if (rc != SQLITE_OK) RaiseLastError(db_, what, sql_);
}

void SqlStatement::BindInt(int index, std::int64_t value) {
  CheckBind(sqlite3_bind_int64(Checked(), index, value),
            "Could not bind integer to prepared SQL statement");
}

void SqlStatement::BindDouble(int index, double value) {
  CheckBind(sqlite3_bind_double(Checked(), index, value),
            "Could not bind DateTime to prepared SQL statement");
}

namespace {

sqlite3_destructor_type Keeping(SqlStatement::Bytes bytes) {
  return bytes == SqlStatement::Bytes::kBorrowed ? SQLITE_STATIC : SQLITE_TRANSIENT;
}

}  // namespace

void SqlStatement::BindText(int index, std::string_view value, Bytes bytes) {
  // A null pointer would bind NULL; an empty text must stay an empty text.
  const char* data = value.data() ? value.data() : "";
  CheckBind(
      sqlite3_bind_text64(Checked(), index, data, value.size(), Keeping(bytes), SQLITE_UTF8),
      "Could not bind string to prepared SQL statement");
}

void SqlStatement::BindBlob(int index, SqlBlob value, Bytes bytes) {
  const void* data = value.data ? value.data : "";
  CheckBind(sqlite3_bind_blob64(Checked(), index, data, value.size, Keeping(bytes)),
            "Could not bind blob to prepared SQL statement");
}

void SqlStatement::Bind(SqlParams params) {
  for (const SqlParam& param : params) {
    const int index = sqlite3_bind_parameter_index(Checked(), param.name);
    std::visit(
        [&](const auto& value) {
          using T = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<T, std::int64_t>) {
            BindInt(index, value);
          } else if constexpr (std::is_same_v<T, double>) {
            BindDouble(index, value);
          } else if constexpr (std::is_same_v<T, std::string_view>) {
            BindText(index, value);
          } else {
            BindBlob(index, value);
          }
        },
        param.value);
  }
}

SqlStatement::StepResult SqlStatement::Step() noexcept {
  if (!stmt_) return StepResult::kError;
  switch (sqlite3_step(stmt_)) {
    case SQLITE_ROW:
      return StepResult::kRow;
    case SQLITE_DONE:
      return StepResult::kDone;
    default:
      return StepResult::kError;
  }
}

void SqlStatement::Fail(std::string_view operation) {
  sqlite3_reset(Checked());
  RaiseLastError(db_, operation, sql_);
}

bool SqlStatement::NextRow() {
  const int rc = sqlite3_step(Checked());
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(rc == SQLITE_BUSY ? "Could not prepare SQL statement" : "Could not retrieve data");
}

void SqlStatement::Run() {
  if (Step() != StepResult::kDone) Fail("Error executing prepared SQL statement");
  sqlite3_reset(stmt_);
}

bool SqlStatement::Lookup() {
  switch (Step()) {
    case StepResult::kRow:
      return true;
    case StepResult::kDone:
      return false;
    default:
      Fail("Error executing prepared SQL statement");
  }
}

void SqlStatement::Reset() { sqlite3_reset(Checked()); }

bool SqlStatement::IsNull(int column) const {
  return sqlite3_column_type(Checked(), column) == SQLITE_NULL;
}

std::int64_t SqlStatement::ColumnInt(int column) const {
  return sqlite3_column_int64(Checked(), column);
}

double SqlStatement::ColumnDouble(int column) const {
  return sqlite3_column_double(Checked(), column);
}

std::string_view SqlStatement::ColumnText(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(Checked(), column));
  return text ? std::string_view(text, sqlite3_column_bytes(stmt_, column)) : std::string_view();
}

std::span<const unsigned char> SqlStatement::ColumnBlob(int column) const {
  const auto* data = static_cast<const unsigned char*>(sqlite3_column_blob(Checked(), column));
  return {data, data ? static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)) : 0};
}

void SqlStatement::Finalize() {
  const int rc = sqlite3_finalize(std::exchange(stmt_, nullptr));
  if (rc != SQLITE_OK) RaiseLastError(db_, "Could not release prepared SQL statement", sql_);
}

// ---------------------------------------------------------------------------------------
// SqlTable

const SqlTable::Value& SqlTable::Field(int column) const {
  if (Eof()) throw DatabaseError("Table is at End of File");
  return rows_[row_].at(static_cast<std::size_t>(column));
}

bool SqlTable::IsNull(int column) const {
  return std::holds_alternative<std::monostate>(Field(column));
}

std::int64_t SqlTable::Int(int column) const {
  const Value& value = Field(column);
  if (const auto* i = std::get_if<std::int64_t>(&value)) return *i;
  if (const auto* d = std::get_if<double>(&value)) return static_cast<std::int64_t>(*d);
  if (std::holds_alternative<std::monostate>(value)) return 0;
  throw DatabaseError("Not an integer or numeric field");
}

double SqlTable::Double(int column) const {
  const Value& value = Field(column);
  if (const auto* d = std::get_if<double>(&value)) return *d;
  if (const auto* i = std::get_if<std::int64_t>(&value)) return static_cast<double>(*i);
  if (std::holds_alternative<std::monostate>(value)) return 0;
  throw DatabaseError("Not an integer or numeric field");
}

std::string SqlTable::Text(int column) const {
  const Value& value = Field(column);
  if (const auto* s = std::get_if<std::string>(&value)) return *s;
  if (const auto* i = std::get_if<std::int64_t>(&value)) return std::to_string(*i);
  if (const auto* d = std::get_if<double>(&value)) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, *d).ptr;
    return std::string(buffer, end);
  }
  if (const auto* b = std::get_if<std::vector<unsigned char>>(&value)) {
    return std::string(b->begin(), b->end());
  }
  return {};
}

std::span<const unsigned char> SqlTable::Blob(int column) const {
  const Value& value = Field(column);
  if (const auto* b = std::get_if<std::vector<unsigned char>>(&value)) return *b;
  if (const auto* s = std::get_if<std::string>(&value)) {
    return {reinterpret_cast<const unsigned char*>(s->data()), s->size()};
  }
  return {};
}

// ---------------------------------------------------------------------------------------
// SqlDatabase

SqlDatabase::SqlDatabase(SqlDatabase&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)),
      in_transaction_(std::exchange(other.in_transaction_, false)) {}

SqlDatabase& SqlDatabase::operator=(SqlDatabase&& other) noexcept {
  if (this != &other) {
    CloseQuietly();
    db_ = std::exchange(other.db_, nullptr);
    in_transaction_ = std::exchange(other.in_transaction_, false);
  }
  return *this;
}

SqlDatabase::~SqlDatabase() { CloseQuietly(); }

SqlDatabase SqlDatabase::Open(const std::string& path) {
  // Memory statistics cost a global mutex on every SQLite allocation and nothing here
  // reads them. Only possible before SQLite initializes; if it already has, this is a no-op.
  static const int no_memory_statistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
  (void)no_memory_statistics;
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(
      path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (!db) throw DatabaseError("Failed to open database \"" + path + "\" : unknown error");
  if (rc != SQLITE_OK) {
    std::string message = "Failed to open database \"" + path + "\" : " + sqlite3_errmsg(db);
    sqlite3_close(db);
    throw DatabaseError(message, rc);
  }
  return SqlDatabase(db);
}

void SqlDatabase::CloseQuietly() noexcept {
  if (!db_) return;
  if (in_transaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close_v2(std::exchange(db_, nullptr));
  in_transaction_ = false;
}

void SqlDatabase::Close() {
  if (!db_) return;
  if (in_transaction_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  in_transaction_ = false;
  const int rc = sqlite3_close(db_);
  if (rc != SQLITE_OK) {
    char text[32];
    std::snprintf(text, sizeof text, "close error %x", rc);
    throw DatabaseError(text, rc);
  }
  db_ = nullptr;
}

sqlite3* SqlDatabase::Checked() const {
  if (!db_) throw DatabaseError("Database is not open");
  return db_;
}

SqlStatement SqlDatabase::Prepare(std::string_view sql, SqlParams params) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(Checked(), sql.data(), static_cast<int>(sql.size()), &stmt, nullptr) !=
      SQLITE_OK) {
    RaiseLastError(db_, "Error executing SQL", sql);
  }
  if (!stmt) RaiseLastError(db_, "Could not prepare SQL statement", sql);
  SqlStatement statement(db_, stmt, sql);
  statement.Bind(params);
  return statement;
}

void SqlDatabase::Execute(std::string_view sql, SqlParams params) {
  SqlStatement statement = Prepare(sql, params);
  if (statement.Step() != SqlStatement::StepResult::kDone) {
    statement.Fail("Error executing SQL statement");
  }
  statement.Finalize();
}

SqlTable SqlDatabase::Query(std::string_view sql, SqlParams params) {
  SqlStatement statement = Prepare(sql, params);
  sqlite3_stmt* stmt = statement.stmt_;
  SqlTable table;
  table.columns_ = sqlite3_column_count(stmt);
  while (statement.NextRow()) {
    std::vector<SqlTable::Value>& row = table.rows_.emplace_back(table.columns_);
    for (int c = 0; c < table.columns_; ++c) {
      switch (sqlite3_column_type(stmt, c)) {
        case SQLITE_INTEGER:
          row[c] = std::int64_t{sqlite3_column_int64(stmt, c)};
          break;
        case SQLITE_FLOAT:
          row[c] = sqlite3_column_double(stmt, c);
          break;
        case SQLITE_TEXT:
          row[c] = std::string(statement.ColumnText(c));
          break;
        case SQLITE_BLOB: {
          const auto blob = statement.ColumnBlob(c);
          row[c] = std::vector<unsigned char>(blob.begin(), blob.end());
          break;
        }
        default:
          break;
      }
    }
  }
  statement.Finalize();
  return table;
}

void SqlDatabase::Begin() {
  if (in_transaction_) throw DatabaseError("Transaction already open");
  Execute("BEGIN TRANSACTION");
  in_transaction_ = true;
}

void SqlDatabase::Commit() {
  Execute("COMMIT");
  in_transaction_ = false;
}

void SqlDatabase::Rollback() {
  Execute("ROLLBACK");
  in_transaction_ = false;
}

std::int64_t SqlDatabase::LastInsertRowId() const { return sqlite3_last_insert_rowid(Checked()); }

int SqlDatabase::Changes() const { return sqlite3_changes(Checked()); }

}  // namespace vexa
