#include "platform/qt/qt_printer.h"

#include <cups/cups.h>

#include <QPrinter>

#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "pdf/pdf_document.h"
#include "platform/core/rounding.h"
#include "platform/files/in_out_error.h"
#include "platform/files/temporary_file.h"
#include "platform/qt/paper_codes.h"
#include "platform/qt/qt_glyph_source.h"
#include "platform/qt/qt_text_measurer.h"

namespace quillon {

namespace {

constexpr int kMaxCopies = 9999;

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

bool Contains(const QList<QPrinter::DuplexMode>& modes, QPrinter::DuplexMode mode) {
    return modes.contains(mode);
}

int DuplexCode(QPrinter::DuplexMode mode) {
    switch (mode) {
        case QPrinter::DuplexLongSide:
            return 2;
        case QPrinter::DuplexShortSide:
            return 3;
        default:
            return 1;
    }
}

// Tenths of a millimetre of a page size, portrait.
std::pair<int, int> TenthsOfMillimetre(const QPageSize& size) {
    const QSizeF mm = size.size(QPageSize::Millimeter);
    return {static_cast<int>(RoundHalfEven(mm.width() * 10)),
            static_cast<int>(RoundHalfEven(mm.height() * 10))};
}

std::string Decimal(double value) {
    return QString::number(value, 'f', 1).toStdString();
}

}  // namespace

// The PDF writer's bytes into the spool file; a failed write ends the document with the
// printer's error.
class SpoolSink : public PdfSink {
public:
    SpoolSink(posix::File& spool, const std::string& printer) : spool_(spool), printer_(printer) {}

    void Write(const char* data, std::size_t size) override {
        try {
            spool_.WriteAll(data, size);
        } catch (const EInOutError& e) {
            throw EPrinterError("Cannot write the spool file for printer \"" + printer_ +
                                "\": " + std::strerror(e.SystemError()));
        }
    }

private:
    posix::File& spool_;
    std::string printer_;
};

QtPrinterDevice::QtPrinterDevice() {
    Printers();
    SetPrinterIndex(-1);
}

QtPrinterDevice::~QtPrinterDevice() {
    CloseDocument();
}

std::vector<std::string> QtPrinterDevice::Printers() {
    printers_.clear();
    for (const QString& name : QPrinterInfo::availablePrinterNames()) {
        printers_.push_back(name.toStdString());
    }
    return printers_;
}

int QtPrinterDevice::PrinterIndex() {
    const auto found = std::find(printers_.begin(), printers_.end(), name_);
    return name_.empty() || found == printers_.end() ? -1
                                                     : static_cast<int>(found - printers_.begin());
}

void QtPrinterDevice::SetPrinterIndex(int index) {
    CheckNotPrinting();
    if (index < -1 || index >= static_cast<int>(printers_.size())) {
        throw EPrinterError("Printer index out of range");
    }
    if (index >= 0) {
        SelectPrinter(printers_[static_cast<std::size_t>(index)]);
        return;
    }
    std::string name = QPrinterInfo::defaultPrinterName().toStdString();
    if (name.empty() && !printers_.empty()) name = printers_.front();
    SelectPrinter(name);
}

void QtPrinterDevice::SelectPrinter(const std::string& name) {
    CheckNotPrinting();
    name_ = name;
    info_ = name.empty() ? QPrinterInfo() : QPrinterInfo::printerInfo(ToQString(name));
    names_ = {name, {}, {}};
    slots_ = {};
    if (HasPrinter()) {
        names_.driver = info_.makeAndModel().toStdString();
        if (cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.c_str(), nullptr)) {
            if (const char* uri = cupsGetOption("device-uri", dest->num_options, dest->options)) {
                names_.port = uri;
            }
            cupsFreeDests(1, dest);
        }
        slots_ = InputSlots::OfPrinter(name);
    }
    mode_ = DefaultMode();
    UpdateLayout();
}

PrinterNames QtPrinterDevice::Names() {
    return names_;
}

std::uint32_t QtPrinterDevice::SupportedFields() const {
    std::uint32_t fields = DeviceMode::kOrientation | DeviceMode::kPaperSize | DeviceMode::kCopies |
                           DeviceMode::kCollate;
    if (info_.supportsCustomPageSizes())
        fields |= DeviceMode::kPaperLength | DeviceMode::kPaperWidth;
    const QList<QPrinter::DuplexMode> duplex = info_.supportedDuplexModes();
    if (Contains(duplex, QPrinter::DuplexLongSide) || Contains(duplex, QPrinter::DuplexShortSide)) {
        fields |= DeviceMode::kDuplex;
    }
    const QList<QPrinter::ColorMode> colors = info_.supportedColorModes();
    if (colors.contains(QPrinter::Color) && colors.contains(QPrinter::GrayScale)) {
        fields |= DeviceMode::kColor;
    }
    if (!info_.supportedResolutions().isEmpty()) fields |= DeviceMode::kPrintQuality;
    if (slots_.CanSelectBins()) fields |= DeviceMode::kDefaultSource;
    return fields;
}

DeviceMode QtPrinterDevice::DefaultMode() const {
    DeviceMode mode;
    if (!HasPrinter()) return mode;
    mode.fields = SupportedFields();
    const QPageSize size = info_.defaultPageSize();
    mode.paperSize = PaperCodeOfPageSize(size).value_or(kPaperCustom);
    std::tie(mode.paperWidth, mode.paperLength) =
        TenthsOfMillimetre(size.isValid() ? size : QPageSize(QPageSize::A4));
    mode.collate = 1;
    mode.duplex = DuplexCode(info_.defaultDuplexMode());
    if ((mode.fields & DeviceMode::kColor) != 0) {
        mode.color = info_.defaultColorMode() == QPrinter::Color ? 2 : 1;
    }
    mode.defaultSource = slots_.DefaultBin().value_or(7);
    return mode;
}

std::optional<DeviceMode> QtPrinterDevice::GetDeviceMode() {
    if (!HasPrinter()) return std::nullopt;
    return mode_;
}

bool QtPrinterDevice::MergeDeviceMode(DeviceMode& mode) {
    if (!HasPrinter()) return false;
    const std::uint32_t fields = SupportedFields();
    mode.fields = fields;

    if (mode.orientation != 1 && mode.orientation != 2) mode.orientation = mode_.orientation;

    const bool custom = mode.paperSize == kPaperCustom && info_.supportsCustomPageSizes();
    bool paperTaken = custom ? FitsCustom(mode) : Offers(mode.paperSize);
    if (!paperTaken) {
        mode.paperSize = mode_.paperSize;
        mode.paperWidth = mode_.paperWidth;
        mode.paperLength = mode_.paperLength;
    }
    if (mode.paperSize != kPaperCustom) {
        std::tie(mode.paperWidth, mode.paperLength) = TenthsOfMillimetre(PageSizeFor(mode));
    }

    mode.copies = std::clamp(mode.copies, 1, kMaxCopies);
    if (mode.collate != 0 && mode.collate != 1) mode.collate = mode_.collate;

    const QList<QPrinter::DuplexMode> duplex = info_.supportedDuplexModes();
    if ((fields & DeviceMode::kDuplex) == 0 || mode.duplex < 1 || mode.duplex > 3 ||
        (mode.duplex == 2 && !Contains(duplex, QPrinter::DuplexLongSide)) ||
        (mode.duplex == 3 && !Contains(duplex, QPrinter::DuplexShortSide))) {
        mode.duplex = (fields & DeviceMode::kDuplex) != 0 ? mode_.duplex : 1;
    }

    if ((fields & DeviceMode::kColor) == 0 || mode.color < 0 || mode.color > 2) mode.color = 0;

    const QList<int> resolutions = info_.supportedResolutions();
    if ((fields & DeviceMode::kPrintQuality) == 0 || mode.printQuality < -4 ||
        (mode.printQuality > 0 && !resolutions.contains(mode.printQuality))) {
        mode.printQuality = 0;
    }

    if ((fields & DeviceMode::kDefaultSource) == 0 || !slots_.ChoiceForBin(mode.defaultSource)) {
        mode.defaultSource = mode_.defaultSource;
    }
    return true;
}

void QtPrinterDevice::SetDeviceMode(const DeviceMode& mode) {
    CheckNotPrinting();
    DeviceMode merged = mode;
    if (!MergeDeviceMode(merged)) return;
    mode_ = merged;
    UpdateLayout();
}

bool QtPrinterDevice::Offers(int paperCode) const {
    const auto id = PageSizeOfPaperCode(paperCode);
    if (!id) return false;
    const QPageSize wanted(*id);
    const QList<QPageSize> offered = info_.supportedPageSizes();
    return std::any_of(offered.begin(), offered.end(), [&](const QPageSize& size) {
        return size.id() == *id || size.isEquivalentTo(wanted);
    });
}

bool QtPrinterDevice::FitsCustom(const DeviceMode& mode) const {
    if (mode.paperWidth <= 0 || mode.paperLength <= 0) return false;
    const QSizeF least = info_.minimumPhysicalPageSize().size(QPageSize::Millimeter);
    const QSizeF most = info_.maximumPhysicalPageSize().size(QPageSize::Millimeter);
    const double width = mode.paperWidth / 10.0;
    const double length = mode.paperLength / 10.0;
    if (least.isValid() && (width < least.width() || length < least.height())) return false;
    return !most.isValid() || (width <= most.width() && length <= most.height());
}

std::vector<int> QtPrinterDevice::PaperCodes() {
    std::vector<int> codes;
    if (!HasPrinter()) return codes;
    for (const QPageSize& size : info_.supportedPageSizes()) {
        const std::optional<int> code = PaperCodeOfPageSize(size);
        if (code && std::find(codes.begin(), codes.end(), *code) == codes.end())
            codes.push_back(*code);
    }
    std::sort(codes.begin(), codes.end());
    if (info_.supportsCustomPageSizes()) codes.push_back(kPaperCustom);
    return codes;
}

QPageSize QtPrinterDevice::PageSizeFor(const DeviceMode& mode) const {
    if (mode.paperSize == kPaperCustom && mode.paperWidth > 0 && mode.paperLength > 0) {
        return QPageSize(QSizeF(mode.paperWidth / 10.0, mode.paperLength / 10.0),
                         QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    }
    if (const auto id = PageSizeOfPaperCode(mode.paperSize)) {
        const QPageSize wanted(*id);
        // The printer's own entry carries the name its queue knows the paper by.
        const QList<QPageSize> offered = info_.supportedPageSizes();
        for (const QPageSize& size : offered) {
            if (size.id() == *id) return size;
        }
        for (const QPageSize& size : offered) {
            if (size.isEquivalentTo(wanted)) return size;
        }
        return wanted;
    }
    const QPageSize fallback = info_.defaultPageSize();
    return fallback.isValid() ? fallback : QPageSize(QPageSize::A4);
}

void QtPrinterDevice::UpdateLayout() {
    const QPageSize size = PageSizeFor(mode_);
    const QPageLayout::Orientation orientation =
        mode_.orientation == 2 ? QPageLayout::Landscape : QPageLayout::Portrait;
    QMarginsF margins;
    if (HasPrinter()) {
        // The unprintable margins of the paper as the queue's description states them.
        QPrinter probe(info_, QPrinter::HighResolution);
        probe.setPageSize(size);
        probe.setPageOrientation(orientation);
        margins = probe.pageLayout().minimumMargins();
        const QPageLayout::Unit unit = probe.pageLayout().units();
        if (unit != QPageLayout::Point) {
            const QPageLayout converted(size, orientation, margins, unit);
            margins = converted.marginsPoints();
        }
    }
    layout_ = QPageLayout(size, orientation, margins, QPageLayout::Point);
}

DeviceCaps QtPrinterDevice::Caps() {
    DeviceCaps caps;
    if (!HasPrinter()) return caps;
    const QRect full = layout_.fullRectPixels(kResolution);
    const QRect paint = layout_.paintRectPixels(kResolution);
    caps.dpiX = kResolution;
    caps.dpiY = kResolution;
    caps.physicalWidth = full.width();
    caps.physicalHeight = full.height();
    caps.physicalOffsetX = paint.x();
    caps.physicalOffsetY = paint.y();
    caps.colors = (SupportedFields() & DeviceMode::kColor) != 0 ? -1 : 2;
    return caps;
}

int QtPrinterDevice::PageWidth() {
    return HasPrinter() ? layout_.paintRectPixels(kResolution).width() : 0;
}

int QtPrinterDevice::PageHeight() {
    return HasPrinter() ? layout_.paintRectPixels(kResolution).height() : 0;
}

void QtPrinterDevice::CheckNotPrinting() const {
    if (document_) throw EPrinterError("Printing in progress");
}

void QtPrinterDevice::CheckAvailable() const {
    if (name_.empty()) throw EPrinterError("No printer is installed");
    const std::string unavailable = "Printer \"" + name_ + "\" is not available";
    const QPrinterInfo info = QPrinterInfo::printerInfo(ToQString(name_));
    if (info.isNull()) throw EPrinterError(unavailable);
    // A QPrinter that cannot reach its queue turns into a PDF writer or another printer.
    QPrinter probe(info, QPrinter::HighResolution);
    if (probe.outputFormat() != QPrinter::NativeFormat || !probe.isValid() ||
        probe.printerName() != ToQString(name_)) {
        throw EPrinterError(unavailable);
    }
}

void QtPrinterDevice::BeginDoc() {
    CheckNotPrinting();
    CheckAvailable();
    try {
        spool_ = CreateUnnamedFile(TemporaryDirectory(), "quillon-spool-");
    } catch (const EInOutError& e) {
        throw EPrinterError("Cannot create the spool file for printer \"" + name_ +
                            "\": " + std::strerror(e.SystemError()));
    }
    try {
        spoolSink_ = std::make_unique<SpoolSink>(spool_, name_);
        PdfDocument::Properties properties;
        properties.title = title_;
        if (!glyphs_) glyphs_ = std::make_unique<QtGlyphSource>();
        if (!measurer_) measurer_ = std::make_unique<QtTextMeasurer>();
        document_ = std::make_unique<PdfDocument>(*spoolSink_, *glyphs_, *measurer_, properties);
        StartPage();
    } catch (...) {
        Abort();
        throw;
    }
}

void QtPrinterDevice::StartPage() {
    const QRectF paper = layout_.fullRect(QPageLayout::Point);
    document_->NewPage(paper.width(), paper.height(), Caps());
}

void QtPrinterDevice::NewPage() {
    if (!Printing()) throw EPrinterError("Printer is not currently printing");
    StartPage();
}

bool QtPrinterDevice::Printing() {
    return document_ != nullptr;
}

Canvas& QtPrinterDevice::PageCanvas() {
    if (!Printing()) throw EPrinterError("Printer is not currently printing");
    return document_->PageCanvas();
}

void QtPrinterDevice::CloseDocument() {
    document_.reset();
    spoolSink_.reset();
}

void QtPrinterDevice::Abort() {
    CloseDocument();
    spool_ = posix::File();
}

std::vector<std::pair<std::string, std::string>> QtPrinterDevice::JobOptions() const {
    std::vector<std::pair<std::string, std::string>> options;
    const QPageSize size = PageSizeFor(mode_);
    if (mode_.paperSize == kPaperCustom) {
        options.emplace_back("media", "Custom." + Decimal(mode_.paperWidth / 10.0) + "x" +
                                          Decimal(mode_.paperLength / 10.0) + "mm");
    } else {
        options.emplace_back("media", size.key().toStdString());
    }
    options.emplace_back("orientation-requested", mode_.orientation == 2 ? "4" : "3");
    options.emplace_back("copies", std::to_string(mode_.copies));
    if (mode_.copies > 1) options.emplace_back("collate", mode_.collate != 0 ? "true" : "false");
    const std::uint32_t fields = SupportedFields();
    if ((fields & DeviceMode::kDuplex) != 0) {
        options.emplace_back("sides", mode_.duplex == 2   ? "two-sided-long-edge"
                                      : mode_.duplex == 3 ? "two-sided-short-edge"
                                                          : "one-sided");
    }
    if ((fields & DeviceMode::kColor) != 0 && mode_.color != 0) {
        options.emplace_back("print-color-mode", mode_.color == 2 ? "color" : "monochrome");
    }
    if ((fields & DeviceMode::kPrintQuality) != 0 && mode_.printQuality < 0) {
        // Draft and low, medium, high.
        options.emplace_back("print-quality", mode_.printQuality >= -2   ? "3"
                                              : mode_.printQuality == -3 ? "4"
                                                                         : "5");
    } else if ((fields & DeviceMode::kPrintQuality) != 0 && mode_.printQuality > 0) {
        options.emplace_back("printer-resolution", std::to_string(mode_.printQuality) + "dpi");
    }
    if ((fields & DeviceMode::kDefaultSource) != 0) {
        if (const auto slot = slots_.ChoiceForBin(mode_.defaultSource)) {
            options.emplace_back("InputSlot", *slot);
        }
    }
    return options;
}

void QtPrinterDevice::EndDoc() {
    if (!Printing()) return;
    try {
        document_->Finish();
    } catch (...) {
        Abort();
        throw;
    }
    CloseDocument();
    SubmitSpool();
}

// Streams the spool file to the queue as one PDF document of a new job. A job that cannot be
// completed is cancelled, so that nothing half-sent prints.
void QtPrinterDevice::SubmitSpool() {
    const posix::File spool = std::move(spool_);
    const auto jobOptions = JobOptions();
    cups_option_t* options = nullptr;
    int count = 0;
    for (const auto& [name, value] : jobOptions) {
        count = cupsAddOption(name.c_str(), value.c_str(), count, &options);
    }
    const char* title = title_.empty() ? "Quillon" : title_.c_str();
    const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, name_.c_str(), title, count, options);
    cupsFreeOptions(count, options);
    const std::string refused = "Printer \"" + name_ + "\" did not take the document: ";
    if (job == 0) throw EPrinterError(refused + cupsLastErrorString());

    http_status_t status =
        cupsStartDocument(CUPS_HTTP_DEFAULT, name_.c_str(), job, title, CUPS_FORMAT_PDF, 1);
    std::vector<char> buffer(64 * 1024);
    off_t offset = 0;
    int readError = 0;
    while (status == HTTP_STATUS_CONTINUE) {
        const ssize_t n = ::pread(spool.Descriptor(), buffer.data(), buffer.size(), offset);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) readError = errno;
        if (n <= 0) break;
        offset += n;
        status =
            cupsWriteRequestData(CUPS_HTTP_DEFAULT, buffer.data(), static_cast<std::size_t>(n));
    }
    const ipp_status_t finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, name_.c_str());
    if (readError == 0 && status == HTTP_STATUS_CONTINUE &&
        finished <= IPP_STATUS_OK_EVENTS_COMPLETE) {
        return;
    }
    const std::string why = readError != 0 ? std::strerror(readError) : cupsLastErrorString();
    cupsCancelJob2(CUPS_HTTP_DEFAULT, name_.c_str(), job, 0);
    throw EPrinterError(refused + why);
}

std::unique_ptr<PrinterDevice> QtPrinterSystem::CreatePrinter() {
    return std::make_unique<QtPrinterDevice>();
}

PrinterDevice& QtPrinterSystem::SharedPrinter() {
    if (!shared_) shared_ = std::make_unique<QtPrinterDevice>();
    return *shared_;
}

}  // namespace quillon
