#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "output/paper.h"
#include "platform/core/printer.h"

namespace quillon {

// The device settings of one report printer: what the selected printer has, what the report
// wants, and the checks between the two. Values are read from the printer's settings record
// when a printer is attached, changed by the report, and written back into a copy of the
// record that the printer then uses.
//
// Wishes are checked against the attached printer's field mask and paper list; a wish the
// printer does not support is dropped without a message. With no printer attached (or one
// without a settings record) there is nothing to check against, so wishes are kept as they
// are: a machine without printers still records and saves pages in the report's paper and
// orientation.
class TPrinterSettings {
public:
    // Called before settings are read from, or written to, the device. Setting `cancel`
    // skips the step; `mode` is the record being read or the changed copy about to be
    // handed to the printer, and may be changed.
    using PrinterEvent =
        std::function<void(TPrinterSettings& sender, bool& cancel, DeviceMode& mode)>;

    TPrinterSettings() = default;
    TPrinterSettings(const TPrinterSettings&) = delete;
    TPrinterSettings& operator=(const TPrinterSettings&) = delete;

    // Stores the printer (not owned; may be null) and, when it has at least one printer,
    // reads its settings.
    void AttachPrinter(PrinterDevice* printer);
    PrinterDevice* Printer() const { return printer_; }

    void ReadFromDevice();
    void WriteToDevice();

    // True when a printer is attached and its record's field mask holds `field`
    // (DeviceMode::kOrientation, kPaperSize, kCopies, kDefaultSource, kDuplex).
    bool Supports(std::uint32_t field) const;

    // Names of the printer the settings were last read from.
    const std::string& DeviceName() const { return device_; }
    const std::string& DriverName() const { return driver_; }
    const std::string& PortName() const { return port_; }

    // Setters that return whether the wish was taken.
    bool SetCopies(std::int32_t copies);
    bool SetOrientation(TPrinterOrientation orientation);
    bool SetDuplex(bool duplex);
    bool SetOutputBin(TQRBin bin);
    // A size the printer offers is taken, Default always; returns whether it was taken.
    bool SetPaperSize(TQRPaperSize size);

    std::int32_t Copies() const { return copies_; }
    TPrinterOrientation Orientation() const { return orientation_; }
    bool Duplex() const { return duplex_; }
    TQRBin OutputBin() const { return outputBin_; }
    TQRPaperSize PaperSize() const { return paperSize_; }
    bool PaperSupported(TQRPaperSize size) const;

    // The sheet in tenths of a millimetre, portrait: for Default and Custom the stored values
    // (the device's paper, or the custom size), otherwise the paper table's.
    std::int32_t SheetWidth() const;
    std::int32_t SheetLength() const;
    void SetSheetWidth(std::int32_t tenths) { sheetWidth_ = tenths; }
    void SetSheetLength(std::int32_t tenths) { sheetLength_ = tenths; }

    std::int32_t HorizontalResolution() const { return horizontalResolution_; }
    std::int32_t VerticalResolution() const { return verticalResolution_; }
    std::int32_t UnprintableLeft() const { return unprintableLeft_; }
    std::int32_t UnprintableTop() const { return unprintableTop_; }

    std::int32_t ExtendedDuplex() const { return extendedDuplex_; }
    void SetExtendedDuplex(std::int32_t code) { extendedDuplex_ = code; }
    bool UseCustomBinCode() const { return useCustomBinCode_; }
    void SetUseCustomBinCode(bool use) { useCustomBinCode_ = use; }
    std::int32_t CustomBinCode() const { return customBinCode_; }
    void SetCustomBinCode(std::int32_t code) { customBinCode_ = code; }
    bool UseCustomPaperCode() const { return useCustomPaperCode_; }
    void SetUseCustomPaperCode(bool use) { useCustomPaperCode_ = use; }
    std::int32_t CustomPaperCode() const { return customPaperCode_; }
    void SetCustomPaperCode(std::int32_t code) { customPaperCode_ = code; }
    std::int32_t PrintQuality() const { return printQuality_; }
    void SetPrintQuality(std::int32_t quality) { printQuality_ = quality; }
    std::int32_t Collate() const { return collate_; }
    void SetCollate(std::int32_t collate) { collate_ = collate; }
    std::int32_t ColorOption() const { return colorOption_; }
    void SetColorOption(std::int32_t option) { colorOption_ = option; }
    bool UseStandardPrinter() const { return useStandardPrinter_; }
    void SetUseStandardPrinter(bool use) { useStandardPrinter_ = use; }
    bool PrintMetaFile() const { return printMetaFile_; }
    void SetPrintMetaFile(bool print) { printMetaFile_ = print; }
    std::int32_t MemoryLimit() const { return memoryLimit_; }
    void SetMemoryLimit(std::int32_t limit) { memoryLimit_ = limit; }

    PrinterEvent OnReadSettings;   // before reading from the device
    PrinterEvent OnApplySettings;  // before the changed record goes to the printer

private:
    // Whether a wish for `field` can be taken: always without a record to check against.
    bool Accepts(std::uint32_t field) const;
    std::optional<DeviceMode> DeviceRecord() const;

    PrinterDevice* printer_ = nullptr;  // not owned
    std::string device_;
    std::string driver_;
    std::string port_;

    std::int32_t copies_ = 1;
    bool duplex_ = false;
    std::int32_t extendedDuplex_ = 0;
    TPrinterOrientation orientation_ = TPrinterOrientation::poPortrait;
    TQRBin outputBin_ = TQRBin::First;
    TQRPaperSize paperSize_ = TQRPaperSize::A4;
    std::array<bool, kPaperSizeCount> supported_{};  // by TQRPaperSize; Default unused
    std::int32_t sheetWidth_ = 0;
    std::int32_t sheetLength_ = 0;
    std::int32_t horizontalResolution_ = 0;
    std::int32_t verticalResolution_ = 0;
    std::int32_t unprintableLeft_ = 0;
    std::int32_t unprintableTop_ = 0;
    bool useCustomBinCode_ = false;
    std::int32_t customBinCode_ = 0;
    bool useCustomPaperCode_ = false;
    std::int32_t customPaperCode_ = 0;
    std::int32_t printQuality_ = 0;
    std::int32_t collate_ = 0;
    std::int32_t colorOption_ = 0;
    bool useStandardPrinter_ = false;
    bool printMetaFile_ = false;
    std::int32_t memoryLimit_ = 250000;
};

// Device duplex code for the wishes: the extended code when set, else 3 for two-sided, else 1.
int DuplexCodeFor(bool duplex, std::int32_t extendedDuplex);

}  // namespace quillon
