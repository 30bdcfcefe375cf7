#pragma once

// Datasets over SQLite database files: a report walks the rows of a query the way it walks an
// in-memory table. Text in the database is UTF-8; the report's text is Windows-1251, so field
// texts, column names, the SQL and text parameters are converted at this boundary.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "expr/dataset.h"

struct sqlite3;
struct sqlite3_stmt;

namespace quillon {

class TQRSqliteQuery;

// One read-only connection to a database file, made when a query first opens and kept until
// Disconnect or destruction. Before each query opens, the file is looked at again: a file that
// is gone makes the open fail, and a file that was replaced by another is connected to anew
// when none of the database's queries is being read (and is an error while one is, since its
// rows would mix two files). Queries refer to their database, which must outlive them.
class TQRSqliteDatabase {
public:
    explicit TQRSqliteDatabase(std::string fileName);
    ~TQRSqliteDatabase();
    TQRSqliteDatabase(const TQRSqliteDatabase&) = delete;
    TQRSqliteDatabase& operator=(const TQRSqliteDatabase&) = delete;

    const std::string& FileName() const { return fileName_; }
    // How long a query waits for a lock that another connection holds, in milliseconds
    // (1000 by default); then it fails with "database is locked".
    int BusyTimeout() const { return busyTimeout_; }
    void SetBusyTimeout(int milliseconds);

    bool Connected() const { return db_ != nullptr; }
    // Closes every query of the database (their statements are released) and the connection.
    void Disconnect() noexcept;

private:
    friend class TQRSqliteQuery;

    // The connection for `query`, which is about to open (EDatabaseError when the file cannot
    // be read).
    sqlite3* ConnectionFor(const TQRSqliteQuery& query);
    void Connect();
    bool OtherQueryActive(const TQRSqliteQuery& query) const;
    void Register(TQRSqliteQuery& query) { queries_.push_back(&query); }
    void Unregister(TQRSqliteQuery& query);

    std::string fileName_;
    sqlite3* db_ = nullptr;
    int busyTimeout_ = 1000;
    // The file the connection reads (device and inode), to notice a replaced file.
    std::uint64_t device_ = 0;
    std::uint64_t inode_ = 0;
    std::vector<TQRSqliteQuery*> queries_;
};

// A dataset over one SELECT statement. The statement is prepared when the query first opens
// (or on Prepare) and kept across Close and Open, so that reopening with new parameters costs
// a reset and the binding. Parameters are the statement's named parameters (:name, @name,
// $name), without their prefix; their values are bound at each Open. Rows are read one by one
// as the cursor moves, so memory does not grow with the number of rows; the cursor can step
// back one record (the one before the current), which is what a report needs at a group
// change. Field types follow each value's storage class, refined by the declared column type
// (a text in a DATE column is a date; an integer in a BOOLEAN column a Boolean); an integer
// that does not fit 32 bits reads as a float; NULL reads as the declared type's empty value.
class TQRSqliteQuery : public TQRDataset {
public:
    TQRSqliteQuery(std::string name, TQRSqliteDatabase& database);
    ~TQRSqliteQuery() override;
    TQRSqliteQuery(const TQRSqliteQuery&) = delete;
    TQRSqliteQuery& operator=(const TQRSqliteQuery&) = delete;

    TQRSqliteDatabase& Database() const { return database_; }
    const std::string& SQL() const { return sql_; }
    // Closes the query and forgets the prepared statement and its parameter values.
    void SetSQL(std::string sql);
    // Prepares the statement without running it: fields and parameters become known.
    void Prepare();
    bool Prepared() const { return stmt_ != nullptr; }
    // Declares the type a parameter's values are converted to (by default ftUnknown: the
    // value's own kind). Raises EDatabaseError for a name the statement does not have.
    void SetParamType(std::string_view name, TQRFieldType type);

    void Open() override;
    void Close() override;
    bool Active() const override { return active_; }
    void First() override;
    void Next() override;
    // Steps back one record; stepping back twice in a row raises EDatabaseError.
    void Prior() override;
    bool Eof() const override { return eof_; }
    // Counts the rows with a second statement; -1 when the query is closed or cannot count.
    int RecordCount() override;

    int ParamCount() const override { return static_cast<int>(params_.size()); }
    std::string_view ParamName(int index) const override;
    TQRFieldType ParamType(int index) const override;
    void SetParamNull(int index) override;
    void SetParamInteger(int index, std::int64_t value) override;
    void SetParamFloat(int index, double value) override;
    void SetParamText(int index, std::string_view text) override;
    void SetParamBoolean(int index, bool value) override;

    std::string_view Name() const override { return name_; }
    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string_view FieldName(int index) const override;
    TQRFieldType FieldType(int index) const override;
    std::string_view FieldText(int index) const override;
    std::int32_t FieldInteger(int index) const override;
    double FieldFloat(int index) const override;
    bool FieldBoolean(int index) const override;

private:
    friend class TQRSqliteDatabase;

    struct Cell {
        int storage = 0;  // SQLITE_INTEGER ... SQLITE_NULL; 0 before the first row
        std::int64_t integer = 0;
        double real = 0;
        std::string text;  // Windows-1251
    };
    struct Field {
        std::string name;
        TQRFieldType declared = ftUnknown;
    };
    struct Param {
        std::string name;
        TQRFieldType type = ftUnknown;
        std::variant<std::monostate, std::int64_t, double, std::string> value;  // text in UTF-8
    };

    void Execute();
    void Step();
    void LoadRow(std::vector<Cell>& row);
    int BindParams(sqlite3_stmt* stmt) const;
    void CheckParam(int index) const;
    // Drops the statement (the connection is closing).
    void Release() noexcept;
    [[noreturn]] void Fail(std::string_view what);
    const Cell* CurrentCell(int index) const;

    std::string name_;
    TQRSqliteDatabase& database_;
    std::string sql_;
    sqlite3_stmt* stmt_ = nullptr;
    std::vector<Field> fields_;
    std::vector<Param> params_;

    bool active_ = false;
    bool eof_ = true;
    bool done_ = false;      // the statement has no more rows
    bool hasPrior_ = false;  // `prior_` holds the record before `current_`
    bool onPrior_ = false;   // the cursor stands on `prior_`
    std::int64_t rowNumber_ = 0;
    std::vector<Cell> current_;
    std::vector<Cell> prior_;
    int count_ = -2;  // -2: not counted yet
};

}  // namespace quillon
