#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/core/canvas.h"

namespace quillon {

// A printer failed or is not there: the message says which and why.
class EPrinterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A printer's settings record, with the Windows field mask and codes so that the report
// engine's tables apply unchanged. `fields` says which members the printer supports.
struct DeviceMode {
    static constexpr std::uint32_t kOrientation = 0x1;
    static constexpr std::uint32_t kPaperSize = 0x2;
    static constexpr std::uint32_t kPaperLength = 0x4;
    static constexpr std::uint32_t kPaperWidth = 0x8;
    static constexpr std::uint32_t kCopies = 0x100;
    static constexpr std::uint32_t kDefaultSource = 0x200;
    static constexpr std::uint32_t kPrintQuality = 0x400;
    static constexpr std::uint32_t kColor = 0x800;
    static constexpr std::uint32_t kDuplex = 0x1000;
    static constexpr std::uint32_t kCollate = 0x8000;

    std::uint32_t fields = 0;
    int orientation = 1;    // 1 portrait, 2 landscape
    int paperSize = 9;      // paper code (9 = A4, 256 = custom)
    int paperLength = 0;    // tenths of a millimetre, for custom paper
    int paperWidth = 0;
    int copies = 1;
    int defaultSource = 7;  // bin code (7 = automatic)
    int printQuality = 0;   // 0: leave as the printer has it
    int color = 0;          // 0: leave; 1 monochrome, 2 colour
    int duplex = 1;         // 1 simplex, 2 long edge, 3 short edge
    int collate = 0;
    friend bool operator==(const DeviceMode&, const DeviceMode&) = default;
};

struct PrinterNames {
    std::string device;
    std::string driver;
    std::string port;
};

// One printer object: the selected printer of the installed ones, its settings record, and
// the document being printed on it.
class PrinterDevice {
public:
    virtual ~PrinterDevice() = default;

    // Names of the installed printers, in a stable order; the index selects one.
    virtual std::vector<std::string> Printers() = 0;
    virtual int PrinterIndex() = 0;            // -1 when no printer is installed
    virtual void SetPrinterIndex(int index) = 0;  // -1 selects the system's default printer
    virtual PrinterNames Names() = 0;

    // The selected printer's current settings record; none without a printer.
    virtual std::optional<DeviceMode> GetDeviceMode() = 0;
    // Lets the driver check a changed record: unsupported values are replaced by supported
    // ones and `fields` is set to what the printer supports. False when it rejects the record.
    virtual bool MergeDeviceMode(DeviceMode& mode) = 0;
    // The printer uses this record from now on (for documents begun later).
    virtual void SetDeviceMode(const DeviceMode& mode) = 0;
    // The paper codes the printer offers.
    virtual std::vector<int> PaperCodes() = 0;

    // Resolution, physical page and offsets of the selected paper and orientation.
    virtual DeviceCaps Caps() = 0;
    // The printable page in device pixels.
    virtual int PageWidth() = 0;
    virtual int PageHeight() = 0;

    // The document's title (UTF-8), which the print queue shows.
    virtual void SetTitle(const std::string& title) = 0;
    // Document control; failures raise EPrinterError. A document reaches the printer only
    // when it ends; an aborted document prints nothing.
    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;
    virtual bool Printing() = 0;
    // The canvas of the current page, valid while printing.
    virtual Canvas& PageCanvas() = 0;
};

// Where printer objects come from.
class PrinterSystem {
public:
    virtual ~PrinterSystem() = default;
    virtual std::unique_ptr<PrinterDevice> CreatePrinter() = 0;
    // The program-wide shared printer object.
    virtual PrinterDevice& SharedPrinter() = 0;
};

}  // namespace quillon
