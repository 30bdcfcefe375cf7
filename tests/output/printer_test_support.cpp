#include "tests/output/printer_test_support.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "output/qr_page_list.h"

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

std::size_t RecordStart(const std::string& file, int page) {
    std::size_t at = TQRPageList::kHeaderLength;
    for (int n = 1; n < page; ++n) {
        std::int32_t next;
        std::memcpy(&next, file.data() + at + 4, 4);
        at = static_cast<std::size_t>(next);
    }
    return at;
}

}  // namespace quillon::testing
