#include "tests/output/fake_printer.h"

#include "platform/core/page_picture.h"

namespace quillon::testing {

// Draws nothing; remembers the pictures stretched onto the page.
class FakePrinterDevice::PageCanvasImpl : public Canvas {
public:
    explicit PageCanvasImpl(FakePrinterDevice& device) : device_(device) {}

    DeviceCaps Caps() const override { return device_.setup_.caps; }
    void SetFont(const FontSpec& font) override { font_ = font; }
    const FontSpec& Font() const override { return font_; }
    FontMetrics Metrics() override { return {10, 3}; }
    Size TextExtentW(std::u16string_view text) override {
        return {static_cast<int>(text.size()) * 8, 13};
    }
    void SetTextAlign(unsigned flags) override { align_ = flags; }
    unsigned TextAlign() const override { return align_; }
    void SetBackgroundTransparent(bool) override {}
    void SetBackgroundColor(Color) override {}
    void TextOutW(int, int, std::u16string_view text, const int*, unsigned, const Rect*) override {
        std::string narrow;
        for (const char16_t c : text) narrow += static_cast<char>(c);
        device_.texts_.push_back({device_.page_, narrow});
    }
    void SetClipRect(const Rect&) override {}
    void RemoveClip() override {}
    void SetPen(const Pen& pen) override { pen_ = pen; }
    const Pen& CurrentPen() const override { return pen_; }
    void SetBrush(const Brush& brush) override { brush_ = brush; }
    const Brush& CurrentBrush() const override { return brush_; }
    void FillRect(const Rect&) override {}
    void Rectangle(const Rect&) override {}
    void Ellipse(const Rect&) override {}
    void RoundRect(const Rect&, int, int) override {}
    void MoveTo(Point) override {}
    void LineTo(Point) override {}
    void DrawPicture(const PagePicture& picture, const Rect& target) override {
        device_.drawn_.push_back({device_.page_, picture.Bytes(), target});
    }

private:
    FakePrinterDevice& device_;
    FontSpec font_;
    Pen pen_;
    Brush brush_;
    unsigned align_ = 0;
};

FakePrinterDevice::FakePrinterDevice(FakePrinterSetup setup)
    : setup_(std::move(setup)),
      index_(setup_.printers.empty() ? -1 : 0),
      canvas_(std::make_unique<PageCanvasImpl>(*this)) {}

FakePrinterDevice::~FakePrinterDevice() = default;

void FakePrinterDevice::SetPrinterIndex(int index) {
    if (index < -1 || index >= static_cast<int>(setup_.printers.size())) {
        throw EPrinterError("Printer index out of range");
    }
    index_ = index < 0 && !setup_.printers.empty() ? 0 : index;
}

PrinterNames FakePrinterDevice::Names() {
    if (index_ < 0) return {};
    return {setup_.printers[static_cast<std::size_t>(index_)], "/usr/lib/fake/driver.so", "fake:/"};
}

bool FakePrinterDevice::MergeDeviceMode(DeviceMode& mode) {
    if (!setup_.mode || !setup_.acceptsRecords) return false;
    mode.fields = setup_.mode->fields;
    return true;
}

void FakePrinterDevice::SetDeviceMode(const DeviceMode& mode) {
    if (printing_) throw EPrinterError("Printing in progress");
    applied_.push_back(mode);
    if (setup_.mode) setup_.mode = mode;
}

void FakePrinterDevice::BeginDoc() {
    if (printing_) throw EPrinterError("Printing in progress");
    if (setup_.printers.empty()) throw EPrinterError("No printer is installed");
    if (setup_.failOnBeginDoc) throw EPrinterError("Printer \"Fake\" is not available");
    calls_.push_back("BeginDoc " + title_);
    printing_ = true;
    page_ = 1;
    newPages_ = 0;
}

void FakePrinterDevice::NewPage() {
    if (!printing_) throw EPrinterError("Printer is not currently printing");
    if (++newPages_ == setup_.failOnNewPage) throw EPrinterError("The printer went away");
    calls_.push_back("NewPage");
    ++page_;
}

void FakePrinterDevice::EndDoc() {
    if (!printing_) return;
    if (setup_.failOnEndDoc) throw EPrinterError("Printer \"Fake\" did not take the document");
    calls_.push_back("EndDoc");
    printing_ = false;
}

void FakePrinterDevice::Abort() {
    if (!printing_) return;
    calls_.push_back("Abort");
    printing_ = false;
}

Canvas& FakePrinterDevice::PageCanvas() {
    if (!printing_) throw EPrinterError("Printer is not currently printing");
    return *canvas_;
}

FakePrinterSystem::FakePrinterSystem(FakePrinterSetup setup) : setup_(std::move(setup)) {}

FakePrinterSystem::~FakePrinterSystem() = default;

std::unique_ptr<PrinterDevice> FakePrinterSystem::CreatePrinter() {
    auto printer = std::make_unique<FakePrinterDevice>(setup_);
    last_ = printer.get();
    return printer;
}

PrinterDevice& FakePrinterSystem::SharedPrinter() {
    return Shared();
}

FakePrinterDevice& FakePrinterSystem::Shared() {
    if (!shared_) shared_ = std::make_unique<FakePrinterDevice>(setup_);
    return *shared_;
}

}  // namespace quillon::testing
