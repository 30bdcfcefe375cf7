// The report printer on a machine whose CUPS scheduler is not running: no printers, pages are
// still recorded in the report's paper, and printing does nothing.

#include <gtest/gtest.h>

#include <cstdlib>

#include "output/qr_printer.h"
#include "platform/qt/qt_platform.h"
#include "tests/output/printer_test_support.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

// Before anything asks libcups for its server.
const bool kSchedulerGone = setenv("CUPS_SERVER", "/nonexistent/quillon-test/cups.sock", 1) == 0;

TEST(QRPrinterWithoutPrinters, RecordsButPrintsNothing) {
    ASSERT_TRUE(kSchedulerGone);
    testing::EnsureQtApplication();
    const std::unique_ptr<QtPlatform> platform = InstallQtPlatform();

    TQRPrinter printer;
    EXPECT_FALSE(printer.HasPrinters());
    printer.SelectPrinter(0);
    printer.SetOrientation(TPrinterOrientation::poLandscape);
    testing::RecordPages(printer, 2);
    ASSERT_NE(printer.PageImage(2), nullptr);
    EXPECT_EQ(printer.PageImage(2)->Width(), 1123);
    EXPECT_NO_THROW(printer.Print());
    EXPECT_FALSE(printer.Device()->Printing());
    EXPECT_NO_THROW(printer.Preview());

    // Printing straight to the device fails at the first page, and the run can be ended.
    TQRPrinter direct;
    direct.SetDestination(TQRPageTarget::ptDevice);
    direct.BeginDocument();
    EXPECT_THROW(direct.NewPage(), EPrinterError);
    direct.AbortDocument();
    EXPECT_EQ(direct.State(), TQRPrinterState::prsFinished);
}

}  // namespace
}  // namespace quillon
