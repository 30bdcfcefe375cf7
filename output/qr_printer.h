#pragma once

// The report printer: the drawing target of a report run. This header fixes the interface the
// report engine and the preview are written against; qr_printer.cpp implements it.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "output/paper.h"
#include "platform/core/canvas.h"
#include "platform/core/messages.h"
#include "platform/core/page_picture.h"

namespace quillon {

class PrinterDevice;
class TPrinterSettings;
class TQRPageList;
class TQRPreviewInterface;

// The report engine's error: "QRPrinter not ready", "Illegal call to NewPage", ...
class EQRError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TQRPrinterState { prsReady, prsBusy, prsFinished };
enum class TQRPageTarget { ptRecord, ptDevice };

// What a report printer needs of the report that created it (the report implements this).
class TQRPrinterOwner {
public:
    virtual ~TQRPrinterOwner() = default;
    virtual bool UseStandardPrinter() const = 0;
    virtual std::int32_t MemoryLimit() const = 0;
    // The report's window: receives the print-again request (U + 2, posted) and the
    // preview-closed message (U + 4, sent, lParam = the report printer).
    virtual MessageTarget& ReportWindow() = 0;
};

class TQRPrinter {
public:
    // `owner` may be null (a printer that loads and shows a file on its own).
    explicit TQRPrinter(TQRPrinterOwner* owner = nullptr);
    ~TQRPrinter();
    TQRPrinter(const TQRPrinter&) = delete;
    TQRPrinter& operator=(const TQRPrinter&) = delete;

    // --- Documents -----------------------------------------------------------------------
    void BeginDocument();  // EQRError "QRPrinter not ready" unless prsReady
    void NewPage();        // EQRError "Illegal call to NewPage" unless prsBusy
    void EndDocument();
    void AbortDocument();
    void RequestCancel();
    bool CancelRequested() const;
    void Reset();

    TQRPrinterState State() const;
    TQRPageTarget Destination() const;
    void SetDestination(TQRPageTarget destination);

    // The canvas of the page being generated (device pixels; report positions go through
    // the conversions below). Valid between NewPage and the next NewPage/EndDocument.
    Canvas& PageCanvas();

    // --- Coordinates: report units are tenths of a millimetre from the page's top left ----
    int ToDeviceX(long double x) const;       // (x - UnprintableLeft) * HorzFactor, rounded
    int ToDeviceY(long double y) const;
    int ToDeviceWidth(long double x) const;   // x * HorzFactor, rounded
    int ToDeviceHeight(long double y) const;
    long double HorzFactor() const;           // device units per tenth of a millimetre
    long double VertFactor() const;

    // --- Paper -------------------------------------------------------------------------
    // Paper length and width in tenths of a millimetre, orientation applied.
    std::int32_t PaperLength() const;
    std::int32_t PaperWidth() const;
    TQRPaperSize PaperSize() const;
    void SetPaperSize(TQRPaperSize size);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation orientation);
    void SetPaperWidthValue(std::int32_t tenths);   // custom paper
    void SetPaperLengthValue(std::int32_t tenths);

    // --- Run state and pages -----------------------------------------------------------
    std::int32_t PageTotal() const;
    std::int32_t CurrentPage() const;
    void SetCurrentPage(std::int32_t page);
    std::int32_t PagesDone() const;
    std::int32_t PercentDone() const;
    std::int32_t FirstPage() const;
    void SetFirstPage(std::int32_t page);
    std::int32_t LastPage() const;
    void SetLastPage(std::int32_t page);
    const std::string& Title() const;
    void SetTitle(const std::string& title);
    void SetCompression(bool compression);
    // Generation progress in percent, posted (U) to the progress target.
    void Progress(int percent);

    // A new picture of page `page` in states prsBusy and prsFinished, else none.
    std::unique_ptr<PagePicture> PageImage(std::int32_t page);

    // --- Files, preview and printing ---------------------------------------------------
    void Save(const std::string& fileName);  // only in prsFinished
    void Load(const std::string& fileName);
    void Preview();
    void Print();  // replay of the recorded pages, or the print-again request

    TPrinterSettings& Settings();
    TQRPageList& PageList();
    PrinterDevice* Device();
    bool HasPrinters() const;

    // Where progress and page-available messages go (the preview control or the progress
    // window); not owned. Cleared by the target when it goes away.
    void SetProgressTarget(MessageTarget* target);
    MessageTarget* ProgressTarget() const;

    bool PreviewShowing() const;
    void SetPreviewShowing(bool showing);
    bool PagesFinal() const;
    void SetPagesFinal(bool final);

    // Callbacks installed by the report.
    std::function<void(TQRPrinter&)> OnPreview;      // replaces the standard preview
    std::function<void()> OnPrintSetup;              // the report's print dialog
    std::function<void(TQRPrinter&)> OnExport;       // run an export (filter attached by caller)
    std::function<void()> OnAfterPreview;
    std::function<void()> OnAfterPrint;

    // Announce that the preview window closes: sends U + 4 to the report window.
    void ClosePreview();
    // Follow a link clicked on a page ("EXT:", "INT:" or plain).
    void FollowHyperlink(const std::string& link);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace quillon
