#include "platform/core/emf_recorder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "platform/core/emf_format.h"
#include "platform/core/rounding.h"
#include "platform/core/services.h"

namespace quillon {

namespace {

using emf::PutU32;

constexpr int kMaxSide = 1 << 16;  // pixels; 17 metres at the reference resolution

// The reference device is a screen at exactly 96 pixels per inch. Its size is the page rounded
// up to whole multiples of 480 pixels (127 mm), so that its pixel, millimetre and micrometre
// sizes all state that resolution without rounding.
constexpr int kDeviceStep = 480;
constexpr int kDeviceStepMm = 127;

int DeviceSide(int pixels) {
    return (pixels + kDeviceStep - 1) / kDeviceStep * kDeviceStep;
}
int DeviceMm(int pixels) {
    return DeviceSide(pixels) / kDeviceStep * kDeviceStepMm;
}

// Hundredths of a millimetre per reference pixel, the text records' scale fields.
constexpr float kScale = 100.0f * kDeviceStepMm / kDeviceStep;

// Object cache sizes. Switching between a few fonts (a bold heading and body text) reuses
// their objects instead of writing a new 368-byte font record each time. Each holds at least
// two, so the object evicted is never the one selected.
constexpr std::size_t kCachedFonts = 8;
constexpr std::size_t kCachedPens = 4;
constexpr std::size_t kCachedBrushes = 4;

// Longest text run written as one record.
constexpr std::size_t kMaxTextRun = 1 << 20;

constexpr std::uint32_t kTextAlignMask = kTaCenter | kTaBaseline | kTaRtlReading;
constexpr unsigned kTextOptionsMask = kEtoOpaque | kEtoClipped | kEtoRtlReading;

std::uint32_t U(int value) {
    return static_cast<std::uint32_t>(value);
}

std::uint32_t PenStyleCode(PenStyle style) {
    switch (style) {
        case PenStyle::psSolid:
            return 0;
        case PenStyle::psDash:
            return 1;
        case PenStyle::psDot:
            return 2;
        case PenStyle::psDashDot:
            return 3;
        case PenStyle::psDashDotDot:
            return 4;
        case PenStyle::psClear:
            return 5;
        case PenStyle::psInsideFrame:
            return 6;
    }
    return 0;
}

bool Dashed(const Pen& pen) {
    return pen.style == PenStyle::psDash || pen.style == PenStyle::psDot ||
           pen.style == PenStyle::psDashDot || pen.style == PenStyle::psDashDotDot;
}

// The stock object that draws exactly like `pen`, or 0. Only zero-width pens match: a pen of
// width 1 grows with the picture when it is played stretched, a stock pen stays one pixel.
std::uint32_t StockPen(const Pen& pen) {
    if (pen.style == PenStyle::psClear) return emf::kNullPen;
    if (pen.style != PenStyle::psSolid || pen.width != 0) return 0;
    if (pen.color == kBlack) return emf::kBlackPen;
    if (pen.color == kWhite) return emf::kWhitePen;
    return 0;
}

std::uint32_t StockBrush(const Brush& brush) {
    if (brush.style == BrushStyle::bsClear) return emf::kNullBrush;
    switch (brush.color) {
        case kWhite:
            return emf::kWhiteBrush;
        case Rgb(0xC0, 0xC0, 0xC0):
            return emf::kLightGrayBrush;
        case Rgb(0x80, 0x80, 0x80):
            return emf::kGrayBrush;
        case Rgb(0x40, 0x40, 0x40):
            return emf::kDarkGrayBrush;
        case kBlack:
            return emf::kBlackBrush;
        default:
            return 0;
    }
}

}  // namespace

EmfRecordingCanvas::EmfRecordingCanvas(int width, int height)
    : width_(std::clamp(width, 1, kMaxSide)),
      height_(std::clamp(height, 1, kMaxSide)),
      bytes_(emf::kHeaderSize, 0),
      records_(1),
      slotsInUse_(1, true) {
    std::uint8_t* h = bytes_.data();
    PutU32(h + 0, emf::kHeader);
    PutU32(h + 4, emf::kHeaderSize);
    // Bounds: the whole page, in inclusive pixels (readers size their output from it).
    PutU32(h + 16, U(width_ - 1));
    PutU32(h + 20, U(height_ - 1));
    // Frame: the page in hundredths of a millimetre, right and bottom inclusive.
    PutU32(h + 32, U(RoundHalfEven32(width_ * 2540.0L / kScreenPixelsPerInch) - 1));
    PutU32(h + 36, U(RoundHalfEven32(height_ * 2540.0L / kScreenPixelsPerInch) - 1));
    PutU32(h + 40, emf::kSignature);
    PutU32(h + 44, emf::kVersion);
    PutU32(h + 72, U(DeviceSide(width_)));
    PutU32(h + 76, U(DeviceSide(height_)));
    PutU32(h + 80, U(DeviceMm(width_)));
    PutU32(h + 84, U(DeviceMm(height_)));
    PutU32(h + 100, U(DeviceMm(width_) * 1000));
    PutU32(h + 104, U(DeviceMm(height_) * 1000));
}

EmfRecordingCanvas::~EmfRecordingCanvas() = default;

std::unique_ptr<PagePicture> EmfRecordingCanvas::Finish() {
    if (finished_) throw std::logic_error("The page recording has already ended");
    // Put the stock objects back before deleting ours, so no object is deleted while selected.
    const auto ours = [](std::uint32_t handle) {
        return handle != 0 && (handle & emf::kStockBit) == 0;
    };
    if (ours(selectedFont_)) SelectHandle(emf::kSystemFont, selectedFont_);
    if (ours(selectedPen_)) SelectHandle(emf::kBlackPen, selectedPen_);
    if (ours(selectedBrush_)) SelectHandle(emf::kWhiteBrush, selectedBrush_);
    for (const auto& font : fonts_) DeleteSlot(font.slot);
    for (const auto& pen : pens_) DeleteSlot(pen.slot);
    for (const auto& brush : brushes_) DeleteSlot(brush.slot);
    fonts_.clear();
    pens_.clear();
    brushes_.clear();
    Append(emf::kEof, {0, 16, static_cast<std::uint32_t>(emf::kEofSize)});

    std::uint8_t* h = bytes_.data();
    PutU32(h + 48, static_cast<std::uint32_t>(bytes_.size()));
    PutU32(h + 52, records_);
    PutU32(h + 56, highestSlot_ + 1);  // 16-bit count; the reserved half stays 0
    finished_ = true;
    return PagePicture::FromBytes(std::move(bytes_));
}

DeviceCaps EmfRecordingCanvas::Caps() const {
    DeviceCaps caps;
    caps.dpiX = kScreenPixelsPerInch;
    caps.dpiY = kScreenPixelsPerInch;
    caps.colors = Platform().screenColors;
    return caps;
}

FontMetrics EmfRecordingCanvas::Metrics() {
    return Platform().measurer->Metrics(font_, kScreenPixelsPerInch);
}

Size EmfRecordingCanvas::TextExtentW(std::u16string_view text) {
    return {Platform().measurer->Advances(font_, kScreenPixelsPerInch, text, nullptr),
            Metrics().Height()};
}

// We write 16-bit text records (type 84) even though the engine's text is 8-bit (Windows-1251,
// or the DOS code page for a font of the OEM character set):
// a reader decodes 8-bit records by the font's character set or its own code page, which
// other readers get wrong for Cyrillic. UTF-16 with charset 204 and the measured advances
// shows the same letters at the same places in every reader.
void EmfRecordingCanvas::TextOutW(int x, int y, std::u16string_view text, const int* advances,
                                  unsigned options, const Rect* rect) {
    if (!Drawing()) return;
    options &= kTextOptionsMask;
    if (rect == nullptr) options &= ~static_cast<unsigned>(kEtoOpaque | kEtoClipped);
    if (text.empty() && (options & kEtoOpaque) == 0) return;
    if (text.size() > kMaxTextRun) text = text.substr(0, kMaxTextRun);

    std::vector<int> dx;
    if (advances != nullptr) {
        dx.assign(advances, advances + text.size());
    } else {
        Platform().measurer->Advances(font_, kScreenPixelsPerInch, text, &dx);
        dx.resize(text.size());
    }

    RealizeFont();
    if (font_.color != writtenTextColor_) {
        Append(emf::kSetTextColor, {font_.color});
        writtenTextColor_ = font_.color;
    }
    const unsigned align = align_ & kTextAlignMask;
    if (align != writtenAlign_) {
        Append(emf::kSetTextAlign, {align});
        writtenAlign_ = align;
    }
    RealizeBackground(!transparent_ || (options & kEtoOpaque) != 0);

    const std::size_t n = text.size();
    const std::size_t stringBytes = (n * 2 + 3) / 4 * 4;
    const std::size_t size = emf::kTextFixedSize + stringBytes + n * 4;
    const std::size_t at = bytes_.size();
    bytes_.resize(at + size, 0);
    std::uint8_t* p = bytes_.data() + at;
    const Rect box = rect != nullptr ? *rect : Rect{0, 0, -1, -1};
    const std::uint32_t head[] = {emf::kExtTextOutW,
                                  static_cast<std::uint32_t>(size),
                                  0,
                                  0,
                                  U(-1),
                                  U(-1),  // bounds: not computed
                                  emf::kGmCompatible,
                                  0,
                                  0,
                                  U(x),
                                  U(y),
                                  static_cast<std::uint32_t>(n),
                                  static_cast<std::uint32_t>(emf::kTextFixedSize),
                                  options,
                                  U(box.left),
                                  U(box.top),
                                  U(box.right),
                                  U(box.bottom),
                                  static_cast<std::uint32_t>(emf::kTextFixedSize + stringBytes)};
    for (std::size_t i = 0; i < std::size(head); ++i) PutU32(p + 4 * i, head[i]);
    std::uint32_t scaleBits;
    std::memcpy(&scaleBits, &kScale, sizeof scaleBits);
    PutU32(p + 28, scaleBits);
    PutU32(p + 32, scaleBits);
    for (std::size_t i = 0; i < n; ++i) {
        p[emf::kTextFixedSize + 2 * i] = static_cast<std::uint8_t>(text[i]);
        p[emf::kTextFixedSize + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
    for (std::size_t i = 0; i < n; ++i) {
        PutU32(p + emf::kTextFixedSize + stringBytes + 4 * i, U(dx[i]));
    }
    ++records_;
}

void EmfRecordingCanvas::SetClipRect(const Rect& rect) {
    if (!Drawing()) return;
    const Rect r = NormalizedRect(rect);
    const Rect clip = clip_ ? IntersectRects(*clip_, r) : r;
    if (clip_ && clip == *clip_) return;  // the rectangle holds the whole clip already
    AppendRect(emf::kIntersectClipRect, r);
    clip_ = clip;
}

void EmfRecordingCanvas::RemoveClip() {
    if (!Drawing() || !clip_) return;
    Append(emf::kExtSelectClipRgn, {0, emf::kRgnCopy});  // no region: back to no clipping
    clip_.reset();
}

void EmfRecordingCanvas::FillRect(const Rect& rect) {
    if (!Drawing() || brush_.style == BrushStyle::bsClear) return;
    const Rect r = NormalizedRect(rect);
    if (r.right == r.left || r.bottom == r.top) return;
    // A rectangle without outline fills one pixel less than its inclusive box, which is
    // exactly the area of a fill up to (excluding) right and bottom.
    RealizeBrush(brush_);
    SelectHandle(emf::kNullPen, selectedPen_);
    AppendRect(emf::kRectangle, r);
}

void EmfRecordingCanvas::Rectangle(const Rect& rect) {
    if (!Drawing()) return;
    const Rect r = NormalizedRect(rect);
    RealizePen(pen_);
    RealizeBrush(brush_);
    AppendInclusive(emf::kRectangle, r);
}

void EmfRecordingCanvas::Ellipse(const Rect& rect) {
    if (!Drawing()) return;
    const Rect r = NormalizedRect(rect);
    RealizePen(pen_);
    RealizeBrush(brush_);
    AppendInclusive(emf::kEllipse, r);
}

void EmfRecordingCanvas::RoundRect(const Rect& rect, int cornerWidth, int cornerHeight) {
    if (!Drawing()) return;
    const Rect r = NormalizedRect(rect);
    RealizePen(pen_);
    RealizeBrush(brush_);
    Append(emf::kRoundRect, {U(r.left), U(r.top), U(r.right) - 1, U(r.bottom) - 1,
                             U(std::max(cornerWidth, 0)), U(std::max(cornerHeight, 0))});
}

void EmfRecordingCanvas::LineTo(Point point) {
    if (!Drawing()) return;
    RealizePen(pen_);
    RealizePosition();
    Append(emf::kLineTo, {U(point.x), U(point.y)});
    position_ = point;
    writtenPosition_ = point;
}

void EmfRecordingCanvas::DrawPicture(const PagePicture& picture, const Rect& target) {
    if (!Drawing()) return;
    picture.Play(*this, target);
}

void EmfRecordingCanvas::Append(std::uint32_t type, std::initializer_list<std::uint32_t> fields) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + 8 + 4 * fields.size());
    std::uint8_t* p = bytes_.data() + at;
    PutU32(p, type);
    PutU32(p + 4, static_cast<std::uint32_t>(8 + 4 * fields.size()));
    std::size_t offset = 8;
    for (std::uint32_t field : fields) {
        PutU32(p + offset, field);
        offset += 4;
    }
    ++records_;
}

void EmfRecordingCanvas::AppendRect(std::uint32_t type, const Rect& box) {
    Append(type, {U(box.left), U(box.top), U(box.right), U(box.bottom)});
}

// Shapes take boxes that include their right and bottom edges.
void EmfRecordingCanvas::AppendInclusive(std::uint32_t type, const Rect& box) {
    Append(type, {U(box.left), U(box.top), U(box.right) - 1, U(box.bottom) - 1});
}

std::uint32_t EmfRecordingCanvas::AllocateSlot() {
    auto free = std::find(slotsInUse_.begin() + 1, slotsInUse_.end(), false);
    const auto slot = static_cast<std::uint32_t>(free - slotsInUse_.begin());
    if (free == slotsInUse_.end()) {
        slotsInUse_.push_back(true);
    } else {
        *free = true;
    }
    highestSlot_ = std::max(highestSlot_, slot);
    return slot;
}

void EmfRecordingCanvas::DeleteSlot(std::uint32_t slot) {
    Append(emf::kDeleteObject, {slot});
    slotsInUse_[slot] = false;
}

template <typename Key, typename Create>
std::uint32_t EmfRecordingCanvas::Realize(std::vector<CachedObject<Key>>& cache,
                                          std::size_t capacity, const Key& key, Create create) {
    ++useCounter_;
    for (auto& entry : cache) {
        if (entry.key == key) {
            entry.lastUse = useCounter_;
            return entry.slot;
        }
    }
    if (cache.size() >= capacity) {
        // The selected object of this kind was realized last, so it is never the oldest.
        auto oldest =
            std::min_element(cache.begin(), cache.end(),
                             [](const auto& a, const auto& b) { return a.lastUse < b.lastUse; });
        DeleteSlot(oldest->slot);
        cache.erase(oldest);
    }
    const std::uint32_t slot = AllocateSlot();
    create(slot);
    cache.push_back({key, slot, useCounter_});
    return slot;
}

void EmfRecordingCanvas::SelectHandle(std::uint32_t handle, std::uint32_t& selected) {
    if (handle == selected) return;
    Append(emf::kSelectObject, {handle});
    selected = handle;
}

void EmfRecordingCanvas::RealizeFont() {
    FontKey key;
    key.face = emf::Utf8ToUtf16(font_.face).substr(0, emf::kFaceNameUnits - 1);
    key.height = -FontPixelSize(font_.size, kScreenPixelsPerInch);
    key.weight = (font_.style & kFontBold) != 0 ? 700 : 400;
    key.italic = (font_.style & kFontItalic) != 0;
    key.underline = (font_.style & kFontUnderline) != 0;
    key.strikeOut = (font_.style & kFontStrikeOut) != 0;
    // The text records are Unicode whatever code page the engine's 8-bit text was in; a font
    // of the DOS code page is recorded as a Cyrillic one, so that other readers do not go
    // looking for an OEM font for it.
    key.charset = font_.charset == kOemCharset ? kRussianCharset : std::clamp(font_.charset, 0, 255);
    const std::uint32_t slot =
        Realize(fonts_, kCachedFonts, key, [&](std::uint32_t s) { WriteFont(s, key); });
    SelectHandle(slot, selectedFont_);
}

void EmfRecordingCanvas::RealizePen(const Pen& pen) {
    std::uint32_t handle = StockPen(pen);
    if (handle == 0) {
        handle = Realize(pens_, kCachedPens, pen, [&](std::uint32_t s) {
            Append(emf::kCreatePen,
                   {s, PenStyleCode(pen.style), U(std::max(pen.width, 0)), 0, pen.color});
        });
    }
    SelectHandle(handle, selectedPen_);
    if (Dashed(pen)) RealizeBackground(true);  // the gaps of a dashed line show the background
}

void EmfRecordingCanvas::RealizeBrush(const Brush& brush) {
    std::uint32_t handle = StockBrush(brush);
    if (handle == 0) {
        handle = Realize(brushes_, kCachedBrushes, brush, [&](std::uint32_t s) {
            Append(emf::kCreateBrushIndirect, {s, 0, brush.color, 0});
        });
    }
    SelectHandle(handle, selectedBrush_);
}

void EmfRecordingCanvas::RealizeBackground(bool colourMatters) {
    if (transparent_ != writtenTransparent_) {
        Append(emf::kSetBkMode, {transparent_ ? emf::kTransparent : emf::kOpaque});
        writtenTransparent_ = transparent_;
    }
    if (colourMatters && !transparent_ && backgroundColor_ != writtenBackground_) {
        Append(emf::kSetBkColor, {backgroundColor_});
        writtenBackground_ = backgroundColor_;
    }
}

void EmfRecordingCanvas::RealizePosition() {
    if (position_ == writtenPosition_) return;
    Append(emf::kMoveToEx, {U(position_.x), U(position_.y)});
    writtenPosition_ = position_;
}

void EmfRecordingCanvas::WriteFont(std::uint32_t slot, const FontKey& key) {
    const std::size_t at = bytes_.size();
    bytes_.resize(at + emf::kFontRecordSize, 0);
    std::uint8_t* p = bytes_.data() + at;
    PutU32(p + 0, emf::kExtCreateFontIndirectW);
    PutU32(p + 4, static_cast<std::uint32_t>(emf::kFontRecordSize));
    PutU32(p + 8, slot);
    PutU32(p + 12, U(key.height));
    PutU32(p + 28, U(key.weight));
    p[32] = key.italic ? 1 : 0;
    p[33] = key.underline ? 1 : 0;
    p[34] = key.strikeOut ? 1 : 0;
    p[35] = static_cast<std::uint8_t>(key.charset);
    for (std::size_t i = 0; i < key.face.size(); ++i) {
        p[40 + 2 * i] = static_cast<std::uint8_t>(key.face[i]);
        p[40 + 2 * i + 1] = static_cast<std::uint8_t>(key.face[i] >> 8);
    }
    PutU32(p + 360, emf::kDesignVectorSignature);
    ++records_;
}

}  // namespace quillon
