// A machine whose CUPS scheduler is not running: printer objects are still created, at once,
// with no printers, and every document is refused with a clear error.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/qt/qt_printer.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

// Before anything asks libcups for its server.
const bool kSchedulerGone = setenv("CUPS_SERVER", "/nonexistent/quillon-test/cups.sock", 1) == 0;

TEST(QtPrinterWithoutScheduler, HasNoPrintersAndRefusesDocuments) {
    ASSERT_TRUE(kSchedulerGone);
    testing::EnsureQtApplication();
    QtPrinterSystem system;
    const auto check = [](PrinterDevice& printer) {
        EXPECT_TRUE(printer.Printers().empty());
        EXPECT_EQ(printer.PrinterIndex(), -1);
        EXPECT_NO_THROW(printer.SetPrinterIndex(-1));
        EXPECT_FALSE(printer.GetDeviceMode().has_value());
        DeviceMode mode;
        EXPECT_FALSE(printer.MergeDeviceMode(mode));
        EXPECT_TRUE(printer.PaperCodes().empty());
        EXPECT_EQ(printer.PageWidth(), 0);
        try {
            printer.BeginDoc();
            ADD_FAILURE() << "a document began without any printer";
        } catch (const EPrinterError& error) {
            EXPECT_STREQ(error.what(), "No printer is installed");
        }
        EXPECT_FALSE(printer.Printing());
        EXPECT_THROW(printer.NewPage(), EPrinterError);
        EXPECT_THROW(printer.PageCanvas(), EPrinterError);
        EXPECT_NO_THROW(printer.EndDoc());
        EXPECT_NO_THROW(printer.Abort());
    };
    check(system.SharedPrinter());
    check(*system.CreatePrinter());
}

}  // namespace
}  // namespace quillon
