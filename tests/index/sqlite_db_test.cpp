#include "index/sqlite_db.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "support/temp_home.h"

namespace vexa {
namespace {

// The message of the DatabaseError that `action` throws ("" when it throws none).
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const DatabaseError& error) {
    return error.what();
  }
  return "";
}

class SqlDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = SqlDatabase::Open(path_);
    db_.Execute("create table T (A integer primary key, B text)");
    db_.Execute("insert into T values (1, 'one')");
  }
  SqlDatabase Reopen() { return SqlDatabase::Open(path_); }
  int Rows() { return static_cast<int>(db_.Query("select count(*) from T").Int(0)); }

  test::TempHome home_;
  std::string path_ = (home_ / "t.db").string();
  SqlDatabase db_;
};

TEST_F(SqlDatabaseTest, FailuresCarryTheOperationCodeSqlAndSqliteMessage) {
  const std::string prepare_failure =
      "Error executing SQL.\rError [1]: SQL error or missing database.\r"
      "\"select * from NOPE\": no such table: NOPE";
  EXPECT_EQ(ErrorOf([&] { db_.Execute("select * from NOPE"); }), prepare_failure);
  EXPECT_EQ(ErrorOf([&] { db_.Query("select * from NOPE"); }), prepare_failure);

  EXPECT_EQ(ErrorOf([&] { db_.Execute("insert into T values (1, 'again')"); }),
            "Error executing SQL statement.\rError [19]: Abort due to contraint violation.\r"
            "\"insert into T values (1, 'again')\": UNIQUE constraint failed: T.A");

  SqlStatement repeated = db_.Prepare("insert into T values (?1, ?2)");
  repeated.BindInt(1, 1);
  repeated.BindText(2, "x");
  EXPECT_EQ(ErrorOf([&] { repeated.Run(); }),
            "Error executing prepared SQL statement.\rError [19]: Abort due to contraint "
            "violation.\r\"insert into T values (?1, ?2)\": UNIQUE constraint failed: T.A");
  // The failed step reset the statement: it can be bound and run again.
  repeated.BindInt(1, 2);
  repeated.Run();
  EXPECT_EQ(Rows(), 2);

  EXPECT_EQ(ErrorOf([&] {
              db_.Prepare("select :a").Bind({{":b", 1}});
            }),
            "Could not bind integer to prepared SQL statement.\rError [25]: 2nd parameter to "
            "sqlite3_bind out of range.\r\"select :a\": column index out of range");
  EXPECT_EQ(ErrorOf([&] { db_.Prepare("-- nothing"); }), "Could not prepare SQL statement");
  EXPECT_EQ(ErrorOf([] { SqlStatement().Run(); }), "SQL statement is not prepared");
}

TEST_F(SqlDatabaseTest, LockHeldByAnotherConnectionFailsAtOnce) {
  SqlDatabase other = Reopen();
  other.Begin();
  other.Execute("insert into T values (7, 'seven')");
  EXPECT_EQ(ErrorOf([&] { db_.Execute("insert into T values (8, 'eight')"); }),
            "Error executing SQL statement.\rError [5]: The database file is locked.\r"
            "\"insert into T values (8, 'eight')\": database is locked");
}

TEST_F(SqlDatabaseTest, TransactionsAreTrackedAndRolledBackOnDestruction) {
  db_.Begin();
  EXPECT_EQ(ErrorOf([&] { db_.Begin(); }), "Transaction already open");
  db_.Execute("insert into T values (2, 'two')");
  db_.Rollback();
  EXPECT_EQ(Rows(), 1);

  db_.Begin();
  db_.Execute("insert into T values (3, 'three')");
  db_ = SqlDatabase();  // destroys the connection with the transaction open
  db_ = Reopen();
  EXPECT_EQ(Rows(), 1);
  EXPECT_FALSE(db_.InTransaction());
}

TEST_F(SqlDatabaseTest, TableFieldsConvertOrRefuse) {
  db_.Execute("insert into T values (:a, :b)", {{":a", 2}, {":b", ""}});
  SqlTable table = db_.Query("select A, B, null, 2.5 from T order by A");
  ASSERT_EQ(table.RowCount(), 2);
  EXPECT_EQ(table.Int(0), 1);
  EXPECT_EQ(table.Text(0), "1");
  EXPECT_EQ(table.Int(2), 0);
  EXPECT_EQ(table.Text(2), "");
  EXPECT_EQ(table.Int(3), 2);
  EXPECT_EQ(table.Text(3), "2.5");
  EXPECT_EQ(ErrorOf([&] { table.Int(1); }), "Not an integer or numeric field");
  table.Next();
  EXPECT_FALSE(table.IsNull(1));  // an empty text binds as '' and not as NULL
  table.Next();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(ErrorOf([&] { table.Text(0); }), "Table is at End of File");
}

TEST(DatabaseOpen, UnopenableFileNamesTheFileAndTheReason) {
  test::TempHome home;
  const std::string path = (home / "missing/dir/x.db").string();
  EXPECT_EQ(ErrorOf([&] { SqlDatabase::Open(path); }),
            "Failed to open database \"" + path + "\" : unable to open database file");
}

TEST(ResultCodeText, KnownAndUnknownCodes) {
  EXPECT_EQ(ResultCodeText(0), "Successful result");
  EXPECT_EQ(ResultCodeText(26), "File opened that is not a database file");
  EXPECT_EQ(ResultCodeText(101), "sqlite3_step() has finished executing");
  EXPECT_EQ(ResultCodeText(27), "Unknown SQLite Error Code \"27\"");
}

}  // namespace
}  // namespace vexa
