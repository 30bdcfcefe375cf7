#include "report/qr_label.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include "output/qr_printer.h"
#include "platform/core/rounding.h"
#include "platform/core/services.h"
#include "report/qr_band.h"
#include "report/rozer_ededid.h"

namespace quillon {

namespace {

// Measures for printables that belong to no report.
Canvas& OwnCanvas() {
    static std::unique_ptr<Canvas> canvas = CreateMeasuringCanvas();
    return *canvas;
}

// Sets a flag for a scope.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
};

}  // namespace

TQRCustomLabel::TQRCustomLabel(TComponent* owner, bool captionBased)
    : TQRPrintable(owner), captionBased_(captionBased) {}

// --- Properties ----------------------------------------------------------------------------

void TQRCustomLabel::Invalidate() {
    layoutValid_ = false;
    ++linesVersion_;
}

void TQRCustomLabel::SetCaption(std::string caption) {
    caption_ = caption;
    printText_ = std::move(caption);
    layoutValid_ = false;
    LayOutLines();
    Repaint();
}

void TQRCustomLabel::SetPrintText(std::string_view text) {
    if (text == printText_) return;
    printText_.assign(text);
    layoutValid_ = false;
}

void TQRCustomLabel::SetLines(LineStore lines) {
    lines_ = std::move(lines);
    Invalidate();
    Repaint();
}

void TQRCustomLabel::SetLines(const std::vector<std::string>& lines) {
    LineStore store(lines_.MemoryLimit());
    for (const std::string& line : lines) store.Append(line);
    SetLines(std::move(store));
}

void TQRCustomLabel::AddLine(std::string_view line) {
    lines_.Append(line);
    Invalidate();
}

void TQRCustomLabel::ClearLines() {
    lines_.Clear();
    formFeeds_.clear();
    Invalidate();
    Repaint();
}

void TQRCustomLabel::SetFormFeeds(std::vector<std::int32_t> formFeeds) {
    formFeeds_ = std::move(formFeeds);
    Invalidate();
}

void TQRCustomLabel::SetAutoSize(bool value) {
    autoSize_ = value;
    layoutValid_ = false;
    LayOutLines();
    Repaint();
}

void TQRCustomLabel::SetWordWrap(bool value) {
    wordWrap_ = value;
    layoutValid_ = false;
    Repaint();
}

void TQRCustomLabel::FontChanged() {
    layoutValid_ = false;
    LayOutLines();
}

void TQRCustomLabel::ParentChanged(TControl* oldParent) {
    TQRPrintable::ParentChanged(oldParent);
    LayOutLines();
}

void TQRCustomLabel::Renamed(const std::string& oldName) {
    if (caption_.empty() || caption_ == oldName) SetCaption(Name());
}

void TQRCustomLabel::Loaded() {
    TQRPrintable::Loaded();
    if (fontSize_ > 0 && fontSize_ != RoundHalfEven32(Font().size)) {
        FontSpec font = Font();
        font.size = fontSize_;
        SetFont(font);
    }
    LayOutLines();
}

// --- Layout --------------------------------------------------------------------------------

int TQRCustomLabel::ReportZoom() const {
    return ParentReport() != nullptr ? ParentReport()->Zoom() : 100;
}

int TQRCustomLabel::MeasureLine(std::string_view line) {
    if (TCustomRozerEdedid* report = ParentReport()) {
        const long double width = report->ReportTextWidth(Font(), line);
        return RoundHalfEven32(width * report->Zoom() / 100);
    }
    Canvas& canvas = OwnCanvas();
    if (!(canvas.Font() == Font())) canvas.SetFont(Font());
    return canvas.TextExtent(line).cx;
}

int TQRCustomLabel::TextHeightAtZoom() {
    return ParentReport()->ReportTextHeight(Font()) * ReportZoom() / 100 + 1;
}

void TQRCustomLabel::Emit() {
    laidOut_.Append(current_);
    current_.clear();
}

void TQRCustomLabel::TakeFittingFront(std::string_view word) {
    const int width = Width();
    for (const char c : word) {
        std::string candidate = current_;
        candidate += c;
        if (MeasureLine(candidate) >= width) break;
        current_ = std::move(candidate);
    }
}

void TQRCustomLabel::BreakSourceLine(std::string_view source) {
    std::string text;
    text.reserve(source.size());
    for (const char c : source) {
        if (c != '\n') text += c;
    }
    if (text.find('\r') != std::string::npos) {
        std::string_view rest = text;
        for (std::size_t cr = rest.find('\r'); cr != std::string_view::npos; cr = rest.find('\r')) {
            BreakSourceLine(rest.substr(0, cr));
            rest.remove_prefix(cr + 1);
        }
        BreakSourceLine(rest);
        return;
    }

    current_.clear();
    lineFinished_ = false;
    const std::size_t emittedBefore = laidOut_.size();
    if (autoSize_) {
        current_ = std::move(text);
        Emit();
        lineFinished_ = true;
    } else {
        std::string_view rest = text;
        // Without word wrap a source line ends at its first overflow.
        while (!rest.empty() && !lineFinished_) {
            const std::size_t end = rest.find_first_of(" -\r");
            const std::size_t length = end == std::string_view::npos ? rest.size() : end + 1;
            AppendWord(std::string(rest.substr(0, length)));
            rest.remove_prefix(length);
        }
    }
    // The line being built, also an empty source line; but not the empty rest left behind by a
    // word that was cut to the width.
    if (!lineFinished_ && (!current_.empty() || laidOut_.size() == emittedBefore)) Emit();
}

void TQRCustomLabel::AppendWord(std::string word) {
    const int width = Width();
    if (MeasureLine(current_ + word) <= width) {
        current_ += word;
        return;
    }
    if (current_.empty()) {
        // The word alone is too wide: its front that fits, the rest is lost.
        TakeFittingFront(word);
        word.clear();
    }
    Emit();
    if (!wordWrap_) {
        lineFinished_ = true;
        return;
    }
    if (!word.empty() && MeasureLine(word) > width) {
        if (width == 0) {
            word.clear();
        } else {
            while (!word.empty() && MeasureLine(word) > width) word.pop_back();
        }
        current_ = std::move(word);
        Emit();
        word.clear();
    }
    current_ = std::move(word);
}

void TQRCustomLabel::LayOutLines() {
    if (Parent() == nullptr) {
        layoutValid_ = true;
        return;
    }
    TCustomRozerEdedid* report = ParentReport();
    const bool inReport = report != nullptr;

    LayoutKey key;
    key.linesVersion = linesVersion_;
    if (captionBased_) {
        key.text = printText_;
    } else if (lines_.empty() && Designing()) {
        key.text = Name();
    }
    key.font = Font();
    key.zoom = ReportZoom();
    key.width = autoSize_ ? 0 : Width();
    key.autoSize = autoSize_;
    key.wordWrap = wordWrap_;
    key.inReport = inReport;
    key.designing = Designing();

    if (!cacheValid_ || !(key == cacheKey_)) {
        cacheValid_ = false;
        laidOut_ = LineStore(lines_.MemoryLimit());
        laidOutIsLines_ = false;
        laidOutFormFeeds_ = captionBased_ ? std::vector<std::int32_t>{} : formFeeds_;
        if (captionBased_) {
            BreakSourceLine(printText_);
        } else if (!lines_.empty()) {
            if (autoSize_) {
                laidOutIsLines_ = true;
            } else {
                // A form feed before a source line stands before that line's first laid-out
                // line; the form feeds come in order, so they are placed as layout goes.
                laidOutFormFeeds_.clear();
                std::size_t feed = 0;
                const auto placeFeedsBefore = [&](std::int64_t source) {
                    for (; feed < formFeeds_.size() && formFeeds_[feed] <= source; ++feed) {
                        laidOutFormFeeds_.push_back(static_cast<std::int32_t>(laidOut_.size()));
                    }
                };
                std::int64_t source = 0;
                for (const std::string_view line : lines_) {
                    placeFeedsBefore(source++);
                    BreakSourceLine(line);
                }
                placeFeedsBefore(INT64_MAX);
            }
        } else if (Designing()) {
            BreakSourceLine(Name());
        }
        widestLine_ = 0;
        if (autoSize_ && inReport) {
            for (const std::string_view line : LaidOutLines()) {
                widestLine_ = std::max(widestLine_, MeasureLine(line));
            }
        }
        cacheKey_ = std::move(key);
        cacheValid_ = true;
    }

    if (captionBased_ && !adjustingBounds_ && inReport) {
        FlagScope adjusting(adjustingBounds_);
        const int minimum = TextHeightAtZoom();
        if (Height() < minimum) SetHeight(minimum);
    }
    if (autoSize_ && !adjustingBounds_ && inReport) {
        int width = widestLine_;
        if (Frame().DrawLeft()) width += Frame().Width();
        if (Frame().DrawRight()) width += Frame().Width();
        FlagScope adjusting(adjustingBounds_);
        const int old = Width();
        if (old != width) {
            if (Alignment() == TAlignment::taRightJustify) {
                SetLeft(Left() + (old - width));
            } else if (Alignment() == TAlignment::taCenter) {
                SetLeft(Left() + (old - width) / 2);
            }
            SetWidth(width);
        }
        const int minimum = TextHeightAtZoom();
        if ((LaidOutLines().empty() && Designing()) || Height() < minimum) SetHeight(minimum);
    }
    layoutValid_ = true;
}

// --- Printing ------------------------------------------------------------------------------

void TQRCustomLabel::Prepare() {
    TQRPrintable::Prepare();
    nextLine_ = 0;
    nextFormFeed_ = 0;
    columnFromFormFeed_ = false;
    SetCaption(std::string(caption_));
}

void TQRCustomLabel::Print(int offsetX, int offsetY) {
    if (!Enabled()) return;
    TQRPrinter* printer = QRPrinter();
    if (printer == nullptr || ParentReport() == nullptr) return;
    Canvas& canvas = printer->PageCanvas();
    canvas.SetFont(Font());
    printOffsetY_ = offsetY;
    const long double lineHeight = canvas.TextExtent("W").cy / printer->VertFactor();
    PrintLines(canvas, Size().Left() + offsetX, Size().Top() + offsetY, Size().Width(),
               Size().Height(), lineHeight, autoStretch_);
}

void TQRCustomLabel::PrintLines(Canvas& canvas, long double left, long double top,
                                long double width, long double height, long double lineHeight,
                                bool canExpand) {
    TCustomRozerEdedid& report = *ParentReport();
    TQRPrinter& printer = *QRPrinter();
    const long double oldWidth = width;

    std::optional<std::string> keptText;
    if (!printText_.empty() && OnPrint) {
        std::string value = printText_;
        OnPrint(*this, value);
        canvas.SetFont(Font());
        height = Size().Height();
        lineHeight = canvas.TextExtent("W").cy / printer.VertFactor();
        if (value != printText_) {
            keptText = std::exchange(printText_, std::move(value));
            layoutValid_ = false;
        }
    }

    LayOutLines();
    width = Size().Width();
    const bool drawing = report.PageDrawing();
    TQRExportFilter* filter = report.ExportFilter();
    const bool opaque = !Transparent();

    if (drawing && opaque) {
        canvas.SetBrush({Color(), BrushStyle::bsSolid});
        canvas.SetPen({Color(), 0, PenStyle::psSolid});
        canvas.FillRect({printer.ToDeviceX(left), printer.ToDeviceY(top),
                         printer.ToDeviceX(left + width), printer.ToDeviceY(top + height)});
    }
    const long double frameOffset =
        Frame().Width() > 0 ? RoundHalfEven(Frame().Width() / 72.0L * 254) : 0;
    if (Frame().DrawTop()) top += frameOffset;
    if (Frame().DrawLeft()) left += frameOffset;

    const Rect clip{0, 0, printer.ToDeviceWidth(width), printer.ToDeviceHeight(lineHeight)};
    long double limit = top + height + 1;
    long double y = top;
    long double seenGrowth = 0;
    bool hasGrown = false;

    long double x0 = left;
    if (autoSize_ && Alignment() == TAlignment::taRightJustify) x0 = left - (width - oldWidth);
    if (autoSize_ && Alignment() == TAlignment::taCenter) x0 = left - (width - oldWidth) / 2;
    unsigned align = kTaLeft | kTaTop;
    long double x = x0;
    if (Alignment() == TAlignment::taRightJustify) {
        align = kTaRight | kTaTop;
        x = x0 + width;
    } else if (Alignment() == TAlignment::taCenter) {
        align = kTaCenter | kTaTop;
        x = x0 + width / 2;
    }
    canvas.SetTextAlign(align);
    canvas.SetBackgroundTransparent(true);

    if (PrintComplete()) {
        nextLine_ = 0;
        nextFormFeed_ = 0;
        columnFromFormFeed_ = false;
    }
    auto* band = dynamic_cast<TQRCustomBand*>(Parent());
    if (!lineReader_ || !lineReader_->Reads(LaidOutLines())) lineReader_.emplace(LaidOutLines());
    LineStore::Reader& lines = *lineReader_;
    const auto count = static_cast<std::int32_t>(LaidOutLines().size());
    const int deviceX = printer.ToDeviceX(x);
    bool printedAny = false;
    bool endedByFormFeed = false;

    while (nextLine_ <= count) {
        if (canExpand && FormFeedEndsColumn(nextLine_, count, printedAny)) {
            endedByFormFeed = true;
            break;
        }
        if (nextLine_ == count) break;
        bool fits = y + lineHeight <= limit;
        if (!fits && canExpand && band != nullptr && band->CanGrowBy(lineHeight)) {
            const long double oldGrowth = seenGrowth;
            band->GrowBy(lineHeight, seenGrowth, hasGrown);
            limit = top + height + 1 + band->Growth();
            if (drawing && opaque) {
                canvas.FillRect({printer.ToDeviceX(left),
                                 printer.ToDeviceY(top + height + oldGrowth),
                                 printer.ToDeviceX(left + width),
                                 printer.ToDeviceY(top + height + seenGrowth)});
            }
            fits = true;
        }
        if (!fits) {
            // A line taller than the room of a whole column would wait for a new page forever:
            // where a new page offers no more room, the first line prints anyway, clipped to
            // the room there is.
            const bool atColumnStart = printOffsetY_ == report.ColumnStartY();
            if (!canExpand || printedAny || !atColumnStart) break;
            if (drawing) {
                const int bottom = report.CurrentY() + report.RoomLeft();
                canvas.SetClipRect({printer.ToDeviceX(0), printer.ToDeviceY(y),
                                    printer.ToDeviceX(report.Page().Width()),
                                    printer.ToDeviceY(std::max<long double>(bottom, y))});
            }
        }
        const std::string_view line = lines.Line(static_cast<std::size_t>(nextLine_));
        if (drawing && !line.empty()) {
            canvas.TextOut(deviceX, printer.ToDeviceY(y), line, 0, &clip);
        }
        if (filter != nullptr) filter->Text(x, y, Font(), Color(), Alignment(), line);
        y += lineHeight;
        ++nextLine_;
        printedAny = true;
        if (!fits) break;
    }
    // The next column begins with what this one could not hold, or after a form feed.
    columnFromFormFeed_ = endedByFormFeed;

    SetPrintComplete(!((nextLine_ < count || endedByFormFeed) && autoStretch_));
    canvas.RemoveClip();
    if (keptText) {
        printText_ = std::move(*keptText);
        layoutValid_ = false;
    }
    if ((drawing || filter != nullptr) && Frame().HasAnySide()) {
        Frame().Paint(
            drawing ? &canvas : nullptr,
            {printer.ToDeviceX(left), printer.ToDeviceY(top), printer.ToDeviceX(left + width),
             printer.ToDeviceY(top + Size().Height() + seenGrowth)},
            printer.HorzFactor(), printer.VertFactor());
    }
}

bool TQRCustomLabel::FormFeedEndsColumn(std::int32_t index, std::int32_t count,
                                        bool printedAny) {
    const std::vector<std::int32_t>& feeds = laidOutFormFeeds_;
    while (nextFormFeed_ < feeds.size() && feeds[nextFormFeed_] <= index) {
        const bool last = nextFormFeed_ + 1 == feeds.size();
        ++nextFormFeed_;
        // The last form feed after the last line would only begin an empty column.
        if (index >= count && last) return false;
        if (printedAny || columnFromFormFeed_) return true;
        // A column nothing has been printed in yet stands for this form feed.
        columnFromFormFeed_ = true;
    }
    return false;
}

// --- TQRMemo -------------------------------------------------------------------------------

void TQRMemo::Print(int offsetX, int offsetY) {
    SetCaption(std::string());
    try {
        TQRCustomLabel::Print(offsetX, offsetY);
    } catch (...) {
        SetCaption(Name());
        throw;
    }
    SetCaption(Name());
}

int TQRMemo::NeededHeight() {
    LayOutLines();
    TQRPrinter* printer = ParentReport() != nullptr ? ParentReport()->QRPrinter() : nullptr;
    int height = 0;
    if (printer != nullptr && printer->State() == TQRPrinterState::prsBusy &&
        printer->CurrentPage() > 0) {
        Canvas& canvas = printer->PageCanvas();
        canvas.SetFont(Font());
        height = canvas.TextExtent("W").cy;
    } else {
        Canvas& canvas = OwnCanvas();
        if (!(canvas.Font() == Font())) canvas.SetFont(Font());
        height = canvas.TextExtent("W").cy;
    }
    return static_cast<int>(LaidOutLines().size()) * (height + 2);
}

}  // namespace quillon
