#pragma once

#include <QPageLayout>
#include <QPrinterInfo>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/printer.h"
#include "platform/files/posix_file.h"
#include "platform/qt/cups_input_slots.h"

namespace quillon {

class PdfDocument;
class QtGlyphSource;
class QtTextMeasurer;
class SpoolSink;

// A printer object over Qt's printer support and CUPS. A document is drawn at 1200 dots per
// inch into a PDF spool file of its own (the program's PDF writer, so the queue gets the same
// text and fonts as a saved PDF) and streamed to the CUPS queue only when it ends, with the
// settings record turned into job options; an aborted document is dropped unsent. The spool
// file has no name, so the system frees it however the process ends. Printer
// names that CUPS does not know are errors, never a silent PDF file (which is what a QPrinter
// does with them). Without a scheduler there are simply no printers.
class QtPrinterDevice : public PrinterDevice {
public:
    static constexpr int kResolution = 1200;

    QtPrinterDevice();  // starts on the system's default printer, if there is one
    ~QtPrinterDevice() override;
    QtPrinterDevice(const QtPrinterDevice&) = delete;
    QtPrinterDevice& operator=(const QtPrinterDevice&) = delete;

    std::vector<std::string> Printers() override;
    int PrinterIndex() override;
    void SetPrinterIndex(int index) override;
    // Selects a printer by its queue name, as the print dialog returns it. A name CUPS does not
    // know stays selected, with no settings, and beginning a document on it fails.
    void SelectPrinter(const std::string& name);
    PrinterNames Names() override;

    std::optional<DeviceMode> GetDeviceMode() override;
    bool MergeDeviceMode(DeviceMode& mode) override;
    void SetDeviceMode(const DeviceMode& mode) override;
    std::vector<int> PaperCodes() override;

    DeviceCaps Caps() override;
    int PageWidth() override;
    int PageHeight() override;

    void SetTitle(const std::string& title) override { title_ = title; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() override;
    Canvas& PageCanvas() override;

private:
    bool HasPrinter() const { return !info_.isNull(); }
    std::uint32_t SupportedFields() const;
    DeviceMode DefaultMode() const;
    QPageSize PageSizeFor(const DeviceMode& mode) const;
    bool Offers(int paperCode) const;
    bool FitsCustom(const DeviceMode& mode) const;
    void UpdateLayout();
    void CheckNotPrinting() const;
    void CheckAvailable() const;
    void CloseDocument();
    void StartPage();
    void SubmitSpool();
    std::vector<std::pair<std::string, std::string>> JobOptions() const;

    std::vector<std::string> printers_;
    std::string name_;   // the selected queue; empty when there is none
    QPrinterInfo info_;  // null when the selected queue is unknown
    PrinterNames names_;
    InputSlots slots_;
    DeviceMode mode_;
    QPageLayout layout_;  // paper, orientation and unprintable margins of mode_
    std::string title_;

    posix::File spool_;
    std::unique_ptr<SpoolSink> spoolSink_;
    // The printer draws with the Qt fonts whatever services are installed.
    std::unique_ptr<QtGlyphSource> glyphs_;
    std::unique_ptr<QtTextMeasurer> measurer_;
    std::unique_ptr<PdfDocument> document_;
};

class QtPrinterSystem : public PrinterSystem {
public:
    std::unique_ptr<PrinterDevice> CreatePrinter() override;
    PrinterDevice& SharedPrinter() override;

private:
    std::unique_ptr<QtPrinterDevice> shared_;
};

}  // namespace quillon
