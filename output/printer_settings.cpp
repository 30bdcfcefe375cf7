#include "output/printer_settings.h"

#include "platform/core/rounding.h"
#include "platform/core/services.h"

namespace quillon {

namespace {

constexpr std::size_t kMaxDriverName = 63;

// Device pixels to tenths of a millimetre at `dpi`.
std::int32_t PixelsToTenths(int pixels, int dpi) {
    if (dpi <= 0) return 0;
    return RoundHalfEven32(static_cast<long double>(pixels) / dpi * 254);
}

// The driver's file name without its folder, as short as a driver name field holds.
std::string DriverFileName(const std::string& driver) {
    const auto slash = driver.find_last_of("/\\");
    std::string name = slash == std::string::npos ? driver : driver.substr(slash + 1);
    if (name.size() > kMaxDriverName) name.resize(kMaxDriverName);
    return name;
}

}  // namespace

int DuplexCodeFor(bool duplex, std::int32_t extendedDuplex) {
    if (extendedDuplex != 0) return extendedDuplex;
    return duplex ? 3 : 1;
}

void TPrinterSettings::AttachPrinter(PrinterDevice* printer) {
    printer_ = printer;
    if (printer_ != nullptr && !printer_->Printers().empty()) ReadFromDevice();
}

std::optional<DeviceMode> TPrinterSettings::DeviceRecord() const {
    if (printer_ == nullptr) return std::nullopt;
    return printer_->GetDeviceMode();
}

bool TPrinterSettings::Supports(std::uint32_t field) const {
    const std::optional<DeviceMode> mode = DeviceRecord();
    return mode.has_value() && (mode->fields & field) != 0;
}

bool TPrinterSettings::Accepts(std::uint32_t field) const {
    const std::optional<DeviceMode> mode = DeviceRecord();
    return !mode.has_value() || (mode->fields & field) != 0;
}

void TPrinterSettings::ReadFromDevice() {
    if (printer_ == nullptr) return;
    Platform().messages->ProcessMessages();
    const PrinterNames names = printer_->Names();
    std::optional<DeviceMode> record = printer_->GetDeviceMode();
    if (!record) return;
    device_ = names.device;
    driver_ = DriverFileName(names.driver);
    port_ = names.port;

    DeviceMode mode = *record;
    if (OnReadSettings) {
        bool cancel = false;
        OnReadSettings(*this, cancel, mode);
        if (cancel) return;
    }

    const DeviceCaps caps = printer_->Caps();
    horizontalResolution_ = caps.dpiX;
    verticalResolution_ = caps.dpiY;
    copies_ = (mode.fields & DeviceMode::kCopies) != 0 ? mode.copies : 1;
    outputBin_ = TQRBin::First;
    if ((mode.fields & DeviceMode::kDefaultSource) != 0) {
        outputBin_ = BinFromCode(mode.defaultSource).value_or(TQRBin::First);
    }
    if ((mode.fields & DeviceMode::kDuplex) != 0) {
        duplex_ = mode.duplex != 1;
        extendedDuplex_ = mode.duplex;
    }
    unprintableLeft_ = PixelsToTenths(caps.physicalOffsetX, caps.dpiX);
    unprintableTop_ = PixelsToTenths(caps.physicalOffsetY, caps.dpiY);
    paperSize_ = TQRPaperSize::Default;
    if ((mode.fields & DeviceMode::kPaperSize) != 0) {
        paperSize_ = PaperSizeFromCode(mode.paperSize).value_or(TQRPaperSize::Default);
    }
    sheetWidth_ = PixelsToTenths(caps.physicalWidth, caps.dpiX);
    sheetLength_ = PixelsToTenths(caps.physicalHeight, caps.dpiY);
    supported_.fill(false);
    for (const int code : printer_->PaperCodes()) {
        if (const auto size = PaperSizeFromCode(code); size && *size != TQRPaperSize::Default) {
            supported_[static_cast<std::size_t>(*size)] = true;
        }
    }
    printQuality_ = mode.printQuality;
    collate_ = mode.collate;
    colorOption_ = mode.color;
}

void TPrinterSettings::WriteToDevice() {
    if (printer_ == nullptr) return;
    std::optional<DeviceMode> record = printer_->GetDeviceMode();
    if (!record) return;
    DeviceMode copy = *record;
    const bool accepted = printer_->MergeDeviceMode(copy);

    copy.duplex = DuplexCodeFor(duplex_, extendedDuplex_);
    copy.orientation = orientation_ == TPrinterOrientation::poLandscape ? 2 : 1;
    copy.defaultSource = useCustomBinCode_ ? customBinCode_ : BinCode(outputBin_);
    copy.paperSize = useCustomPaperCode_ ? customPaperCode_ : PaperCode(paperSize_);
    if (copy.paperSize == PaperCode(TQRPaperSize::Custom)) {
        // A custom sheet means nothing to the printer without its size.
        copy.paperWidth = sheetWidth_;
        copy.paperLength = sheetLength_;
    }
    copy.copies = copies_;
    copy.printQuality = printQuality_;
    copy.collate = collate_;
    copy.color = colorOption_;

    if (!accepted) return;
    if (OnApplySettings) {
        bool cancel = false;
        OnApplySettings(*this, cancel, copy);
        if (cancel) return;
    }
    printer_->SetDeviceMode(copy);
}

bool TPrinterSettings::SetCopies(std::int32_t copies) {
    if (!Accepts(DeviceMode::kCopies)) return false;
    copies_ = copies;
    return true;
}

bool TPrinterSettings::SetOrientation(TPrinterOrientation orientation) {
    if (!Accepts(DeviceMode::kOrientation)) return false;
    orientation_ = orientation;
    return true;
}

bool TPrinterSettings::SetDuplex(bool duplex) {
    if (!Accepts(DeviceMode::kDuplex)) return false;
    duplex_ = duplex;
    return true;
}

bool TPrinterSettings::SetOutputBin(TQRBin bin) {
    if (!Accepts(DeviceMode::kDefaultSource)) return false;
    outputBin_ = bin;
    return true;
}

bool TPrinterSettings::SetPaperSize(TQRPaperSize size) {
    if (size != TQRPaperSize::Default && DeviceRecord().has_value() && !PaperSupported(size)) {
        return false;
    }
    paperSize_ = size;
    return true;
}

bool TPrinterSettings::PaperSupported(TQRPaperSize size) const {
    return supported_[static_cast<std::size_t>(size)];
}

std::int32_t TPrinterSettings::SheetWidth() const {
    if (const auto tenths = PaperSizeInTenths(paperSize_)) return tenths->width;
    return sheetWidth_;
}

std::int32_t TPrinterSettings::SheetLength() const {
    if (const auto tenths = PaperSizeInTenths(paperSize_)) return tenths->length;
    return sheetLength_;
}

}  // namespace quillon
