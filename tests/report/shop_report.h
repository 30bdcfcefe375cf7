#pragma once

// The shop report: customers and their orders from an SQLite file. A title, a page header
// with the page number, a group per customer (header with the name, footer with the
// customer's total), a sub-detail with one line per order, and a summary with the grand
// total. Used by the recorded test and the test that prints through CUPS.

#include <memory>
#include <string>
#include <vector>

#include "database/sqlite_dataset.h"
#include "report/qr_subdetail.h"
#include "report/rozer_ededid.h"

namespace quillon::testing {

class ShopReport {
public:
    // Customers and orders are read from `file` (made by CreateShop); the customers query is
    // opened.
    explicit ShopReport(const std::string& file);

    TQRSqliteDatabase database;
    TQRSqliteQuery customers{"Customers", database};
    TQRSqliteQuery orders{"Orders", database};
    std::unique_ptr<TRozerEdedid> report = std::make_unique<TRozerEdedid>();
    TQRSubDetail* orderLines = nullptr;
    TQRGroup* customerGroup = nullptr;
};

inline constexpr const char* kShopTitle = "Customer orders";

// The texts of each printed line of the shop report, in order, page headers left out, as the
// database computes them: every order with its amount, each customer's total and the grand
// total, amounts with two decimals.
std::vector<std::vector<std::string>> ExpectedShopLines(const std::string& file);

}  // namespace quillon::testing
