#include "preview/widgets/print_setup_dialog.h"

#include "output/widgets/qr_print_dialog.h"

namespace quillon {

std::optional<PrintDialogAnswer> RunPrintDialog(
    PrinterDevice& printer, const PrintDialogRequest& request,
    const std::function<void(TQRPrintDialog&)>& onShow) {
    TQRPrintDialog dialog(printer);
    // The system's print dialog, there to choose how a later print goes: confirming it prints
    // nothing.
    dialog.SetCaption("Printer setup");
    dialog.SetConfirmLabel("OK");
    dialog.SetMinPage(request.minPage);
    dialog.SetMaxPage(request.maxPage);
    dialog.SetFromPage(request.fromPage);
    dialog.SetToPage(request.toPage);
    TPrintDialogOptions options;
    if (request.pageNumbers) options.Include(TPrintDialogOption::poPageNums);
    if (request.warning) options.Include(TPrintDialogOption::poWarning);
    dialog.SetOptions(options);
    dialog.SetOrientation(request.orientation);
    dialog.SetCopies(request.copies);
    if (onShow) dialog.OnShow = onShow;
    if (!dialog.Execute()) return std::nullopt;

    PrintDialogAnswer answer;
    answer.printerIndex = dialog.PrinterIndex();
    answer.copies = dialog.Copies();
    answer.orientation = dialog.Orientation();
    answer.outputBin = dialog.OutputBin();
    answer.duplexCode = dialog.DuplexCode();
    answer.duplex = dialog.Duplex();
    answer.paperSize = dialog.PaperSize();
    answer.printQuality = dialog.PrintQuality();
    answer.collate = dialog.Collate();
    answer.colorOption = dialog.ColorOption();
    switch (dialog.PrintRange()) {
        case TPrintRange::prPageNums:
            answer.printRange = TPrintRangeChoice::prPageNums;
            break;
        case TPrintRange::prSelection:
            answer.printRange = TPrintRangeChoice::prSelection;
            break;
        default:
            answer.printRange = TPrintRangeChoice::prAllPages;
            break;
    }
    answer.fromPage = dialog.FromPage();
    answer.toPage = dialog.ToPage();
    return answer;
}

}  // namespace quillon
