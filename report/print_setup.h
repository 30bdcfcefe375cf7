#pragma once

// The print dialog the report's printer set-up shows. The report engine has no windows of its
// own: the widget layer registers the dialog, which answers with the user's choices.

#include <cstdint>
#include <functional>
#include <optional>

#include "output/paper.h"

namespace quillon {

class PrinterDevice;

enum class TPrintRangeChoice { prAllPages, prSelection, prPageNums };

// What the dialog opens with.
struct PrintDialogRequest {
    std::int32_t minPage = 0;
    std::int32_t maxPage = 9999;
    std::int32_t fromPage = 0;
    std::int32_t toPage = 0;
    bool pageNumbers = true;  // the page-range choice is offered
    bool warning = true;
    TPrinterOrientation orientation = TPrinterOrientation::poPortrait;
    std::int32_t copies = 1;
};

// What the user chose; the dialog has already given `printer` the chosen printer and its
// settings.
struct PrintDialogAnswer {
    std::int32_t printerIndex = -1;
    std::int32_t copies = 1;
    TPrinterOrientation orientation = TPrinterOrientation::poPortrait;
    std::int32_t outputBin = 0;   // device bin code, 0 for none
    std::int32_t duplexCode = 0;  // device duplex code
    bool duplex = false;
    std::int32_t paperSize = 0;  // device paper code
    std::int32_t printQuality = 0;
    std::int32_t collate = 0;
    std::int32_t colorOption = 0;
    TPrintRangeChoice printRange = TPrintRangeChoice::prAllPages;
    std::int32_t fromPage = 0;
    std::int32_t toPage = 0;
};

// Shows the print dialog over `printer` (the system's shared printer object); none when the
// user cancelled.
using PrintDialogRunner = std::function<std::optional<PrintDialogAnswer>(
    PrinterDevice& printer, const PrintDialogRequest& request)>;

// Replaces the dialog; an empty runner means there is none, and printer set-up is cancelled.
void RegisterPrintDialog(PrintDialogRunner runner);
const PrintDialogRunner& RegisteredPrintDialog();

}  // namespace quillon
