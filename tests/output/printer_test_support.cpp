#include "tests/output/printer_test_support.h"

#include <string>

namespace quillon::testing {

void RecordPages(TQRPrinter& printer, int pages) {
    printer.BeginDocument();
    for (int page = 1; page <= pages; ++page) {
        printer.NewPage();
        Canvas& canvas = printer.PageCanvas();
        canvas.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
        canvas.TextOut(printer.ToDeviceX(200), printer.ToDeviceY(200),
                       "Page " + std::to_string(page));
    }
    printer.EndDocument();
}

}  // namespace quillon::testing
