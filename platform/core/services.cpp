#include "platform/core/services.h"

#include "platform/core/page_picture.h"

#include <stdexcept>

namespace quillon {

namespace {

class NoPrinter : public PrinterDevice {
public:
    std::vector<std::string> Printers() override { return {}; }
    int PrinterIndex() override { return -1; }
    void SetPrinterIndex(int) override {}
    PrinterNames Names() override { return {}; }
    std::optional<DeviceMode> GetDeviceMode() override { return std::nullopt; }
    bool MergeDeviceMode(DeviceMode&) override { return false; }
    void SetDeviceMode(const DeviceMode&) override {}
    std::vector<int> PaperCodes() override { return {}; }
    DeviceCaps Caps() override { return {}; }
    int PageWidth() override { return 0; }
    int PageHeight() override { return 0; }
    void SetTitle(const std::string&) override {}
    void BeginDoc() override { throw EPrinterError("No printer is installed"); }
    void NewPage() override { throw EPrinterError("No printer is installed"); }
    void EndDoc() override {}
    void Abort() override {}
    bool Printing() override { return false; }
    Canvas& PageCanvas() override { throw EPrinterError("No printer is installed"); }
};

class NoPrinters : public PrinterSystem {
public:
    std::unique_ptr<PrinterDevice> CreatePrinter() override { return std::make_unique<NoPrinter>(); }
    PrinterDevice& SharedPrinter() override { return shared_; }

private:
    NoPrinter shared_;
};

class NoGlyphs : public GlyphSource {
public:
    void Glyphs(const FontSpec&, std::u16string_view text, std::vector<SourceGlyph>& out) override {
        out.assign(text.size(), SourceGlyph{-1, 0, false});
    }
    const FontProgram& Program(int) override { throw std::out_of_range("No font programs"); }
};

class NoShell : public Shell {
public:
    bool Open(const std::string&) override { return false; }
};

// Measures through the installed measurer at the reference resolution; drawing does nothing.
class MeasuringCanvas : public Canvas {
public:
    DeviceCaps Caps() const override { return {}; }
    void SetFont(const FontSpec& font) override { font_ = font; }
    const FontSpec& Font() const override { return font_; }
    FontMetrics Metrics() override { return Platform().measurer->Metrics(font_, kScreenPixelsPerInch); }
    Size TextExtentW(std::u16string_view text) override {
        return {Platform().measurer->Advances(font_, kScreenPixelsPerInch, text, nullptr), Metrics().Height()};
    }
    void SetTextAlign(unsigned flags) override { align_ = flags; }
    unsigned TextAlign() const override { return align_; }
    void SetBackgroundTransparent(bool) override {}
    void SetBackgroundColor(Color) override {}
    void TextOutW(int, int, std::u16string_view, const int*, unsigned, const Rect*) override {}
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
    void DrawPicture(const PagePicture&, const Rect&) override {}

private:
    FontSpec font_;
    Pen pen_;
    Brush brush_;
    unsigned align_ = 0;
};

struct Defaults {
    FixedPitchMeasurer measurer;
    SimpleMessageQueue messages;
    NoPrinters printers;
    NoShell shell;
    NoGlyphs glyphs;
};

Defaults& HeadlessDefaults() {
    static Defaults defaults;
    return defaults;
}

PlatformServices& Current() {
    static PlatformServices services = [] {
        Defaults& d = HeadlessDefaults();
        return PlatformServices{&d.measurer, &d.messages, &d.printers, &d.shell, -1, &d.glyphs};
    }();
    return services;
}

}  // namespace

const PlatformServices& Platform() { return Current(); }

void InstallPlatform(const PlatformServices& services) {
    Defaults& d = HeadlessDefaults();
    PlatformServices& current = Current();
    current.measurer = services.measurer != nullptr ? services.measurer : &d.measurer;
    current.messages = services.messages != nullptr ? services.messages : &d.messages;
    current.printers = services.printers != nullptr ? services.printers : &d.printers;
    current.shell = services.shell != nullptr ? services.shell : &d.shell;
    current.screenColors = services.screenColors;
    current.glyphs = services.glyphs != nullptr ? services.glyphs : &d.glyphs;
}

std::unique_ptr<Canvas> CreateMeasuringCanvas() { return std::make_unique<MeasuringCanvas>(); }

}  // namespace quillon
