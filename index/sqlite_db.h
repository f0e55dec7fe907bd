// A thin, move-only layer over one SQLite connection for the index files.
//
// SqlDatabase owns a connection; SqlStatement owns one prepared statement; SqlTable holds
// every row of a query read into memory with a cursor over them. Statements are run in
// three ways: once for their effect (SqlDatabase::Execute), as queries whose rows are read
// all at once (SqlDatabase::Query) or row by row (SqlStatement::NextRow), and repeatedly
// with numbered binds, stepped and reset once per row (SqlStatement::Run / Lookup).
// Named parameters (":f", ":p", ...) are handed over with the statement as a list and are
// bound by name right after it is prepared; integers bind as 64-bit integers, day counts
// as doubles, texts as copied text (numbered binds may borrow the bytes instead).
//
// Every failure throws DatabaseError with the message the index files' users expect:
// the operation text, then ".\rError [code]: code text.\r\"sql\": sqlite message" (just
// the operation text when SQLite recorded no error code). A failing step resets its
// statement first. Nothing is retried and no busy timeout is set, so a statement that
// meets another process's lock fails at once with result code 5.
//
// Transactions are explicit and tracked by the connection object: Begin while one is
// open throws "Transaction already open"; destroying or closing the connection rolls an
// open transaction back. Declare a connection before the statements that use it, so the
// statements are finalized first.
//
// Thread-safety: none; a connection and its statements belong to one thread at a time.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace vexa {

// A failed database operation; what() is the full message described above.
class DatabaseError : public std::runtime_error {
 public:
  explicit DatabaseError(const std::string& message, int code = 0)
      : std::runtime_error(message), code_(code) {}
  // SQLite's primary result code, 0 when none was recorded.
  int Code() const { return code_; }

 private:
  int code_;
};

// The text of an SQLite primary result code ("The database file is locked" for 5, ...;
// "Unknown SQLite Error Code \"%d\"" for codes without one).
std::string ResultCodeText(int code);

// The message of a failed statement: `operation` + ".\rError [%d]: %s.\r\"%s\": %s" with
// the code, its text, the SQL and SQLite's message; `operation` alone when code is 0.
std::string DatabaseErrorText(std::string_view operation, int code, std::string_view sql,
                              std::string_view sqlite_message);

// Bytes bound as a blob; the pointed-to bytes must live until the bind call returns.
struct SqlBlob {
  const void* data;
  std::size_t size;
};

// One named parameter for the next statement. Texts are viewed, not owned: they must
// live until the statement is bound (the call that takes the list returns).
struct SqlParam {
  SqlParam(const char* n, std::int64_t v) : name(n), value(v) {}
  SqlParam(const char* n, int v) : name(n), value(std::int64_t{v}) {}
  SqlParam(const char* n, double v) : name(n), value(v) {}
  SqlParam(const char* n, std::string_view v) : name(n), value(v) {}
  SqlParam(const char* n, const char* v) : name(n), value(std::string_view(v)) {}
  SqlParam(const char* n, SqlBlob v) : name(n), value(v) {}

  const char* name;  // with its prefix, as written in the SQL (":f")
  std::variant<std::int64_t, double, std::string_view, SqlBlob> value;
};
using SqlParams = std::initializer_list<SqlParam>;

class SqlDatabase;

// One prepared statement. Move-only; finalized on destruction (errors ignored there).
class SqlStatement {
 public:
  enum class StepResult { kRow, kDone, kError };

  SqlStatement() = default;
  SqlStatement(SqlStatement&& other) noexcept;
  SqlStatement& operator=(SqlStatement&& other) noexcept;
  SqlStatement(const SqlStatement&) = delete;
  SqlStatement& operator=(const SqlStatement&) = delete;
  ~SqlStatement();

  // How a bound text or blob is held: copied by SQLite, or borrowed, in which case the
  // caller keeps the bytes alive and unchanged until the parameter is bound again or the
  // statement is finalized (saves a copy per row in tight loops).
  enum class Bytes { kCopied, kBorrowed };

  // Numbered binds (index 1 = "?1" or the first named parameter). Throw "Could not bind
  // integer/DateTime/string/blob to prepared SQL statement".
  void BindInt(int index, std::int64_t value);
  void BindDouble(int index, double value);
  // An empty view binds '' (never NULL).
  void BindText(int index, std::string_view value, Bytes bytes = Bytes::kCopied);
  void BindBlob(int index, SqlBlob value, Bytes bytes = Bytes::kCopied);
  // Binds each parameter by its name, with the error texts of the numbered binds.
  void Bind(SqlParams params);

  // One raw step; never throws. After kError call Fail to report it.
  StepResult Step() noexcept;
  // Resets the statement and throws the database error for `operation` with this
  // statement's SQL and the connection's last error.
  [[noreturn]] void Fail(std::string_view operation);

  // Query stepping: true with a row ready, false when done. A busy database throws
  // "Could not prepare SQL statement", any other failure "Could not retrieve data".
  bool NextRow();
  // A repeated statement run for its effect: steps once (anything but "done" throws
  // "Error executing prepared SQL statement"), then resets for the next binds.
  void Run();
  // A repeated look-up: steps once; true with a row ready, false when done, else throws
  // as Run. The caller reads the row, then calls Reset.
  bool Lookup();
  void Reset();

  // Columns of the current row (0-based). Text and blob views stay valid until the next
  // step, reset or finalize.
  bool IsNull(int column) const;
  std::int64_t ColumnInt(int column) const;
  double ColumnDouble(int column) const;
  std::string_view ColumnText(int column) const;
  std::span<const unsigned char> ColumnBlob(int column) const;

  // Finalizes now; throws "Could not release prepared SQL statement" on failure.
  void Finalize();

  const std::string& Sql() const { return sql_; }

 private:
  friend class SqlDatabase;
  SqlStatement(sqlite3* db, sqlite3_stmt* stmt, std::string_view sql)
      : db_(db), stmt_(stmt), sql_(sql) {}
  sqlite3_stmt* Checked() const;  // throws "SQL statement is not prepared" when empty
  void CheckBind(int rc, const char* what);

  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
  std::string sql_;
};

// All rows of a query, read into memory, with a cursor that starts on the first row.
class SqlTable {
 public:
  using Value =
      std::variant<std::monostate, std::int64_t, double, std::string, std::vector<unsigned char>>;

  int RowCount() const { return static_cast<int>(rows_.size()); }
  int ColumnCount() const { return columns_; }
  bool Eof() const { return row_ >= rows_.size(); }
  void Next() { ++row_; }

  // Fields of the cursor's row. All throw "Table is at End of File" past the last row.
  bool IsNull(int column) const;
  // NULL reads as 0, a real is truncated; a text or blob throws "Not an integer or
  // numeric field".
  std::int64_t Int(int column) const;
  // NULL reads as 0; a text or blob throws "Not an integer or numeric field".
  double Double(int column) const;
  // NULL reads as ""; numbers as their decimal text; blobs as their bytes.
  std::string Text(int column) const;
  // The bytes of a text or blob; empty for NULL and numbers.
  std::span<const unsigned char> Blob(int column) const;

 private:
  friend class SqlDatabase;
  const Value& Field(int column) const;

  int columns_ = 0;
  std::size_t row_ = 0;
  std::vector<std::vector<Value>> rows_;
};

// One connection. Move-only; destruction rolls back an open transaction and closes the
// connection without throwing.
class SqlDatabase {
 public:
  SqlDatabase() = default;
  SqlDatabase(SqlDatabase&& other) noexcept;
  SqlDatabase& operator=(SqlDatabase&& other) noexcept;
  SqlDatabase(const SqlDatabase&) = delete;
  SqlDatabase& operator=(const SqlDatabase&) = delete;
  ~SqlDatabase();

  // Opens (creating when missing) the database file `path` (UTF-8). Throws
  // "Failed to open database \"%s\" : %s" (or ": unknown error" without a connection).
  static SqlDatabase Open(const std::string& path);
  // Rolls back an open transaction (errors ignored) and closes; throws "close error %x"
  // when SQLite refuses to close. A closed object may be closed again.
  void Close();
  bool IsOpen() const { return db_ != nullptr; }

  // Prepares `sql` and binds `params` by name. Throws "Error executing SQL" when SQLite
  // rejects the text and "Could not prepare SQL statement" when it holds no statement.
  SqlStatement Prepare(std::string_view sql, SqlParams params = {});
  // Runs one statement for its effect; anything but "done" throws "Error executing SQL
  // statement".
  void Execute(std::string_view sql, SqlParams params = {});
  // Runs a query and reads all its rows (see SqlStatement::NextRow for its errors).
  SqlTable Query(std::string_view sql, SqlParams params = {});

  // "BEGIN TRANSACTION" / "COMMIT" / "ROLLBACK". Begin throws "Transaction already open"
  // when one is open; a failing COMMIT or ROLLBACK leaves the transaction marked open.
  void Begin();
  void Commit();
  void Rollback();
  bool InTransaction() const { return in_transaction_; }

  std::int64_t LastInsertRowId() const;
  // Rows changed by the most recent INSERT, UPDATE or DELETE.
  int Changes() const;

  // The raw connection, for what this layer does not wrap (application-defined SQL
  // functions, journal-mode pragmas whose outcome is ignored, interruption).
  sqlite3* Handle() const { return db_; }

 private:
  explicit SqlDatabase(sqlite3* db) : db_(db) {}
  sqlite3* Checked() const;  // throws when no connection is open
  void CloseQuietly() noexcept;

  sqlite3* db_ = nullptr;
  bool in_transaction_ = false;
};

}  // namespace vexa
