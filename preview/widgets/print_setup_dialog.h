#pragma once

#include <functional>
#include <optional>

#include "report/print_setup.h"

namespace quillon {

class PrinterDevice;
class TQRPrintDialog;

// The report's print dialog over TQRPrintDialog: opens on `printer` with the request's page
// limits, orientation and copies, page numbers and the warning offered; on confirmation the
// printer object has the chosen printer and settings and the answer holds the choices.
// `onShow` runs once the dialog is on screen (tests drive it from there).
std::optional<PrintDialogAnswer> RunPrintDialog(
    PrinterDevice& printer, const PrintDialogRequest& request,
    const std::function<void(TQRPrintDialog&)>& onShow = {});

}  // namespace quillon
