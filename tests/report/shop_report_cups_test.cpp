// The shop report printed through the CUPS queue "PDF" (run with scripts/with-cups), straight
// from the run and by replaying its recorded pages: the PDF holds every order, each
// customer's total and the grand total, in order, computed again with SQL, and each page
// carries its own number.

#include <gtest/gtest.h>

#include <QPrinterInfo>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_printer.h"
#include "tests/database/sqlite_fixture.h"
#include "tests/output/cups_jobs.h"
#include "tests/platform/qt_test_app.h"
#include "tests/report/shop_report.h"
#include "tests/support/temp_dir.h"

namespace quillon {
namespace {

using testing::Command;
using testing::kPdfQueue;
using Strings = std::vector<std::string>;

// The text lines of a page with runs of blanks made single, empty lines left out.
Strings LinesOf(const std::string& page) {
    Strings lines;
    std::istringstream in(page);
    std::string line;
    while (std::getline(in, line)) {
        std::string tidy;
        for (const char c : line) {
            if (c == ' ' || c == '\t') {
                if (!tidy.empty() && tidy.back() != ' ') tidy += ' ';
            } else {
                tidy += c;
            }
        }
        while (!tidy.empty() && tidy.back() == ' ') tidy.pop_back();
        if (!tidy.empty()) lines.push_back(tidy);
    }
    return lines;
}

TEST(ShopReportCups, PrintedReportHoldsEveryOrderAndTotalUnderItsPageNumber) {
    if (const std::string why = testing::MissingPdfQueue(); !why.empty()) GTEST_SKIP() << why;
    testing::EnsureQtApplication();
    ASSERT_FALSE(QPrinterInfo::printerInfo(kPdfQueue).isNull())
        << "The CUPS queue \"PDF\" (cups-pdf) is missing: run the tests through "
           "scripts/with-cups, which starts a CUPS server with that queue";
    const std::unique_ptr<QtPlatform> platform = InstallQtPlatform();
    testing::TempDir dir;
    const std::string file = dir.File("shop.db");
    testing::CreateShop(file, 40, 12);
    Strings expected;
    for (const Strings& texts : testing::ExpectedShopLines(file)) {
        std::string line;
        for (const std::string& text : texts) line += line.empty() ? text : " " + text;
        expected.push_back(line);
    }

    for (const bool direct : {true, false}) {
        SCOPED_TRACE(direct ? "printed directly" : "replayed");
        testing::ShopReport shop(file);
        TRozerEdedid& report = *shop.report;
        const std::string title = testing::UniqueTitle(direct ? "shop-direct" : "shop-replay");
        report.SetReportTitle(title);
        report.PrinterSettings().PrintMetaFile = !direct;
        report.SetQRPrinter(std::make_unique<TQRPrinter>(&report));
        TQRPrinter& printer = *report.QRPrinter();
        auto* device = dynamic_cast<QtPrinterDevice*>(printer.Device());
        ASSERT_NE(device, nullptr);
        device->SelectPrinter(kPdfQueue);
        printer.Settings().ReadFromDevice();
        ASSERT_EQ(printer.Settings().DeviceName(), kPdfQueue);
        if (direct) printer.SetDestination(TQRPageTarget::ptDevice);
        report.GenerateReport(false);
        if (!direct) printer.Print();

        const std::string pdf = testing::WaitForPdf(title);
        ASSERT_FALSE(pdf.empty()) << "no PDF for job " << title;
        const std::string text = Command("pdftotext -layout -enc UTF-8 '" + pdf + "' -");
        Strings pages;
        std::size_t start = 0;
        for (std::size_t feed = text.find('\f'); feed != std::string::npos;
             feed = text.find('\f', start)) {
            pages.push_back(text.substr(start, feed - start));
            start = feed + 1;
        }
        ASSERT_GT(pages.size(), 5u) << text;
        EXPECT_EQ(static_cast<int>(pages.size()), report.PageNumber());
        EXPECT_NE(Command("pdfinfo '" + pdf + "'")
                      .find("Pages:           " + std::to_string(pages.size()) + "\n"),
                  std::string::npos);

        Strings printed;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const Strings lines = LinesOf(pages[i]);
            ASSERT_FALSE(lines.empty()) << "page " << i + 1;
            EXPECT_EQ(lines[0], "Page " + std::to_string(i + 1));
            printed.insert(printed.end(), lines.begin() + 1, lines.end());
        }
        EXPECT_EQ(printed, expected);
    }
}

}  // namespace
}  // namespace quillon
