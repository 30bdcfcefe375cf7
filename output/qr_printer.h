#pragma once

// The report printer: the drawing target of a report run. The report draws each page on
// PageCanvas in report coordinates; the printer records every page as a page picture in its
// page list (destination ptRecord) or draws it on the printer (ptDevice). Afterwards it serves
// the recorded pages to the preview, saves and loads them, and prints them by replay.

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "output/paper.h"
#include "output/printer_settings.h"
#include "output/qr_printer_client.h"
#include "platform/core/canvas.h"
#include "platform/core/messages.h"
#include "platform/core/page_picture.h"
#include "platform/core/qr_error.h"

namespace quillon {

class PrinterDevice;
class TQRExportFilter;
class TQRPageExport;
class TQRPageList;

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

// A program-wide handler of internal links ("INT:..." or plain link texts on a page).
using InternalLinkHandler = std::function<void(TQRPrinter& printer, const std::string& rest)>;
// Appends a handler for links that begin with `prefix`; handlers are searched in order.
void AddInternalLinkHandler(const std::string& prefix, InternalLinkHandler handler);
// Removes every handler registered for `prefix`.
void RemoveInternalLinkHandler(const std::string& prefix);

class TQRPrinter {
public:
    // `owner` may be null (a printer that loads and shows a file on its own). Counts the
    // installed printers, takes the system's shared printer object or makes its own, and
    // reads the selected printer's settings.
    explicit TQRPrinter(TQRPrinterOwner* owner = nullptr);
    // Ends an open document (aborting it), detaches from its preview and progress target.
    ~TQRPrinter();
    TQRPrinter(const TQRPrinter&) = delete;
    TQRPrinter& operator=(const TQRPrinter&) = delete;

    // The report that created the printer, or none.
    TQRPrinterOwner* ParentReport() const;

    // --- Documents -----------------------------------------------------------------------
    void BeginDocument();  // EQRError "QRPrinter not ready" unless prsReady
    void NewPage();        // EQRError "Illegal call to NewPage" unless prsBusy
    // Closes the last page and finishes the document. A printer error while ending leaves
    // the document ended (prsFinished) and is passed on.
    void EndDocument();
    void AbortDocument();
    void RequestCancel();
    bool CancelRequested() const;
    // Back to prsReady: an open document is cancelled and aborted, the pages are dropped.
    void Reset();

    TQRPrinterState State() const;
    TQRPageTarget Destination() const;
    void SetDestination(TQRPageTarget destination);

    // The canvas of the page being generated (device pixels; report positions go through
    // the conversions below). Valid between NewPage and the next NewPage/EndDocument;
    // EQRError when no page is open.
    Canvas& PageCanvas();
    // Keeps `object` alive until the current page is closed.
    void AddPageObject(std::shared_ptr<void> object);

    // --- Coordinates: report units are tenths of a millimetre from the page's top left ----
    int ToDeviceX(long double x) const;  // (x - UnprintableLeft) * HorzFactor, rounded
    int ToDeviceY(long double y) const;
    int ToDeviceWidth(long double x) const;  // x * HorzFactor, rounded
    int ToDeviceHeight(long double y) const;
    long double HorzFactor() const;  // device units per tenth of a millimetre
    long double VertFactor() const;
    std::int32_t UnprintableLeft() const;  // tenths of a millimetre, 0 unless printing
    std::int32_t UnprintableTop() const;

    // --- Paper -------------------------------------------------------------------------
    // Paper length and width in tenths of a millimetre, orientation applied.
    std::int32_t PaperLength() const;
    std::int32_t PaperWidth() const;
    TQRPaperSize PaperSize() const;
    void SetPaperSize(TQRPaperSize size);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation orientation);
    void SetPaperWidthValue(std::int32_t tenths);  // custom paper
    void SetPaperLengthValue(std::int32_t tenths);

    // Pass-through to the settings; wishes the printer does not support are dropped.
    std::int32_t Copies() const;
    void SetCopies(std::int32_t copies);
    bool Duplex() const;
    void SetDuplex(bool duplex);
    TQRBin OutputBin() const;
    void SetOutputBin(TQRBin bin);
    std::int32_t Collate() const;
    void SetCollate(std::int32_t collate);
    std::int32_t PrintQuality() const;
    void SetPrintQuality(std::int32_t quality);
    std::int32_t ColorOption() const;
    void SetColorOption(std::int32_t option);
    std::int32_t ExtendedDuplex() const;
    void SetExtendedDuplex(std::int32_t code);
    bool UseCustomBinCode() const;
    void SetUseCustomBinCode(bool use);
    std::int32_t CustomBinCode() const;
    void SetCustomBinCode(std::int32_t code);
    bool UseCustomPaperCode() const;
    void SetUseCustomPaperCode(bool use);
    std::int32_t CustomPaperCode() const;
    void SetCustomPaperCode(std::int32_t code);
    bool UseStandardPrinter() const;
    void SetUseStandardPrinter(bool use);
    bool PrintMetaFile() const;
    void SetPrintMetaFile(bool print);

    // Selects installed printer `index` and reads its settings again; ignored without
    // printers, with the standard printer, for a negative index (the current printer) and
    // for an index past the installed printers.
    void SelectPrinter(int index);

    // --- Run state and pages -----------------------------------------------------------
    std::int32_t PageTotal() const;
    std::int32_t CurrentPage() const;
    void SetCurrentPage(std::int32_t page);  // accepted for 1..PageTotal
    std::int32_t PagesDone() const;
    std::int32_t PercentDone() const;
    // Page range of direct printing and replay; 0 or less is unbounded.
    std::int32_t FirstPage() const;
    void SetFirstPage(std::int32_t page);
    std::int32_t LastPage() const;
    void SetLastPage(std::int32_t page);
    const std::string& Title() const;
    void SetTitle(const std::string& title);
    // What a document of these pages is called when there is no title: the input file of
    // the program's report, the file of a loaded report (file-system bytes, usually UTF-8).
    const std::string& DocumentName() const;
    void SetDocumentName(const std::string& name);
    // The files the pages are made from (the text the program prints), which no file written
    // from them may replace: saving or exporting onto one is refused with EInOutError 32.
    const std::vector<std::string>& InputFiles() const;
    void SetInputFiles(std::vector<std::string> files);
    void SetCompression(bool compression);
    // Generation progress in percent, posted (U) to the progress target.
    void Progress(int percent);

    // A new picture of page `page` in states prsBusy and prsFinished, else none.
    std::unique_ptr<PagePicture> PageImage(std::int32_t page);

    // Reads each page from `first` to `last` once and drops it: raises what reading a damaged
    // page raises. Printing checks its pages so before anything reaches the printer.
    void CheckPages(std::int32_t first, std::int32_t last);

    // --- Files, preview and printing ---------------------------------------------------
    // Writes the recorded pages to a report file; EQRError "QRPrinter not ready" unless
    // prsFinished, "The report has no pages" for a run that ended before its first page. The
    // file is a copy: it keeps its bytes when the printer is destroyed. Saving onto the loaded
    // report raises EFCreateError, onto one of the input files EInOutError 32.
    void Save(const std::string& fileName);
    // Drops the current pages and opens a report file read-only (never deleted); the paper
    // size and orientation follow its first page. EQRError "QRPrinter not ready" while the
    // pages are being printed.
    void Load(const std::string& fileName);
    // Shows the pages: the OnPreview handler when set, else the registered preview provider.
    void Preview();
    // Replays the recorded pages on the printer, or asks the report to print again. Ignored
    // while a replay is running. Every page of the range is read before the printer's document
    // begins; an error other than the printer's after that aborts the document.
    void Print();
    // Replays pages `first`..`last` (clamped; 0 for the last page) into a document of
    // recorded pages, with the progress window; the cancel button abandons the document.
    // Only when the pages are complete (prsFinished) and no replay is running. A document
    // onto the loaded report is refused as Save refuses it; the input files are the target's
    // to refuse.
    void ExportPages(TQRPageExport& target, std::int32_t first = 1, std::int32_t last = 0);

    TPrinterSettings& Settings();
    const TPrinterSettings& Settings() const;
    TQRPageList& PageList();
    PrinterDevice* Device();
    bool HasPrinters() const;

    // Where progress and page-available messages go (the preview control or the progress
    // window); not owned, and told when the printer is destroyed. A target that is destroyed
    // first simply receives nothing more.
    void SetProgressTarget(TQRPrinterClient* target);
    TQRPrinterClient* ProgressTarget() const;
    // The preview control showing the pages; not owned, told when the printer is destroyed.
    void SetClient(TQRPrinterClient* client);
    TQRPrinterClient* Client() const;
    // The window the preview provider opened, while it exists.
    MessageTarget* PreviewWindow() const;

    bool PreviewShowing() const;
    // Clearing a set flag (the preview closes) cancels a run still in progress and calls
    // OnAfterPreview.
    void SetPreviewShowing(bool showing);
    bool PagesFinal() const;
    void SetPagesFinal(bool final);

    // Callbacks installed by the report.
    std::function<void(TQRPrinter&)> OnPreview;      // replaces the standard preview
    std::function<void()> OnPrintSetup;              // the report's print dialog
    std::function<void(TQRExportFilter&)> OnExport;  // run an export through the filter
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
