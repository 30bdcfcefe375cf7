// Datasets over SQLite files: field types and texts, the cursor, parameters, and databases
// that fail: missing, locked, removed or replaced files, bad SQL and errors in the middle of a
// walk.

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "database/sqlite_dataset.h"
#include "expr/value.h"
#include "platform/core/cp1251.h"
#include "tests/database/sqlite_fixture.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::ExecuteSql;
using testing::TempDir;

class SqliteDataset : public ::testing::Test {
protected:
    void SetUp() override {
        ExecuteSql(file_,
                   "CREATE TABLE t (n INTEGER, big INTEGER, x REAL, s TEXT, d DATE, ok BOOLEAN);"
                   "INSERT INTO t VALUES (1, 5000000000, 1.5, 'Иван', '2024-05-01', 1);"
                   "INSERT INTO t VALUES (2, NULL, NULL, NULL, NULL, 0);"
                   "INSERT INTO t VALUES (3, 7, 2.25, 'c', '2024-06-30', NULL);");
    }

    // Walks the query and writes down the column of each record.
    static std::vector<int> Walk(TQRSqliteQuery& query) {
        std::vector<int> seen;
        for (query.First(); !query.Eof(); query.Next()) seen.push_back(query.FieldInteger(0));
        return seen;
    }

    TempDir dir_;
    std::string file_ = dir_.File("test.db");
};

TEST_F(SqliteDataset, FieldsFollowTheValuesAndTheirDeclaredTypes) {
    TQRSqliteDatabase db(file_);
    TQRSqliteQuery query("T", db);
    query.SetSQL("SELECT n, big, x, s, d, ok, n * 2 AS twice FROM t ORDER BY n");
    query.Open();
    ASSERT_EQ(query.FieldCount(), 7);
    EXPECT_EQ(query.FindField("TWICE"), 6);
    EXPECT_EQ(query.RecordCount(), 3);

    // Row 1: a 64-bit integer reads as a float, text comes in Windows-1251.
    EXPECT_EQ(query.FieldType(0), ftInteger);
    EXPECT_EQ(query.FieldType(1), ftFloat);
    EXPECT_EQ(query.FieldFloat(1), 5000000000.0);
    EXPECT_EQ(query.FieldFloat(2), 1.5);
    EXPECT_EQ(query.FieldText(3), EncodeCp1251(u"Иван"));
    EXPECT_EQ(query.FieldType(4), ftDate);
    EXPECT_EQ(query.FieldText(4), "2024-05-01");
    EXPECT_EQ(query.FieldType(5), ftBoolean);
    EXPECT_TRUE(query.FieldBoolean(5));
    EXPECT_EQ(query.FieldType(6), ftInteger);
    EXPECT_EQ(query.FieldInteger(6), 2);

    // Row 2: NULLs read as their declared type's empty value.
    query.Next();
    const std::vector<TQRFieldType> types{ftInteger, ftInteger, ftFloat,
                                          ftString,  ftDate,    ftBoolean};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(query.FieldType(i), types[static_cast<std::size_t>(i)]);
    EXPECT_EQ(query.FieldInteger(1), 0);
    EXPECT_EQ(query.FieldText(3), "");
    EXPECT_FALSE(query.FieldBoolean(5));

    query.Next();
    query.Next();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(query.FieldInteger(0), 0) << "no record at the end";
}

TEST_F(SqliteDataset, TheCursorStepsBackOneRecordAndStartsOver) {
    TQRSqliteDatabase db(file_);
    TQRSqliteQuery query("T", db);
    query.SetSQL("SELECT n FROM t ORDER BY n;");
    query.Open();
    query.Prior();  // on the first record: stays
    EXPECT_EQ(query.FieldInteger(0), 1);
    query.Next();
    query.Next();
    query.Prior();
    EXPECT_EQ(query.FieldInteger(0), 2);
    EXPECT_THROW(query.Prior(), EDatabaseError) << "one record back only";

    query.Open();
    query.Next();
    query.Prior();
    EXPECT_EQ(query.FieldInteger(0), 1);
    query.Next();
    EXPECT_EQ(query.FieldInteger(0), 2);
    query.Next();
    query.Next();
    ASSERT_TRUE(query.Eof());
    query.Prior();  // from the end to the last record, and on to the end again
    EXPECT_EQ(query.FieldInteger(0), 3);
    query.Next();
    EXPECT_TRUE(query.Eof());
    EXPECT_EQ(Walk(query), (std::vector<int>{1, 2, 3})) << "First runs the query again";

    query.Close();
    EXPECT_FALSE(query.Active());
    EXPECT_EQ(query.RecordCount(), -1);
    EXPECT_THROW(query.Next(), EDatabaseError);
}

TEST_F(SqliteDataset, NamedParametersAreBoundAtEachOpen) {
    TQRSqliteDatabase db(file_);
    TQRSqliteQuery query("T", db);
    query.SetSQL("SELECT n FROM t WHERE n >= :LOW AND s <> @skip ORDER BY n");
    query.Prepare();
    ASSERT_EQ(query.ParamCount(), 2);
    EXPECT_EQ(query.FindParam("low"), 0);
    EXPECT_EQ(query.ParamName(1), "skip");
    query.SetParamType("LOW", ftInteger);
    EXPECT_THROW(query.SetParamType("high", ftInteger), EDatabaseError);

    SetParamFromValue(query, 0, TQRValue::String("2"));
    SetParamFromValue(query, 1, TQRValue::String("x"));
    query.Open();
    EXPECT_EQ(Walk(query), (std::vector<int>{3})) << "row 2 has no s";
    EXPECT_EQ(query.RecordCount(), 1);

    SetParamFromValue(query, 0, TQRValue::Float(0.6));
    SetParamFromValue(query, 1, TQRValue::String(EncodeCp1251(u"Иван")));
    query.Open();
    EXPECT_EQ(Walk(query), (std::vector<int>{3})) << "the Cyrillic text reached the query";
    query.SetParamNull(0);
    query.Open();
    EXPECT_TRUE(query.Eof());
}

TEST_F(SqliteDataset, BadSqlIsRefusedWithTheDatabasesMessage) {
    TQRSqliteDatabase db(file_);
    TQRSqliteQuery query("Orders", db);
    struct Case {
        const char* sql;
        const char* message;
    };
    const Case cases[] = {
        {"SELEC n FROM t", "Orders: near \"SELEC\": syntax error"},
        {"SELECT nope FROM t", "no such column: nope"},
        {"SELECT 1; SELECT 2", "more than one statement"},
        {"DELETE FROM t", "not a query"},
        {"  ", "no statement"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        query.SetSQL(c.sql);
        try {
            query.Open();
            ADD_FAILURE() << "opened";
        } catch (const EDatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
            EXPECT_NE(std::string(error.what()).find(file_), std::string::npos) << error.what();
        }
        EXPECT_FALSE(query.Active());
    }
    EXPECT_EQ(testing::QueryRows(file_, "SELECT COUNT(*) FROM t"), std::vector<std::string>{"3"});
}

TEST_F(SqliteDataset, AnErrorInTheMiddleOfAWalkClosesTheQueryForAnotherTry) {
    TQRSqliteDatabase db(file_);
    TQRSqliteQuery query("T", db);
    // The third row overflows (rows in the table's order: no sorting reads them all first).
    query.SetSQL("SELECT n, CASE WHEN n = 3 THEN abs(-9223372036854775807 - 1) END FROM t");
    query.Open();
    query.Next();
    try {
        query.Next();
        ADD_FAILURE() << "read past the failing row";
    } catch (const EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("T: integer overflow"), std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(query.Active());
    query.Open();
    EXPECT_EQ(query.FieldInteger(0), 1);
}

TEST_F(SqliteDataset, MissingLockedRemovedAndReplacedFiles) {
    {
        TQRSqliteDatabase missing(dir_.File("none.db"));
        TQRSqliteQuery query("T", missing);
        query.SetSQL("SELECT 1");
        try {
            query.Open();
            ADD_FAILURE();
        } catch (const EDatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find("Cannot open database"), std::string::npos);
        }
        EXPECT_FALSE(testing::FileExists(dir_.File("none.db"))) << "nothing is created";
    }

    TQRSqliteDatabase db(file_);
    db.SetBusyTimeout(0);
    TQRSqliteQuery master("Master", db);
    TQRSqliteQuery detail("Detail", db);
    master.SetSQL("SELECT n FROM t ORDER BY n");
    detail.SetSQL("SELECT s FROM t WHERE n = :n");

    // Another program writes to the database: its lock makes the query fail.
    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(file_.c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    try {
        master.Open();
        ADD_FAILURE() << "read a locked database";
    } catch (const EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("database is locked"), std::string::npos)
            << error.what();
    }
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(writer);

    // Removed while the master query is read: the detail cannot open.
    master.Open();
    ASSERT_EQ(::unlink(file_.c_str()), 0);
    try {
        detail.Open();
        ADD_FAILURE() << "opened on a removed file";
    } catch (const EDatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("was removed while it was being read"),
                  std::string::npos)
            << error.what();
    }
    EXPECT_FALSE(master.Active()) << "every query of the database is closed";
    EXPECT_FALSE(db.Connected());
    EXPECT_THROW(master.Open(), EDatabaseError);

    // A new file in its place is read when nothing else is being read.
    ExecuteSql(file_, "CREATE TABLE t (n INTEGER, s TEXT); INSERT INTO t VALUES (9, 'new');");
    master.Open();
    EXPECT_EQ(Walk(master), (std::vector<int>{9}));
    master.Close();
    const std::string other = dir_.File("other.db");
    ExecuteSql(other, "CREATE TABLE t (n INTEGER, s TEXT); INSERT INTO t VALUES (10, 'x');");
    ASSERT_EQ(::rename(other.c_str(), file_.c_str()), 0);
    master.Open();
    EXPECT_EQ(Walk(master), (std::vector<int>{10})) << "the replaced file is read anew";
}

}  // namespace
}  // namespace quillon
