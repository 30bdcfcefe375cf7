// How a report is run for the user: the preview with its wait, printing again straight to the
// printer, the print dialog of the preview's printer set-up, an export run, and the messages
// the report printer and the preview send the report.

#include <cstdint>
#include <optional>
#include <utility>

#include "output/qr_printer.h"
#include "output/qr_printer_client.h"
#include "platform/core/printer.h"
#include "platform/core/services.h"
#include "report/export_filter.h"
#include "report/print_setup.h"
#include "report/rozer_ededid.h"

namespace quillon {

namespace {

PrintDialogRunner& PrintDialog() {
    static PrintDialogRunner runner;
    return runner;
}

// The progress window of a run straight to the printer or into a filter, tied to `printer`
// and made its progress target; none when no progress window is registered.
std::unique_ptr<TQRProgressWindow> OpenProgressWindow(TQRPrinter& printer, bool show) {
    std::unique_ptr<TQRProgressWindow> window = CreateProgressWindow(printer);
    if (window) {
        printer.SetProgressTarget(window.get());
        if (show) window->ShowProgress();
    }
    return window;
}

}  // namespace

void RegisterPrintDialog(PrintDialogRunner runner) {
    PrintDialog() = std::move(runner);
}

const PrintDialogRunner& RegisteredPrintDialog() {
    return PrintDialog();
}

std::unique_ptr<TQRPrinter> TCustomRozerEdedid::NewRunPrinter() {
    if (!available_) return nullptr;
    auto printer = std::make_unique<TQRPrinter>(this);
    if (printer_ != nullptr) printer->SetProgressTarget(printer_->ProgressTarget());
    printer->OnAfterPreview = [this] {
        if (AfterPreview) AfterPreview(*this);
    };
    printer->OnAfterPrint = [this] {
        if (AfterPrint) AfterPrint(*this);
    };
    return printer;
}

void TCustomRozerEdedid::Preview() {
    MessageQueue& messages = *Platform().messages;
    messages.ProcessMessages();
    std::unique_ptr<TQRPrinter> fresh = NewRunPrinter();
    if (!fresh) return;
    // A preview still open (asked for again from within it) ends with its printer.
    if (printer_ != nullptr && printer_->PreviewShowing()) printer_->SetPreviewShowing(false);
    printer_ = std::move(fresh);
    TQRPrinter* const printer = printer_.get();
    printer->SetDestination(TQRPageTarget::ptRecord);
    printer->OnPrintSetup = [this] { PrintSetup(); };
    printer->OnExport = [this](TQRExportFilter& filter) { ExportToFilter(filter); };
    printer->SetTitle(reportTitle_);
    if (OnPreview) printer->OnPreview = [this](TQRPrinter&) { OnPreview(*this); };
    ApplyPrinterSettings(*printer);

    // The preview goes with its printer: when it is freed, a preview window still open has
    // nothing left to show and closes.
    const auto release = [this, printer] {
        if (printer_.get() != printer) return;
        const std::unique_ptr<TQRPrinter> gone = std::move(printer_);
        if (gone->PreviewShowing()) gone->SetPreviewShowing(false);
    };
    try {
        printer->Preview();
        GenerateReport(false);
    } catch (...) {
        release();
        throw;
    }
    if (printer_.get() != printer) return;
    printer->SetPagesFinal(true);
    if (cancelled_) {
        release();
        return;
    }
    while (printer_ != nullptr && printer_->PreviewShowing() && !messages.Terminating()) {
        messages.WaitAndHandleMessage();
    }
}

void TCustomRozerEdedid::ReprintToDevice() {
    std::unique_ptr<TQRPrinter> fresh = NewRunPrinter();
    // Refused during a run, and without a printer device there is nothing to print on.
    if (!fresh || !fresh->HasPrinters()) return;
    std::unique_ptr<TQRPrinter> kept = std::move(printer_);
    printer_ = std::move(fresh);
    printer_->SetDestination(TQRPageTarget::ptDevice);
    std::unique_ptr<TQRProgressWindow> progress = OpenProgressWindow(*printer_, showProgress_);
    struct Restore {
        TCustomRozerEdedid& report;
        std::unique_ptr<TQRPrinter>& kept;
        std::unique_ptr<TQRProgressWindow>& progress;
        ~Restore() {
            report.printer_.reset();
            report.printer_ = std::move(kept);
            progress.reset();
        }
    } restore{*this, kept, progress};
    GenerateReport(false);
}

void TCustomRozerEdedid::PrintSetup() {
    SetTag(1);
    const PrintDialogRunner& dialog = RegisteredPrintDialog();
    if (!dialog) return;
    PrinterDevice& system = Platform().printers->SharedPrinter();
    const int count = static_cast<int>(system.Printers().size());
    if (system.PrinterIndex() >= 0) system.SetPrinterIndex(system.PrinterIndex());
    const std::int32_t index = printerSettings_.PrinterIndex;
    if (index >= 0 && index < count) system.SetPrinterIndex(index);

    PrintDialogRequest request;
    if (printer_ != nullptr && printer_->State() == TQRPrinterState::prsFinished) {
        request.minPage = 1;
        request.maxPage = printer_->PageTotal();
        request.fromPage = 1;
        request.toPage = printer_->PageTotal();
    }
    request.orientation = page_.Orientation();
    request.copies = printerSettings_.Copies;
    const std::optional<PrintDialogAnswer> answer = dialog(system, request);
    if (!answer) return;

    printerSettings_.Copies = answer->copies;
    printerSettings_.PrinterIndex = answer->printerIndex;
    page_.SetOrientation(answer->orientation);
    TRozerEdedidPrinterSettings& d = dialogSettings_;
    d.CustomBinCode = answer->outputBin;
    d.ExtendedDuplex = answer->duplexCode;
    d.PrintQuality = answer->printQuality;
    d.Collate = answer->collate;
    d.ColorOption = answer->colorOption;
    d.Copies = answer->copies;
    d.Orientation = answer->orientation;
    d.FirstPage = answer->fromPage;
    d.LastPage = answer->toPage;
    d.OutputBin = printerSettings_.OutputBin;
    d.CustomPaperCode = answer->paperSize;
    d.PrinterIndex = answer->printerIndex;
    d.Duplex = answer->duplex;
    if (answer->printRange == TPrintRangeChoice::prPageNums) {
        printerSettings_.FirstPage = answer->fromPage;
        printerSettings_.LastPage = answer->toPage;
    } else {
        printerSettings_.FirstPage = 0;
        printerSettings_.LastPage = 0;
    }
    SetTag(0);
}

void TCustomRozerEdedid::ExportToFilter(TQRExportFilter& filter) {
    // A filter of whole pages gets the pages the preview shows, exactly as recorded.
    if (TQRPageExport* pages = filter.PageExport()) {
        if (printer_ != nullptr) printer_->ExportPages(*pages);
        return;
    }
    std::unique_ptr<TQRPrinter> fresh = NewRunPrinter();
    if (!fresh) return;
    std::unique_ptr<TQRPrinter> kept = std::move(printer_);
    printer_ = std::move(fresh);
    exportFilter_ = &filter;
    pageDrawing_ = false;
    std::unique_ptr<TQRProgressWindow> progress = OpenProgressWindow(*printer_, showProgress_);
    struct Restore {
        TCustomRozerEdedid& report;
        std::unique_ptr<TQRPrinter>& kept;
        std::unique_ptr<TQRProgressWindow>& progress;
        ~Restore() {
            report.printer_.reset();
            progress.reset();
            report.exportFilter_ = nullptr;
            report.pageDrawing_ = true;
            report.printer_ = std::move(kept);
        }
    } restore{*this, kept, progress};
    GenerateReport(false);
}

void TCustomRozerEdedid::HandleRunModeMessage(const Message& message) {
    switch (message.id) {
        case kMsgPrintAgain:
            ReprintToDevice();
            break;
        case kMsgPreviewClosed: {
            // Only the preview of the current printer ends the preview; a run still in
            // progress stops instead, and Preview frees the printer after it.
            if (printer_ == nullptr ||
                message.lParam != reinterpret_cast<std::intptr_t>(printer_.get())) {
                return;
            }
            if (!available_) {
                CancelRun();
                return;
            }
            const std::unique_ptr<TQRPrinter> closed = std::move(printer_);
            if (closed->PreviewShowing()) closed->SetPreviewShowing(false);
            break;
        }
        default:
            // Page 1 as the design view's page image: this program has no design view.
            break;
    }
}

}  // namespace quillon
