// The shop report over a real SQLite file, recorded: every order, every customer's total and
// the grand total in order, computed again with SQL, under the right page numbers; and
// databases that fail in the middle of the walk.

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "expr/memory_dataset.h"
#include "report/qr_group.h"
#include "tests/database/sqlite_fixture.h"
#include "tests/report/report_test_support.h"
#include "tests/report/shop_report.h"
#include "tests/report/size_test_owners.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::ExpectedShopLines;
using testing::ScopedMeasurement;
using testing::ShopReport;
using Strings = std::vector<std::string>;

// The texts of the expected lines, one after the other.
Strings Flatten(const std::vector<Strings>& lines) {
    Strings all;
    for (const Strings& line : lines) all.insert(all.end(), line.begin(), line.end());
    return all;
}

// Checks that each page begins with its page number and returns the other texts in order.
Strings TextsBelowPageHeaders(TQRPrinter& printer) {
    Strings all;
    const std::vector<Strings> pages = testing::PageStrings(printer);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        EXPECT_FALSE(pages[i].empty());
        if (pages[i].empty()) continue;
        EXPECT_EQ(pages[i][0], "Page " + std::to_string(i + 1));
        all.insert(all.end(), pages[i].begin() + 1, pages[i].end());
    }
    return all;
}

class ShopReportTest : public ::testing::Test {
protected:
    void SetUp() override { testing::CreateShop(file_, 40, 12); }

    ScopedMeasurement metric_{MeasurementSystem::kMetric};
    testing::TempDir dir_;
    std::string file_ = dir_.File("shop.db");
};

TEST_F(ShopReportTest, EveryOrderAndTotalPrintsInOrderUnderItsPageNumber) {
    ShopReport shop(file_);
    const Strings expected = Flatten(ExpectedShopLines(file_));
    ASSERT_GT(expected.size(), 500u) << "a few hundred orders";
    TQRPrinter& printer = testing::Generate(*shop.report);
    EXPECT_GT(printer.PageTotal(), 5);
    EXPECT_EQ(TextsBelowPageHeaders(printer), expected);
    EXPECT_EQ(shop.report->Controller().DetailNumber(), 40);
    // A second run prints the same.
    EXPECT_EQ(TextsBelowPageHeaders(testing::Generate(*shop.report)), expected);
}

TEST_F(ShopReportTest, ADatabaseFailingMidWalkEndsTheRunAndTheReportRunsAgain) {
    struct Case {
        const char* what;
        const char* message;
        // Makes the database fail after a few customers; `shop` is the report.
        std::function<void(ShopReport& shop)> fail;
        std::function<void(ShopReport& shop)> repair;
    };
    sqlite3* locker = nullptr;
    TQRMemoryDataset customers("Customers");
    const Case cases[] = {
        {"query error", "Customers: integer overflow",
         [](ShopReport& shop) {
             // Customer 12 cannot be computed (rows in table order, read one by one).
             shop.customers.SetSQL(
                 "SELECT id, name, CASE WHEN id = 12 THEN "
                 "abs(-9223372036854775807 - 1) END AS boom FROM customers");
             shop.customers.Open();
         },
         [](ShopReport& shop) {
             shop.customers.SetSQL("SELECT id, name FROM customers ORDER BY id");
             shop.customers.Open();
         }},
        {"file removed", "was removed while it was being read",
         [this](ShopReport& shop) {
             shop.customerGroup->FooterBand()->AfterPrint = [this](TQRCustomBand&, bool) {
                 ::unlink(file_.c_str());
             };
         },
         [this](ShopReport& shop) {
             testing::CreateShop(file_, 40, 12);
             shop.customerGroup->FooterBand()->AfterPrint = nullptr;
             shop.customers.Open();
             shop.orders.Open();
         }},
        {"locked by a writer", "Orders: database is locked",
         [&](ShopReport& shop) {
             // The customers come from memory; another program locks the database when the
             // first customer is done.
             customers.AddField("id", ftInteger);
             customers.AddField("name", ftString);
             for (int i = 1; i <= 40; ++i) {
                 customers.AppendRecord({i, "Customer " + std::to_string(i)});
             }
             shop.report->SetDataSet(&customers);
             shop.customers.Close();
             shop.database.SetBusyTimeout(0);
             shop.customerGroup->FooterBand()->AfterPrint = [&](TQRCustomBand&, bool) {
                 if (locker != nullptr) return;
                 ASSERT_EQ(sqlite3_open(file_.c_str(), &locker), SQLITE_OK);
                 ASSERT_EQ(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr),
                           SQLITE_OK);
             };
         },
         [&](ShopReport& shop) {
             sqlite3_exec(locker, "ROLLBACK", nullptr, nullptr, nullptr);
             sqlite3_close(locker);
             shop.customerGroup->FooterBand()->AfterPrint = nullptr;
             shop.report->SetDataSet(&shop.customers);
             shop.customers.Open();
             shop.orders.Open();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ShopReport shop(file_);
        c.fail(shop);
        TQRPrinter* printer = nullptr;
        try {
            printer = &testing::Generate(*shop.report);
            ADD_FAILURE() << "the run ended without an error";
        } catch (const EDatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
        }
        printer = shop.report->QRPrinter();
        EXPECT_TRUE(shop.report->Available());
        EXPECT_EQ(printer->State(), TQRPrinterState::prsFinished) << "the document was closed";
        EXPECT_FALSE(dynamic_cast<TQRPrintable&>(shop.customerGroup->Control(0)).Printing());
        EXPECT_EQ(shop.report->Units(), TQRUnit::MM);

        c.repair(shop);
        EXPECT_EQ(TextsBelowPageHeaders(testing::Generate(*shop.report)),
                  Flatten(ExpectedShopLines(file_)));
    }
}

}  // namespace
}  // namespace quillon
