#pragma once

// SQLite databases for tests: running SQL on a file (made when missing), and a small shop of
// customers and their orders whose totals the tests compute again with SQL.

#include <string>
#include <vector>

namespace quillon::testing {

// Runs `sql` (one or more statements) on the database file, creating it when missing.
// Failures end the test program with the database's message.
void ExecuteSql(const std::string& file, const std::string& sql);

// The rows of a query as texts, columns joined by '|' (NULL as "NULL"), for checking results
// independently of the report.
std::vector<std::string> QueryRows(const std::string& file, const std::string& sql);

// Creates `customers(id INTEGER, name TEXT)` and `orders(id INTEGER, customer_id INTEGER,
// amount REAL, placed DATE)`: `customers` customers with 1..`maxOrders` orders each (a fixed
// pseudo-random choice), amounts with two decimals.
void CreateShop(const std::string& file, int customers, int maxOrders);

}  // namespace quillon::testing
