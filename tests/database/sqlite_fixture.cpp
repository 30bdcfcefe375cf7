#include "tests/database/sqlite_fixture.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace quillon::testing {

namespace {

[[noreturn]] void Die(sqlite3* db, const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", what.c_str(), db != nullptr ? sqlite3_errmsg(db) : "");
    std::abort();
}

sqlite3* OpenFile(const std::string& file) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        Die(db, "open " + file);
    }
    return db;
}

}  // namespace

void ExecuteSql(const std::string& file, const std::string& sql) {
    sqlite3* db = OpenFile(file);
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s\n", error != nullptr ? error : "");
        Die(db, sql);
    }
    sqlite3_close(db);
}

std::vector<std::string> QueryRows(const std::string& file, const std::string& sql) {
    sqlite3* db = OpenFile(file);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) Die(db, sql);
    std::vector<std::string> rows;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        std::string row;
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            if (i > 0) row += '|';
            const unsigned char* text = sqlite3_column_text(stmt, i);
            row += text != nullptr ? reinterpret_cast<const char*>(text) : "NULL";
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return rows;
}

void CreateShop(const std::string& file, int customers, int maxOrders) {
    std::string sql =
        "CREATE TABLE customers (id INTEGER PRIMARY KEY, name TEXT NOT NULL);"
        "CREATE TABLE orders (id INTEGER PRIMARY KEY, customer_id INTEGER NOT NULL,"
        " amount REAL NOT NULL, placed DATE NOT NULL);"
        "BEGIN;";
    unsigned seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFF;
    };
    int order = 1000;
    for (int c = 1; c <= customers; ++c) {
        sql += "INSERT INTO customers VALUES (" + std::to_string(c) + ", 'Customer " +
               std::to_string(c) + "');";
        const int orders = 1 + static_cast<int>(next() % static_cast<unsigned>(maxOrders));
        for (int o = 0; o < orders; ++o) {
            const unsigned cents = 100 + next() % 99900;
            char amount[32];
            std::snprintf(amount, sizeof amount, "%u.%02u", cents / 100, cents % 100);
            char placed[16];
            std::snprintf(placed, sizeof placed, "2024-%02u-%02u", 1 + next() % 12,
                          1 + next() % 28);
            sql += "INSERT INTO orders VALUES (" + std::to_string(++order) + ", " +
                   std::to_string(c) + ", " + amount + ", '" + placed + "');";
        }
    }
    sql += "COMMIT;";
    ExecuteSql(file, sql);
}

}  // namespace quillon::testing
