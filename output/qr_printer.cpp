#include "output/qr_printer.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "output/qr_page_export.h"
#include "output/qr_page_list.h"
#include "output/qr_preview_interface.h"
#include "output/qr_stream.h"
#include "platform/core/cp1251.h"
#include "platform/core/emf_recorder.h"
#include "platform/core/file_name_text.h"
#include "platform/core/printer.h"
#include "platform/core/rounding.h"
#include "platform/core/services.h"

namespace quillon {

namespace {

const char* const kNotReady = "QRPrinter not ready";
const char* const kIllegalNewPage = "Illegal call to NewPage";
const char* const kNoPages = "The report has no pages";

constexpr long double kScreenFactor = static_cast<long double>(kScreenPixelsPerInch) / 254;

long double DeviceFactor(int dpi) {
    return static_cast<long double>(dpi) / 254;
}

// A window referred to but not owned: usable only while it exists.
template <typename T>
class WindowRef {
public:
    void Set(T* window) {
        window_ = window;
        token_ = window != nullptr ? window->Token() : std::weak_ptr<MessageTarget*>();
    }
    T* Get() const { return token_.expired() ? nullptr : window_; }

private:
    T* window_ = nullptr;
    std::weak_ptr<MessageTarget*> token_;
};

struct LinkHandlerEntry {
    std::string prefix;
    InternalLinkHandler handler;
};

std::vector<LinkHandlerEntry>& LinkHandlers() {
    static std::vector<LinkHandlerEntry> handlers;
    return handlers;
}

// Offers `text` to the first handler whose prefix begins it; false when none does.
bool OfferInternalLink(TQRPrinter& printer, const std::string& text) {
    for (const LinkHandlerEntry& entry : LinkHandlers()) {
        if (text.compare(0, entry.prefix.size(), entry.prefix) == 0) {
            // A copy: the handler may change the list.
            const InternalLinkHandler handler = entry.handler;
            handler(printer, text.substr(entry.prefix.size()));
            return true;
        }
    }
    return false;
}

bool StartsWithIgnoringCase(const std::string& text, const char* prefix) {
    std::size_t i = 0;
    for (; prefix[i] != '\0'; ++i) {
        if (i >= text.size()) return false;
        char c = text[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != prefix[i]) return false;
    }
    return true;
}

}  // namespace

void AddInternalLinkHandler(const std::string& prefix, InternalLinkHandler handler) {
    LinkHandlers().push_back({prefix, std::move(handler)});
}

void RemoveInternalLinkHandler(const std::string& prefix) {
    std::erase_if(LinkHandlers(),
                  [&](const LinkHandlerEntry& entry) { return entry.prefix == prefix; });
}

struct TQRPrinter::Impl {
    Impl(TQRPrinter& printer, TQRPrinterOwner* report) : self(printer), owner(report) {}

    TQRPrinter& self;
    TQRPrinterOwner* owner;  // not owned
    std::unique_ptr<PrinterDevice> ownDevice;
    PrinterDevice* device = nullptr;  // ownDevice or the shared printer object
    bool hasPrinters = false;
    TPrinterSettings settings;
    TQRPageList pageList;

    TQRPrinterState state = TQRPrinterState::prsReady;
    TQRPageTarget destination = TQRPageTarget::ptRecord;
    std::int32_t firstPage = 0;
    std::int32_t lastPage = 0;
    std::int32_t pageTotal = 0;
    std::int32_t currentPage = 0;
    std::int32_t pagesDone = 0;
    std::int32_t percentDone = 0;
    long double horzFactor = 1;
    long double vertFactor = 1;
    std::int32_t unprintableLeft = 0;
    std::int32_t unprintableTop = 0;
    std::string title;
    std::string documentName;
    std::vector<std::string> inputFiles;
    bool cancelRequested = false;

    std::unique_ptr<EmfRecordingCanvas> recording;  // the page being recorded
    Canvas* canvas = nullptr;                       // the page being drawn
    std::vector<std::shared_ptr<void>> pageObjects;
    bool documentOnDevice = false;  // this printer began the device's open document
    bool replaying = false;

    WindowRef<TQRPrinterClient> progressTarget;
    WindowRef<TQRPrinterClient> client;
    WindowRef<MessageTarget> previewWindow;
    std::unique_ptr<TQRProgressWindow> progressWindow;
    bool previewShowing = false;
    bool pagesFinal = false;

    // Expires when the printer is destroyed; loops that let messages run check it, since a
    // message may be what destroys the printer.
    std::shared_ptr<int> life = std::make_shared<int>(0);

    void Post(unsigned id, std::intptr_t wParam) {
        if (TQRPrinterClient* target = progressTarget.Get()) {
            Platform().messages->Post(*target, {id, wParam, 0});
        }
    }

    // A replay in progress: no second one starts, and the cancel request is fresh. The flag
    // is cleared at the end unless the printer is gone by then.
    class Replay {
    public:
        explicit Replay(Impl& d) : life_(d.life), flag_(d.replaying) {
            d.cancelRequested = false;
            flag_ = true;
        }
        ~Replay() {
            if (!life_.expired()) flag_ = false;
        }
        Replay(const Replay&) = delete;
        Replay& operator=(const Replay&) = delete;

    private:
        std::weak_ptr<int> life_;
        bool& flag_;
    };

    // Shows the progress window of a replay and makes it the progress target; returns the
    // target it replaced.
    TQRPrinterClient* OpenReplayProgress() {
        TQRPrinterClient* const previous = progressTarget.Get();
        progressWindow = CreateProgressWindow(self);
        if (progressWindow) {
            progressWindow->ShowProgress();
            progressTarget.Set(progressWindow.get());
        }
        return previous;
    }

    // Lets the last percentage reach the window, hides it and puts `previous` back. False
    // when the printer was destroyed meanwhile (`d` is then gone).
    static bool CloseReplayProgress(const std::weak_ptr<int>& alive, Impl& d,
                                    TQRPrinterClient* previous) {
        Platform().messages->ProcessMessages();
        if (alive.expired()) return false;
        if (d.progressWindow) d.progressWindow->HideProgress();
        d.progressTarget.Set(previous);
        return true;
    }

    // The document's title for the printer and for files, UTF-8: the report's title, else
    // the name of what the pages were made from, which may be a legacy name's bytes.
    std::string DocumentTitle() const {
        return title.empty() ? FileNameText(documentName) : Cp1251ToUtf8(title);
    }

    void ReplayProgress(std::int32_t page, std::int32_t first, std::int32_t last) {
        percentDone =
            RoundHalfEven32(static_cast<long double>(page - first + 1) / (last - first + 1) * 100);
        Post(kMsgProgress, percentDone);
        currentPage = page;
    }

    bool InRange(std::int32_t page) const {
        return (firstPage <= 0 || firstPage <= page) && (lastPage <= 0 || lastPage >= page);
    }

    void DropPage() {
        canvas = nullptr;
        recording.reset();
        pageObjects.clear();
    }

    // Ends the page that is open: records it, or moves the printer on.
    void ClosePage() {
        if (destination == TQRPageTarget::ptRecord) {
            canvas = nullptr;
            std::unique_ptr<EmfRecordingCanvas> page = std::move(recording);
            pageObjects.clear();
            if (page) pageList.AppendPage(*page->Finish());
        } else if (InRange(pageTotal)) {
            pageObjects.clear();
            if (pageTotal != lastPage) device->NewPage();
        } else {
            DropPage();
        }
    }

    void OpenPage() {
        if (destination == TQRPageTarget::ptRecord || !InRange(pageTotal)) {
            horzFactor = vertFactor = kScreenFactor;
            recording = std::make_unique<EmfRecordingCanvas>(
                self.ToDeviceWidth(self.PaperWidth()), self.ToDeviceHeight(self.PaperLength()));
            canvas = recording.get();
            return;
        }
        if (!device->Printing()) {
            device->SetTitle(DocumentTitle());
            device->BeginDoc();
            documentOnDevice = true;
        }
        canvas = &device->PageCanvas();
        const DeviceCaps caps = device->Caps();
        horzFactor = DeviceFactor(caps.dpiX);
        vertFactor = DeviceFactor(caps.dpiY);
    }

    // The header of recorded pages gets the final page count, so that the pages saved as a
    // report file load again however the run ended.
    void WriteFinalHeader() {
        if (destination == TQRPageTarget::ptRecord && pageList.Stream() != nullptr &&
            pageList.PageCount() > 0) {
            pageList.WriteHeader();
        }
    }

    void AbortDeviceDocument() {
        DropPage();
        if (documentOnDevice) {
            documentOnDevice = false;
            device->Abort();
        }
    }

    // Ends the document this printer began; when ending fails, nothing of it stays open.
    void EndDeviceDocument() {
        DropPage();
        if (!documentOnDevice) return;
        documentOnDevice = false;
        try {
            if (device->Printing()) device->EndDoc();
        } catch (...) {
            try {
                if (device->Printing()) device->Abort();
            } catch (...) {
                // The error of ending is the one to pass on.
            }
            throw;
        }
    }

    void DetectPaper(const PagePicture& page) {
        const auto width = static_cast<std::int64_t>(std::floor(page.Width() / horzFactor / 40));
        const auto length = static_cast<std::int64_t>(std::floor(page.Height() / horzFactor / 40));
        for (std::size_t i = 1; i <= static_cast<std::size_t>(TQRPaperSize::ESheet); ++i) {
            const PaperEntry& entry = kPaperTable[i];
            const auto tableWidth = static_cast<std::int64_t>(std::floor(entry.width / 4));
            const auto tableLength = static_cast<std::int64_t>(std::floor(entry.length / 4));
            if (tableWidth == width && tableLength == length) {
                settings.SetPaperSize(entry.size);
                settings.SetOrientation(TPrinterOrientation::poPortrait);
            }
            if (tableWidth == length && tableLength == width) {
                settings.SetPaperSize(entry.size);
                settings.SetOrientation(TPrinterOrientation::poLandscape);
            }
        }
    }
};

TQRPrinter::TQRPrinter(TQRPrinterOwner* owner) : impl_(std::make_unique<Impl>(*this, owner)) {
    PrinterSystem& system = *Platform().printers;
    PrinterDevice& shared = system.SharedPrinter();
    impl_->hasPrinters = !shared.Printers().empty();
    if (owner != nullptr) {
        impl_->settings.SetUseStandardPrinter(owner->UseStandardPrinter());
        impl_->settings.SetMemoryLimit(owner->MemoryLimit());
    }
    if (impl_->settings.UseStandardPrinter()) {
        impl_->device = &shared;
    } else {
        impl_->ownDevice = system.CreatePrinter();
        impl_->device = impl_->ownDevice.get();
        const int index = impl_->hasPrinters ? shared.PrinterIndex() : -1;
        if (index >= 0 && index < static_cast<int>(impl_->device->Printers().size())) {
            impl_->device->SetPrinterIndex(index);
        }
    }
    if (impl_->hasPrinters) {
        impl_->settings.AttachPrinter(impl_->device);
        impl_->unprintableLeft = impl_->settings.UnprintableLeft();
        impl_->unprintableTop = impl_->settings.UnprintableTop();
    }
}

TQRPrinter::~TQRPrinter() {
    try {
        if (impl_->state != TQRPrinterState::prsReady) Reset();
        impl_->AbortDeviceDocument();
    } catch (...) {
        // A printer that fails while giving up its document has nothing more to give.
    }
    TQRPrinterClient* client = impl_->client.Get();
    TQRPrinterClient* target = impl_->progressTarget.Get();
    impl_->client.Set(nullptr);
    impl_->progressTarget.Set(nullptr);
    if (client != nullptr) client->PrinterDestroyed(*this);
    if (target != nullptr && target != client) target->PrinterDestroyed(*this);
    if (impl_->progressWindow) impl_->progressWindow->PrinterDestroyed(*this);
}

TQRPrinterOwner* TQRPrinter::ParentReport() const {
    return impl_->owner;
}

void TQRPrinter::BeginDocument() {
    Impl& d = *impl_;
    // A printer with an open document keeps it untouched: its page and counts stay.
    if (d.state != TQRPrinterState::prsReady) throw EQRError(kNotReady);
    d.DropPage();
    d.pagesDone = 0;
    d.cancelRequested = false;
    if (d.destination == TQRPageTarget::ptDevice) {
        d.settings.WriteToDevice();
        const DeviceCaps caps = d.device->Caps();
        d.unprintableLeft =
            caps.dpiX > 0
                ? RoundHalfEven32(static_cast<long double>(caps.physicalOffsetX) / caps.dpiX * 254)
                : 0;
        d.unprintableTop =
            caps.dpiY > 0
                ? RoundHalfEven32(static_cast<long double>(caps.physicalOffsetY) / caps.dpiY * 254)
                : 0;
    } else {
        d.unprintableLeft = 0;
        d.unprintableTop = 0;
    }
    d.pageTotal = 0;
    d.currentPage = 0;
    if (d.destination == TQRPageTarget::ptRecord) {
        d.pageList.ClearPages();
        d.pageList.SetStream(std::make_unique<TQRStream>(d.settings.MemoryLimit()));
        d.horzFactor = d.vertFactor = kScreenFactor;
    } else {
        const DeviceCaps caps = d.device->Caps();
        d.horzFactor = DeviceFactor(caps.dpiX);
        d.vertFactor = DeviceFactor(caps.dpiY);
    }
    d.state = TQRPrinterState::prsBusy;
}

void TQRPrinter::NewPage() {
    Impl& d = *impl_;
    if (d.state != TQRPrinterState::prsBusy) throw EQRError(kIllegalNewPage);
    if (d.currentPage > 0) {
        d.ClosePage();
        ++d.pagesDone;
        d.Post(kMsgPageAvailable, d.pagesDone);
    }
    ++d.pageTotal;
    ++d.currentPage;
    d.OpenPage();
}

void TQRPrinter::EndDocument() {
    Impl& d = *impl_;
    if (d.state != TQRPrinterState::prsBusy) return;
    const bool pageOpen = d.currentPage > 0;
    try {
        if (d.destination == TQRPageTarget::ptDevice) {
            d.EndDeviceDocument();
        } else if (pageOpen) {
            d.ClosePage();
        }
    } catch (...) {
        d.state = TQRPrinterState::prsFinished;
        d.AbortDeviceDocument();
        throw;
    }
    if (pageOpen) {
        ++d.pagesDone;
        d.Post(kMsgPageAvailable, d.pagesDone);
    }
    d.state = TQRPrinterState::prsFinished;
    // Before messages run: one of them may be a preview's Save.
    d.WriteFinalHeader();
    const std::weak_ptr<int> life = d.life;
    Platform().messages->ProcessMessages();
    if (life.expired()) return;
    if (d.destination == TQRPageTarget::ptDevice && OnAfterPrint) OnAfterPrint();
}

void TQRPrinter::AbortDocument() {
    Impl& d = *impl_;
    if (d.state != TQRPrinterState::prsBusy) return;
    d.state = TQRPrinterState::prsFinished;
    if (d.destination == TQRPageTarget::ptDevice) {
        d.AbortDeviceDocument();
    } else if (d.recording) {
        d.ClosePage();
        ++d.pagesDone;
        d.Post(kMsgPageAvailable, d.pagesDone);
    }
    d.WriteFinalHeader();
}

void TQRPrinter::RequestCancel() {
    impl_->cancelRequested = true;
}

bool TQRPrinter::CancelRequested() const {
    return impl_->cancelRequested;
}

void TQRPrinter::Reset() {
    Impl& d = *impl_;
    if (d.state == TQRPrinterState::prsBusy) {
        d.cancelRequested = true;
        d.AbortDeviceDocument();
    }
    d.DropPage();
    d.pageList.SetStream(nullptr);
    d.pageList.ClearPages();
    d.pageTotal = 0;
    d.currentPage = 0;
    d.state = TQRPrinterState::prsReady;
}

TQRPrinterState TQRPrinter::State() const {
    return impl_->state;
}

TQRPageTarget TQRPrinter::Destination() const {
    return impl_->destination;
}

void TQRPrinter::SetDestination(TQRPageTarget destination) {
    impl_->destination = destination;
}

Canvas& TQRPrinter::PageCanvas() {
    if (impl_->canvas == nullptr) throw EQRError("No page is open");
    return *impl_->canvas;
}

void TQRPrinter::AddPageObject(std::shared_ptr<void> object) {
    impl_->pageObjects.push_back(std::move(object));
}

int TQRPrinter::ToDeviceX(long double x) const {
    return RoundHalfEven32((x - impl_->unprintableLeft) * impl_->horzFactor);
}

int TQRPrinter::ToDeviceY(long double y) const {
    return RoundHalfEven32((y - impl_->unprintableTop) * impl_->vertFactor);
}

int TQRPrinter::ToDeviceWidth(long double x) const {
    return RoundHalfEven32(x * impl_->horzFactor);
}

int TQRPrinter::ToDeviceHeight(long double y) const {
    return RoundHalfEven32(y * impl_->vertFactor);
}

long double TQRPrinter::HorzFactor() const {
    return impl_->horzFactor;
}

long double TQRPrinter::VertFactor() const {
    return impl_->vertFactor;
}

std::int32_t TQRPrinter::UnprintableLeft() const {
    return impl_->unprintableLeft;
}

std::int32_t TQRPrinter::UnprintableTop() const {
    return impl_->unprintableTop;
}

std::int32_t TQRPrinter::PaperLength() const {
    const TPrinterSettings& s = impl_->settings;
    return s.Orientation() == TPrinterOrientation::poLandscape ? s.SheetWidth() : s.SheetLength();
}

std::int32_t TQRPrinter::PaperWidth() const {
    const TPrinterSettings& s = impl_->settings;
    return s.Orientation() == TPrinterOrientation::poLandscape ? s.SheetLength() : s.SheetWidth();
}

TQRPaperSize TQRPrinter::PaperSize() const {
    return impl_->settings.PaperSize();
}
void TQRPrinter::SetPaperSize(TQRPaperSize size) {
    impl_->settings.SetPaperSize(size);
}
TPrinterOrientation TQRPrinter::Orientation() const {
    return impl_->settings.Orientation();
}
void TQRPrinter::SetOrientation(TPrinterOrientation o) {
    impl_->settings.SetOrientation(o);
}
void TQRPrinter::SetPaperWidthValue(std::int32_t tenths) {
    impl_->settings.SetSheetWidth(tenths);
}
void TQRPrinter::SetPaperLengthValue(std::int32_t tenths) {
    impl_->settings.SetSheetLength(tenths);
}

std::int32_t TQRPrinter::Copies() const {
    return impl_->settings.Copies();
}
void TQRPrinter::SetCopies(std::int32_t copies) {
    impl_->settings.SetCopies(copies);
}
bool TQRPrinter::Duplex() const {
    return impl_->settings.Duplex();
}
void TQRPrinter::SetDuplex(bool duplex) {
    impl_->settings.SetDuplex(duplex);
}
TQRBin TQRPrinter::OutputBin() const {
    return impl_->settings.OutputBin();
}
void TQRPrinter::SetOutputBin(TQRBin bin) {
    impl_->settings.SetOutputBin(bin);
}
std::int32_t TQRPrinter::Collate() const {
    return impl_->settings.Collate();
}
void TQRPrinter::SetCollate(std::int32_t collate) {
    impl_->settings.SetCollate(collate);
}
std::int32_t TQRPrinter::PrintQuality() const {
    return impl_->settings.PrintQuality();
}
void TQRPrinter::SetPrintQuality(std::int32_t q) {
    impl_->settings.SetPrintQuality(q);
}
std::int32_t TQRPrinter::ColorOption() const {
    return impl_->settings.ColorOption();
}
void TQRPrinter::SetColorOption(std::int32_t option) {
    impl_->settings.SetColorOption(option);
}
std::int32_t TQRPrinter::ExtendedDuplex() const {
    return impl_->settings.ExtendedDuplex();
}
void TQRPrinter::SetExtendedDuplex(std::int32_t code) {
    impl_->settings.SetExtendedDuplex(code);
}
bool TQRPrinter::UseCustomBinCode() const {
    return impl_->settings.UseCustomBinCode();
}
void TQRPrinter::SetUseCustomBinCode(bool use) {
    impl_->settings.SetUseCustomBinCode(use);
}
std::int32_t TQRPrinter::CustomBinCode() const {
    return impl_->settings.CustomBinCode();
}
void TQRPrinter::SetCustomBinCode(std::int32_t code) {
    impl_->settings.SetCustomBinCode(code);
}
bool TQRPrinter::UseCustomPaperCode() const {
    return impl_->settings.UseCustomPaperCode();
}
void TQRPrinter::SetUseCustomPaperCode(bool use) {
    impl_->settings.SetUseCustomPaperCode(use);
}
std::int32_t TQRPrinter::CustomPaperCode() const {
    return impl_->settings.CustomPaperCode();
}
void TQRPrinter::SetCustomPaperCode(std::int32_t code) {
    impl_->settings.SetCustomPaperCode(code);
}
bool TQRPrinter::UseStandardPrinter() const {
    return impl_->settings.UseStandardPrinter();
}
void TQRPrinter::SetUseStandardPrinter(bool use) {
    impl_->settings.SetUseStandardPrinter(use);
}
bool TQRPrinter::PrintMetaFile() const {
    return impl_->settings.PrintMetaFile();
}
void TQRPrinter::SetPrintMetaFile(bool print) {
    impl_->settings.SetPrintMetaFile(print);
}

void TQRPrinter::SelectPrinter(int index) {
    Impl& d = *impl_;
    if (!d.hasPrinters || d.settings.UseStandardPrinter() || index < 0) return;
    if (index >= static_cast<int>(d.device->Printers().size())) return;
    d.device->SetPrinterIndex(index);
    d.settings.ReadFromDevice();
}

std::int32_t TQRPrinter::PageTotal() const {
    return impl_->pageTotal;
}
std::int32_t TQRPrinter::CurrentPage() const {
    return impl_->currentPage;
}

void TQRPrinter::SetCurrentPage(std::int32_t page) {
    if (page >= 1 && page <= impl_->pageTotal) impl_->currentPage = page;
}

std::int32_t TQRPrinter::PagesDone() const {
    return impl_->pagesDone;
}
std::int32_t TQRPrinter::PercentDone() const {
    return impl_->percentDone;
}
std::int32_t TQRPrinter::FirstPage() const {
    return impl_->firstPage;
}
void TQRPrinter::SetFirstPage(std::int32_t page) {
    impl_->firstPage = page;
}
std::int32_t TQRPrinter::LastPage() const {
    return impl_->lastPage;
}
void TQRPrinter::SetLastPage(std::int32_t page) {
    impl_->lastPage = page;
}
const std::string& TQRPrinter::Title() const {
    return impl_->title;
}
void TQRPrinter::SetTitle(const std::string& title) {
    impl_->title = title;
}
const std::string& TQRPrinter::DocumentName() const {
    return impl_->documentName;
}
void TQRPrinter::SetDocumentName(const std::string& name) {
    impl_->documentName = name;
}
const std::vector<std::string>& TQRPrinter::InputFiles() const {
    return impl_->inputFiles;
}
void TQRPrinter::SetInputFiles(std::vector<std::string> files) {
    impl_->inputFiles = std::move(files);
}
void TQRPrinter::SetCompression(bool compression) {
    impl_->pageList.SetCompression(compression);
}

void TQRPrinter::Progress(int percent) {
    impl_->Post(kMsgProgress, percent);
}

std::unique_ptr<PagePicture> TQRPrinter::PageImage(std::int32_t page) {
    Impl& d = *impl_;
    if (d.state == TQRPrinterState::prsReady || page < 1 || page > d.pageTotal) return nullptr;
    if (d.pageList.Stream() == nullptr) return nullptr;
    return d.pageList.ReadPage(page);
}

void TQRPrinter::CheckPages(std::int32_t first, std::int32_t last) {
    for (std::int32_t page = std::max(first, 1); page <= std::min(last, impl_->pageTotal); ++page) {
        PageImage(page);
    }
}

void TQRPrinter::Save(const std::string& fileName) {
    if (impl_->state != TQRPrinterState::prsFinished || impl_->pageList.Stream() == nullptr) {
        throw EQRError(kNotReady);
    }
    // A report file of no pages would not load again.
    if (impl_->pageList.PageCount() == 0) throw EQRError(kNoPages);
    impl_->pageList.SaveReportFile(fileName, impl_->inputFiles);
}

void TQRPrinter::Load(const std::string& fileName) {
    Impl& d = *impl_;
    if (d.replaying) throw EQRError(kNotReady);
    Reset();
    d.pageList.LoadReportFile(fileName);
    try {
        d.pageTotal = d.pageList.PageCount();
        d.horzFactor = d.vertFactor = kScreenFactor;
        if (d.pageTotal > 0) {
            if (const std::unique_ptr<PagePicture> first = d.pageList.ReadPage(1))
                d.DetectPaper(*first);
        }
    } catch (...) {
        Reset();
        throw;
    }
    d.state = TQRPrinterState::prsFinished;
    OnPrintSetup = nullptr;
    OnExport = nullptr;
    d.pagesFinal = true;
    d.documentName = FileNameOf(fileName);
}

void TQRPrinter::Preview() {
    if (OnPreview) {
        OnPreview(*this);
        return;
    }
    const std::unique_ptr<TQRPreviewInterface> provider = CreatePreviewInterface();
    impl_->previewWindow.Set(provider->OpenPreview(*this));
}

void TQRPrinter::Print() {
    Impl& d = *impl_;
    // A second request while the pages go out (the button pressed again) waits for nothing.
    if (d.state != TQRPrinterState::prsFinished || d.replaying) return;
    if (d.owner != nullptr && !d.pagesFinal && !d.settings.PrintMetaFile()) {
        Platform().messages->Post(d.owner->ReportWindow(), {kMsgPrintAgain, 0, 0});
        return;
    }
    if (!d.hasPrinters) return;

    std::int32_t first = d.firstPage > 0 ? std::max(d.firstPage, 1) : 1;
    std::int32_t last = d.lastPage > 0 ? std::min(d.lastPage, d.pageTotal) : d.pageTotal;
    if (first > last) return;
    // A damaged page stops the print before anything reaches the printer.
    CheckPages(first, last);

    const Impl::Replay replay(d);
    d.device->SetTitle(d.DocumentTitle());
    if (d.device->Printing()) d.device->Abort();
    d.documentOnDevice = false;
    d.settings.WriteToDevice();
    d.device->BeginDoc();
    d.documentOnDevice = true;

    TQRPrinterClient* const previousTarget = d.OpenReplayProgress();
    const std::weak_ptr<int> life = d.life;
    MessageQueue& messages = *Platform().messages;
    const auto finish = [&] { return Impl::CloseReplayProgress(life, d, previousTarget); };
    try {
        for (std::int32_t page = first; page <= last; ++page) {
            messages.ProcessMessages();
            if (life.expired()) return;
            if (d.cancelRequested) {
                d.AbortDeviceDocument();
                break;
            }
            d.ReplayProgress(page, first, last);
            if (const std::unique_ptr<PagePicture> picture = PageImage(page)) {
                d.device->PageCanvas().DrawPicture(
                    *picture, Rect{0, 0, d.device->PageWidth(), d.device->PageHeight()});
            }
            if (page < last) d.device->NewPage();
        }
    } catch (const EPrinterError&) {
        // The printer's own failure: its document is ended as far as it goes.
        if (finish()) {
            try {
                d.EndDeviceDocument();
            } catch (...) {
                // The first error says what went wrong.
            }
        }
        throw;
    } catch (...) {
        // Anything else (a page that cannot be read, memory) cancels the job: a print that
        // ends in an error puts nothing on paper.
        if (finish()) {
            try {
                d.AbortDeviceDocument();
            } catch (...) {
            }
        }
        throw;
    }
    if (!finish()) return;
    d.EndDeviceDocument();
}

void TQRPrinter::ExportPages(TQRPageExport& target, std::int32_t first, std::int32_t last) {
    Impl& d = *impl_;
    if (d.state != TQRPrinterState::prsFinished || d.replaying) return;
    first = std::max(first, 1);
    last = last > 0 ? std::min(last, d.pageTotal) : d.pageTotal;

    const Impl::Replay replay(d);
    const std::weak_ptr<int> life = d.life;

    d.pageList.RefuseLoadedFile(target.FileName());
    target.Begin(d.DocumentTitle(), d.inputFiles);
    TQRPrinterClient* const previousTarget = d.OpenReplayProgress();
    MessageQueue& messages = *Platform().messages;
    bool complete = true;
    try {
        for (std::int32_t page = first; page <= last; ++page) {
            messages.ProcessMessages();
            if (life.expired() || d.cancelRequested) {
                complete = false;
                break;
            }
            d.ReplayProgress(page, first, last);
            const std::unique_ptr<PagePicture> picture = PageImage(page);
            if (!picture) continue;
            int width = PaperWidth();
            int length = PaperLength();
            if (width <= 0 || length <= 0) {
                // A paper the settings do not know: the recorded page's own size.
                width = picture->Width() * 254 / kScreenPixelsPerInch;
                length = picture->Height() * 254 / kScreenPixelsPerInch;
            }
            target.Page(*picture, width, length);
        }
        if (complete) target.End();
    } catch (...) {
        target.Abandon();
        if (!life.expired()) Impl::CloseReplayProgress(life, d, previousTarget);
        throw;
    }
    if (!complete) target.Abandon();
    if (!life.expired()) Impl::CloseReplayProgress(life, d, previousTarget);
}

TPrinterSettings& TQRPrinter::Settings() {
    return impl_->settings;
}
const TPrinterSettings& TQRPrinter::Settings() const {
    return impl_->settings;
}
TQRPageList& TQRPrinter::PageList() {
    return impl_->pageList;
}
PrinterDevice* TQRPrinter::Device() {
    return impl_->device;
}
bool TQRPrinter::HasPrinters() const {
    return impl_->hasPrinters;
}

void TQRPrinter::SetProgressTarget(TQRPrinterClient* target) {
    impl_->progressTarget.Set(target);
}
TQRPrinterClient* TQRPrinter::ProgressTarget() const {
    return impl_->progressTarget.Get();
}
void TQRPrinter::SetClient(TQRPrinterClient* client) {
    impl_->client.Set(client);
}
TQRPrinterClient* TQRPrinter::Client() const {
    return impl_->client.Get();
}
MessageTarget* TQRPrinter::PreviewWindow() const {
    return impl_->previewWindow.Get();
}

bool TQRPrinter::PreviewShowing() const {
    return impl_->previewShowing;
}

void TQRPrinter::SetPreviewShowing(bool showing) {
    const bool closing = impl_->previewShowing && !showing;
    impl_->previewShowing = showing;
    if (!closing) return;
    if (impl_->state == TQRPrinterState::prsBusy) RequestCancel();
    if (OnAfterPreview) OnAfterPreview();
}

bool TQRPrinter::PagesFinal() const {
    return impl_->pagesFinal;
}
void TQRPrinter::SetPagesFinal(bool final) {
    impl_->pagesFinal = final;
}

void TQRPrinter::ClosePreview() {
    if (impl_->owner == nullptr) return;
    // The report may free this printer while it handles the message.
    Platform().messages->Send(impl_->owner->ReportWindow(),
                              {kMsgPreviewClosed, 0, reinterpret_cast<std::intptr_t>(this)});
}

void TQRPrinter::FollowHyperlink(const std::string& link) {
    Shell& shell = *Platform().shell;
    if (StartsWithIgnoringCase(link, "EXT:")) {
        shell.Open(link.substr(4));
    } else if (StartsWithIgnoringCase(link, "INT:")) {
        OfferInternalLink(*this, link.substr(4));
    } else if (!OfferInternalLink(*this, link)) {
        shell.Open(link);
    }
}

}  // namespace quillon
