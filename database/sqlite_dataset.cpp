#include "database/sqlite_dataset.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "platform/core/cp1251.h"

namespace quillon {

namespace {

// The type a declared column type names, by the words SQLite's own type affinity looks for,
// made finer for the types a report tells apart.
TQRFieldType DeclaredType(const char* declared) {
    if (declared == nullptr) return ftUnknown;
    const std::string upper = UpperCp1251(declared);
    const auto has = [&upper](const char* word) { return upper.find(word) != std::string::npos; };
    if (has("BOOL")) return ftBoolean;
    if (has("DATETIME") || has("TIMESTAMP")) return ftDateTime;
    if (has("DATE")) return ftDate;
    if (has("TIME")) return ftTime;
    if (has("INT")) return ftInteger;
    if (has("CHAR") || has("CLOB") || has("TEXT")) return ftString;
    if (has("BLOB")) return ftBlob;
    if (has("REAL") || has("FLOA") || has("DOUB")) return ftFloat;
    if (has("MONEY") || has("CURRENCY")) return ftCurrency;
    if (has("NUM") || has("DEC")) return ftBCD;
    return ftUnknown;
}

// Appends UTF-8 `text` to `out` as Windows-1251, reusing `out`'s room.
void AssignUtf8AsCp1251(std::string& out, const unsigned char* text, int bytes) {
    out.clear();
    for (int i = 0; i < bytes;) {
        const unsigned char c = text[i];
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        int length = 1;
        char32_t code = 0xFFFD;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            code = c & 0x07;
        }
        if (length == 1 || i + length > bytes) {
            out += '?';
            ++i;
            continue;
        }
        for (int k = 1; k < length; ++k) {
            const unsigned char next = text[i + k];
            if ((next & 0xC0) != 0x80) {
                code = 0xFFFD;
                length = k;
                break;
            }
            code = (code << 6) | (next & 0x3F);
        }
        out +=
            code <= 0xFFFF ? static_cast<char>(UnicodeToCp1251(static_cast<char16_t>(code))) : '?';
        i += length;
    }
}

std::string SqlText(std::string_view cp1251) {
    return Cp1251ToUtf8(cp1251);
}

double NumberOf(int storage, std::int64_t integer, double real) {
    if (storage == SQLITE_INTEGER) return static_cast<double>(integer);
    if (storage == SQLITE_FLOAT) return real;
    return 0;
}

bool FitsInt32(std::int64_t value) {
    return value >= std::numeric_limits<std::int32_t>::min() &&
           value <= std::numeric_limits<std::int32_t>::max();
}

}  // namespace

// --- TQRSqliteDatabase -----------------------------------------------------------------------

TQRSqliteDatabase::TQRSqliteDatabase(std::string fileName) : fileName_(std::move(fileName)) {}

TQRSqliteDatabase::~TQRSqliteDatabase() {
    Disconnect();
}

void TQRSqliteDatabase::SetBusyTimeout(int milliseconds) {
    busyTimeout_ = std::max(0, milliseconds);
    if (db_ != nullptr) sqlite3_busy_timeout(db_, busyTimeout_);
}

void TQRSqliteDatabase::Disconnect() noexcept {
    for (TQRSqliteQuery* query : queries_) query->Release();
    if (db_ != nullptr) sqlite3_close_v2(db_);
    db_ = nullptr;
}

void TQRSqliteDatabase::Unregister(TQRSqliteQuery& query) {
    queries_.erase(std::remove(queries_.begin(), queries_.end(), &query), queries_.end());
}

bool TQRSqliteDatabase::OtherQueryActive(const TQRSqliteQuery& query) const {
    return std::any_of(queries_.begin(), queries_.end(),
                       [&query](const TQRSqliteQuery* q) { return q != &query && q->Active(); });
}

void TQRSqliteDatabase::Connect() {
    struct stat info {};
    if (::stat(fileName_.c_str(), &info) != 0) {
        throw EDatabaseError("Cannot open database \"" + fileName_ + "\": " + std::strerror(errno));
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(fileName_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close_v2(db);
        throw EDatabaseError("Cannot open database \"" + fileName_ + "\": " + message);
    }
    sqlite3_busy_timeout(db, busyTimeout_);
    db_ = db;
    device_ = info.st_dev;
    inode_ = info.st_ino;
}

sqlite3* TQRSqliteDatabase::ConnectionFor(const TQRSqliteQuery& query) {
    if (db_ != nullptr) {
        struct stat info {};
        const bool present = ::stat(fileName_.c_str(), &info) == 0;
        if (!present || info.st_dev != device_ || info.st_ino != inode_) {
            const bool reading = OtherQueryActive(query);
            Disconnect();
            if (reading) {
                throw EDatabaseError("The database \"" + fileName_ + "\" was " +
                                     (present ? "replaced" : "removed") +
                                     " while it was being read");
            }
        }
    }
    if (db_ == nullptr) Connect();
    return db_;
}

// --- TQRSqliteQuery --------------------------------------------------------------------------

TQRSqliteQuery::TQRSqliteQuery(std::string name, TQRSqliteDatabase& database)
    : name_(std::move(name)), database_(database) {
    database_.Register(*this);
}

TQRSqliteQuery::~TQRSqliteQuery() {
    Release();
    database_.Unregister(*this);
}

void TQRSqliteQuery::Release() noexcept {
    active_ = false;
    eof_ = true;
    if (stmt_ != nullptr) sqlite3_finalize(stmt_);
    stmt_ = nullptr;
}

void TQRSqliteQuery::Fail(std::string_view what) {
    std::string message = name_ + ": " + std::string(what) + " (" + database_.FileName() + ")";
    if (stmt_ != nullptr) sqlite3_reset(stmt_);
    active_ = false;
    eof_ = true;
    throw EDatabaseError(message);
}

void TQRSqliteQuery::SetSQL(std::string sql) {
    Release();
    sql_ = std::move(sql);
    fields_.clear();
    params_.clear();
    count_ = -2;
}

void TQRSqliteQuery::Prepare() {
    sqlite3* db = database_.ConnectionFor(*this);
    if (stmt_ != nullptr) return;
    const std::string text = SqlText(sql_);
    const char* tail = nullptr;
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, text.c_str(), static_cast<int>(text.size() + 1), &stmt, &tail) !=
        SQLITE_OK) {
        Fail(sqlite3_errmsg(db));
    }
    if (stmt == nullptr) Fail("the SQL holds no statement");
    for (; tail != nullptr && *tail != '\0'; ++tail) {
        if (*tail != ' ' && *tail != ';' && *tail != '\n' && *tail != '\r' && *tail != '\t') {
            sqlite3_finalize(stmt);
            Fail("the SQL holds more than one statement");
        }
    }
    if (sqlite3_stmt_readonly(stmt) == 0) {
        sqlite3_finalize(stmt);
        Fail("the SQL is not a query");
    }
    // A statement prepared again after a reconnection keeps its fields and parameter values.
    const int columns = sqlite3_column_count(stmt);
    if (fields_.empty()) {
        for (int i = 0; i < columns; ++i) {
            Field field;
            const char* name = sqlite3_column_name(stmt, i);
            field.name = Utf8ToCp1251(name != nullptr ? name : "");
            field.declared = DeclaredType(sqlite3_column_decltype(stmt, i));
            fields_.push_back(std::move(field));
        }
    }
    if (params_.empty()) {
        const int count = sqlite3_bind_parameter_count(stmt);
        for (int i = 1; i <= count; ++i) {
            const char* name = sqlite3_bind_parameter_name(stmt, i);
            Param param;
            // Without its prefix; "?" and "?NNN" have no usable name.
            if (name != nullptr && name[0] != '?') param.name = Utf8ToCp1251(name + 1);
            params_.push_back(std::move(param));
        }
    }
    current_.resize(static_cast<std::size_t>(columns));
    prior_.resize(static_cast<std::size_t>(columns));
    stmt_ = stmt;
}

int TQRSqliteQuery::BindParams(sqlite3_stmt* stmt) const {
    sqlite3_clear_bindings(stmt);
    for (std::size_t i = 0; i < params_.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const auto& value = params_[i].value;
        int rc = SQLITE_OK;
        if (const auto* integer = std::get_if<std::int64_t>(&value)) {
            rc = sqlite3_bind_int64(stmt, index, *integer);
        } else if (const auto* real = std::get_if<double>(&value)) {
            rc = sqlite3_bind_double(stmt, index, *real);
        } else if (const auto* text = std::get_if<std::string>(&value)) {
            rc = sqlite3_bind_text(stmt, index, text->data(), static_cast<int>(text->size()),
                                   SQLITE_STATIC);
        }
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

void TQRSqliteQuery::Open() {
    Close();
    Prepare();
    Execute();
}

void TQRSqliteQuery::Close() {
    if (stmt_ != nullptr) sqlite3_reset(stmt_);
    active_ = false;
    eof_ = true;
    count_ = -2;
}

void TQRSqliteQuery::Execute() {
    sqlite3_reset(stmt_);
    if (const int rc = BindParams(stmt_); rc != SQLITE_OK) Fail(sqlite3_errstr(rc));
    active_ = true;
    eof_ = false;
    done_ = false;
    hasPrior_ = false;
    onPrior_ = false;
    rowNumber_ = 0;
    Step();
}

void TQRSqliteQuery::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) {
        std::swap(current_, prior_);
        hasPrior_ = rowNumber_ > 0;
        LoadRow(current_);
        ++rowNumber_;
        eof_ = false;
    } else if (rc == SQLITE_DONE) {
        done_ = true;
        eof_ = true;
    } else {
        Fail(sqlite3_errmsg(sqlite3_db_handle(stmt_)));
    }
}

void TQRSqliteQuery::LoadRow(std::vector<Cell>& row) {
    for (std::size_t i = 0; i < row.size(); ++i) {
        Cell& cell = row[i];
        const int column = static_cast<int>(i);
        cell.storage = sqlite3_column_type(stmt_, column);
        switch (cell.storage) {
            case SQLITE_INTEGER:
                cell.integer = sqlite3_column_int64(stmt_, column);
                break;
            case SQLITE_FLOAT:
                cell.real = sqlite3_column_double(stmt_, column);
                break;
            case SQLITE_TEXT:
                AssignUtf8AsCp1251(cell.text, sqlite3_column_text(stmt_, column),
                                   sqlite3_column_bytes(stmt_, column));
                break;
            case SQLITE_BLOB: {
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
                cell.text.assign(bytes != nullptr ? bytes : "",
                                 static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)));
                break;
            }
            default:
                break;
        }
    }
}

void TQRSqliteQuery::First() {
    if (!active_) Fail("the query is not open");
    if (rowNumber_ == 1 && !onPrior_ && !eof_) return;
    Execute();
}

void TQRSqliteQuery::Next() {
    if (!active_) Fail("the query is not open");
    if (onPrior_) {
        onPrior_ = false;
        return;
    }
    if (eof_) return;
    if (done_) {
        // Back on the last row after stepping back from the end.
        eof_ = true;
        return;
    }
    Step();
}

void TQRSqliteQuery::Prior() {
    if (!active_) Fail("the query is not open");
    if (eof_) {
        // From the end to the last row, if there was one.
        if (rowNumber_ > 0) eof_ = false;
        return;
    }
    if (onPrior_) Fail("cannot step back more than one record");
    if (hasPrior_) onPrior_ = true;
}

int TQRSqliteQuery::RecordCount() {
    if (!active_) return -1;
    if (count_ != -2) return count_;
    count_ = -1;
    std::string text = SqlText(sql_);
    while (!text.empty() && (text.back() == ';' || text.back() == ' ' || text.back() == '\n' ||
                             text.back() == '\r' || text.back() == '\t')) {
        text.pop_back();
    }
    text = "SELECT COUNT(*) FROM (" + text + "\n)";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(sqlite3_db_handle(stmt_), text.c_str(), -1, &stmt, nullptr) ==
            SQLITE_OK &&
        stmt != nullptr && sqlite3_bind_parameter_count(stmt) == static_cast<int>(params_.size())) {
        if (BindParams(stmt) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW) {
            const std::int64_t count = sqlite3_column_int64(stmt, 0);
            count_ = FitsInt32(count) ? static_cast<int>(count) : -1;
        }
    }
    sqlite3_finalize(stmt);
    return count_;
}

// --- Parameters ------------------------------------------------------------------------------

void TQRSqliteQuery::CheckParam(int index) const {
    if (index < 0 || index >= ParamCount()) {
        throw EDatabaseError(name_ + ": there is no parameter " + std::to_string(index));
    }
}

std::string_view TQRSqliteQuery::ParamName(int index) const {
    return index >= 0 && index < ParamCount() ? std::string_view(params_[index].name) : "";
}

TQRFieldType TQRSqliteQuery::ParamType(int index) const {
    return index >= 0 && index < ParamCount() ? params_[index].type : ftUnknown;
}

void TQRSqliteQuery::SetParamType(std::string_view name, TQRFieldType type) {
    const int index = FindParam(name);
    if (index < 0) throw EDatabaseError(name_ + ": there is no parameter " + std::string(name));
    params_[static_cast<std::size_t>(index)].type = type;
}

void TQRSqliteQuery::SetParamNull(int index) {
    CheckParam(index);
    params_[static_cast<std::size_t>(index)].value = std::monostate{};
}

void TQRSqliteQuery::SetParamInteger(int index, std::int64_t value) {
    CheckParam(index);
    params_[static_cast<std::size_t>(index)].value = value;
}

void TQRSqliteQuery::SetParamFloat(int index, double value) {
    CheckParam(index);
    params_[static_cast<std::size_t>(index)].value = value;
}

void TQRSqliteQuery::SetParamText(int index, std::string_view text) {
    CheckParam(index);
    params_[static_cast<std::size_t>(index)].value = Cp1251ToUtf8(text);
}

void TQRSqliteQuery::SetParamBoolean(int index, bool value) {
    CheckParam(index);
    params_[static_cast<std::size_t>(index)].value = std::int64_t{value ? 1 : 0};
}

// --- Fields ----------------------------------------------------------------------------------

const TQRSqliteQuery::Cell* TQRSqliteQuery::CurrentCell(int index) const {
    if (!active_ || eof_ || index < 0 || index >= FieldCount()) return nullptr;
    const Cell& cell = (onPrior_ ? prior_ : current_)[static_cast<std::size_t>(index)];
    return cell.storage == SQLITE_NULL || cell.storage == 0 ? nullptr : &cell;
}

std::string_view TQRSqliteQuery::FieldName(int index) const {
    return index >= 0 && index < FieldCount() ? std::string_view(fields_[index].name) : "";
}

TQRFieldType TQRSqliteQuery::FieldType(int index) const {
    if (index < 0 || index >= FieldCount()) return ftUnknown;
    const TQRFieldType declared = fields_[static_cast<std::size_t>(index)].declared;
    const Cell* cell = CurrentCell(index);
    if (cell == nullptr) return declared != ftUnknown ? declared : ftString;
    switch (cell->storage) {
        case SQLITE_INTEGER:
            if (declared == ftBoolean) return ftBoolean;
            return FitsInt32(cell->integer) ? ftInteger : ftFloat;
        case SQLITE_FLOAT:
            return declared == ftCurrency || declared == ftBCD ? declared : ftFloat;
        case SQLITE_TEXT:
            return declared == ftDate || declared == ftTime || declared == ftDateTime ? declared
                                                                                      : ftString;
        default:
            return ftBlob;
    }
}

std::string_view TQRSqliteQuery::FieldText(int index) const {
    const Cell* cell = CurrentCell(index);
    if (cell == nullptr || (cell->storage != SQLITE_TEXT && cell->storage != SQLITE_BLOB)) {
        return {};
    }
    return cell->text;
}

std::int32_t TQRSqliteQuery::FieldInteger(int index) const {
    const Cell* cell = CurrentCell(index);
    if (cell == nullptr) return 0;
    if (cell->storage == SQLITE_INTEGER && FitsInt32(cell->integer)) {
        return static_cast<std::int32_t>(cell->integer);
    }
    if (cell->storage == SQLITE_FLOAT && std::abs(cell->real) < 2147483648.0) {
        return static_cast<std::int32_t>(cell->real);
    }
    return 0;
}

double TQRSqliteQuery::FieldFloat(int index) const {
    const Cell* cell = CurrentCell(index);
    return cell == nullptr ? 0 : NumberOf(cell->storage, cell->integer, cell->real);
}

bool TQRSqliteQuery::FieldBoolean(int index) const {
    const Cell* cell = CurrentCell(index);
    return cell != nullptr && NumberOf(cell->storage, cell->integer, cell->real) != 0;
}

}  // namespace quillon
