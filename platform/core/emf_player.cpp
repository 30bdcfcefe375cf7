// Playback of page pictures onto a canvas. The records come from files the user opens, so
// every field is checked against its record before use; a record that fails a check is
// skipped and playback goes on with the next one.

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/core/canvas.h"
#include "platform/core/cp1251.h"
#include "platform/core/dos_code_page.h"
#include "platform/core/emf_format.h"
#include "platform/core/page_picture.h"
#include "platform/core/services.h"

namespace quillon {

namespace {

using emf::Record;

constexpr double kMaxCoordinate = 1 << 24;    // target pixels either way from the origin
constexpr double kMaxFontPixels = 16384;      // em height on the target
constexpr double kMaxPenWidth = 4096;         // target pixels
constexpr std::uint32_t kMaxObjects = 65535;  // object table slots
constexpr std::size_t kMaxSavedStates = 1024;
constexpr int kBezierSegments = 32;        // most line segments per curve
constexpr double kDefaultFontPixels = 16;  // a font of height 0, in reference pixels

constexpr std::uint32_t kPenStyleMask = 0xF;
// Line styles 0 to 8; a user-defined dash pattern (7) is drawn solid, alternate pixels (8) dotted.
constexpr PenStyle kPenStyles[] = {
    PenStyle::psSolid,       PenStyle::psDash,       PenStyle::psDot,
    PenStyle::psDashDot,     PenStyle::psDashDotDot, PenStyle::psClear,
    PenStyle::psInsideFrame, PenStyle::psSolid,      PenStyle::psDot};
constexpr std::uint32_t kPenNull = 5;
constexpr std::uint32_t kPenGeometric = 0x10000;
constexpr std::uint32_t kTaUpdateCp = 1;
constexpr unsigned kCanvasAlignMask = kTaCenter | kTaBaseline | kTaRtlReading;
constexpr unsigned kCanvasTextOptions = kEtoOpaque | kEtoClipped | kEtoRtlReading;
constexpr std::uint32_t kPatCopy = 0x00F00021;
constexpr std::uint32_t kBlackness = 0x00000042;
constexpr std::uint32_t kWhiteness = 0x00FF0062;
constexpr int kAnsiCharset = 0;

// Windows-1252 bytes 0x80..0x9F; the rest of that code page is Latin-1.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,  // 88
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,  // 98
};

struct FontObject {
    std::int64_t height = 16;  // logical units; < 0 em height, > 0 cell height, 0 default
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = kDefaultCharset;
    std::string face = "Arial";
    double emPerCell = 1;  // em height per cell height, for positive heights
};

struct PenObject {
    std::uint32_t style = 0;  // line style in the low four bits
    std::int64_t width = 0;   // logical units; 0 is one target pixel
    Color color = kBlack;
};

struct BrushObject {
    Brush brush;
};

struct OtherObject {};  // palettes and colour spaces: hold a slot, never drawn with

using Object = std::variant<std::monostate, FontObject, PenObject, BrushObject, OtherObject>;

// Stock objects 0x80000000 | index.
enum class StockKind { kNone, kBrush, kPen, kFont };
struct StockObject {
    StockKind kind;
    Color color;
    bool null;
    const char* face;
    int height;
    int charset;
};
constexpr std::array<StockObject, 20> kStock = {{
    {StockKind::kBrush, kWhite, false, nullptr, 0, 0},                 // WHITE_BRUSH
    {StockKind::kBrush, Rgb(0xC0, 0xC0, 0xC0), false, nullptr, 0, 0},  // LTGRAY_BRUSH
    {StockKind::kBrush, Rgb(0x80, 0x80, 0x80), false, nullptr, 0, 0},  // GRAY_BRUSH
    {StockKind::kBrush, Rgb(0x40, 0x40, 0x40), false, nullptr, 0, 0},  // DKGRAY_BRUSH
    {StockKind::kBrush, kBlack, false, nullptr, 0, 0},                 // BLACK_BRUSH
    {StockKind::kBrush, kWhite, true, nullptr, 0, 0},                  // NULL_BRUSH
    {StockKind::kPen, kWhite, false, nullptr, 0, 0},                   // WHITE_PEN
    {StockKind::kPen, kBlack, false, nullptr, 0, 0},                   // BLACK_PEN
    {StockKind::kPen, kBlack, true, nullptr, 0, 0},                    // NULL_PEN
    {StockKind::kNone, 0, false, nullptr, 0, 0},                       // unused
    {StockKind::kFont, 0, false, "Courier New", 12, 255},              // OEM_FIXED_FONT
    {StockKind::kFont, 0, false, "Courier New", 13, 0},                // ANSI_FIXED_FONT
    {StockKind::kFont, 0, false, "Arial", 13, 0},                      // ANSI_VAR_FONT
    {StockKind::kFont, 0, false, "Arial", 16, 1},                      // SYSTEM_FONT
    {StockKind::kFont, 0, false, "Arial", 16, 1},                      // DEVICE_DEFAULT_FONT
    {StockKind::kNone, 0, false, nullptr, 0, 0},                       // DEFAULT_PALETTE
    {StockKind::kFont, 0, false, "Courier New", 15, 1},                // SYSTEM_FIXED_FONT
    {StockKind::kFont, 0, false, "Arial", -11, 1},                     // DEFAULT_GUI_FONT
    {StockKind::kBrush, kWhite, false, nullptr, 0, 0},                 // DC_BRUSH
    {StockKind::kPen, kBlack, false, nullptr, 0, 0},                   // DC_PEN
}};

FontObject StockFont(std::uint32_t handle) {
    const StockObject& s = kStock[handle & ~emf::kStockBit];
    FontObject font;
    font.face = s.face;
    font.height = s.height;
    font.charset = s.charset;
    font.emPerCell = 0.85;
    return font;
}

PenObject StockPen(std::uint32_t handle) {
    const StockObject& s = kStock[handle & ~emf::kStockBit];
    return {s.null ? kPenNull : 0, 0, s.color};
}

BrushObject StockBrush(std::uint32_t handle) {
    const StockObject& s = kStock[handle & ~emf::kStockBit];
    return {Brush{s.color, s.null ? BrushStyle::bsClear : BrushStyle::bsSolid}};
}

// Scale and translation only: the canvas draws upright text and axis-aligned shapes, so a
// rotating or shearing transform is ignored.
struct Transform {
    double m11 = 1;
    double m22 = 1;
    double dx = 0;
    double dy = 0;
};

// The drawing state a metafile changes, saved and restored as a whole.
struct DcState {
    FontObject font = StockFont(emf::kSystemFont);
    std::uint32_t fontHandle = emf::kSystemFont;
    PenObject pen = StockPen(emf::kBlackPen);
    std::uint32_t penHandle = emf::kBlackPen;
    BrushObject brush = StockBrush(emf::kWhiteBrush);
    std::uint32_t brushHandle = emf::kWhiteBrush;
    std::uint32_t align = 0;
    bool transparent = false;
    Color background = kWhite;
    Color textColor = kBlack;
    double positionX = 0;  // logical
    double positionY = 0;
    std::optional<Rect> clip;  // target pixels
    std::uint32_t mapMode = 1;
    double windowOrgX = 0, windowOrgY = 0, windowExtX = 1, windowExtY = 1;
    double viewportOrgX = 0, viewportOrgY = 0, viewportExtX = 1, viewportExtY = 1;
    Transform world;
};

int ToPixel(double value) {
    if (std::isnan(value)) return 0;
    return static_cast<int>(std::nearbyint(std::clamp(value, -kMaxCoordinate, kMaxCoordinate)));
}

bool Finite(std::initializer_list<double> values) {
    return std::all_of(values.begin(), values.end(), [](double v) { return std::isfinite(v); });
}

Color ColorOf(std::uint32_t value) {
    return value & 0x00FFFFFF;
}

class Player {
public:
    Player(const emf::Geometry& geometry, Canvas& canvas, const Rect& target)
        : canvas_(canvas), geometry_(geometry), target_(target) {
        const int dpi = canvas.Caps().dpiY;
        dpiY_ = dpi > 0 ? dpi : kScreenPixelsPerInch;
        scaleX_ = static_cast<double>(target.Width()) / std::max(geometry.width, 1);
        scaleY_ = static_cast<double>(target.Height()) / std::max(geometry.height, 1);
        objects_.resize(std::max<std::size_t>(geometry.handles, 1));
        UpdateMapping();
    }

    void Play(const Record& r);
    bool Clipped() const { return state_.clip.has_value(); }

private:
    struct Axis {
        double scale = 1;
        double offset = 0;
        double operator()(double v) const { return scale * v + offset; }
    };

    Point Map(double x, double y) const { return {ToPixel(mapX_(x)), ToPixel(mapY_(y))}; }
    Rect MapRect(double l, double t, double r, double b) const {
        const Point a = Map(l, t);
        const Point c = Map(r, b);
        return NormalizedRect({a.x, a.y, c.x, c.y});
    }
    // Reference-device pixels (regions) to the target.
    Point MapDevice(double x, double y) const {
        return {ToPixel(target_.left + (x - geometry_.originX) * scaleX_),
                ToPixel(target_.top + (y - geometry_.originY) * scaleY_)};
    }

    void UpdateMapping();
    void Store(std::uint32_t index, Object object);
    void Select(std::uint32_t handle);
    void Delete(std::uint32_t handle);

    void ApplyFont();
    void ApplyPen();
    void ApplyBrush();
    void ApplyBackground();
    void MoveCanvas(Point p);
    void LineCanvas(Point p);
    void ChangeClip(const std::optional<Rect>& clip);
    void IntersectClip(const Rect& rect);
    void DrawBox(double left, double top, double right, double bottom);

    void CreateFont(const Record& r);
    void CreatePen(const Record& r);
    void CreateExtPen(const Record& r);
    void CreateBrush(const Record& r);
    void Text(const Record& r, bool wide);
    void Poly(const Record& r, bool small);
    void PolyPoly(const Record& r, bool small);
    void SelectClipRegion(const Record& r);
    void BitBlt(const Record& r);
    void SetWorldTransform(const Record& r, std::uint32_t mode);
    void SaveState();
    void RestoreState(std::int32_t which);

    void PolylineThrough(const std::vector<std::array<double, 2>>& points, bool close);
    void Bezier(const std::vector<std::array<double, 2>>& points, std::size_t first);

    Canvas& canvas_;
    emf::Geometry geometry_;
    Rect target_;
    int dpiY_;
    double scaleX_;  // target pixels per reference pixel
    double scaleY_;
    Axis mapX_;  // logical units to target pixels
    Axis mapY_;

    DcState state_;
    std::vector<DcState> saved_;
    std::vector<Object> objects_;
    std::optional<Point> canvasPosition_;
    std::optional<bool> canvasTransparent_;
    std::optional<Color> canvasBackground_;
};

// Millimetres per logical unit of the fixed map modes 2 to 6 (tenth and hundredth of a
// millimetre, hundredth and thousandth of an inch, twip); their y axis points up.
constexpr double kMillimetresPerUnit[] = {0, 0, 0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
constexpr std::uint32_t kMapIsotropic = 7;
constexpr std::uint32_t kMapAnisotropic = 8;

void Player::UpdateMapping() {
    const DcState& s = state_;
    // Page units to reference pixels.
    double kx = 1;
    double ky = 1;
    if (s.mapMode == kMapIsotropic || s.mapMode == kMapAnisotropic) {
        kx = s.viewportExtX / s.windowExtX;
        ky = s.viewportExtY / s.windowExtY;
        if (s.mapMode == kMapIsotropic) {  // same unit size both ways, the smaller one
            const double m = std::min(std::fabs(kx), std::fabs(ky));
            kx = std::copysign(m, kx);
            ky = std::copysign(m, ky);
        }
    } else if (s.mapMode < std::size(kMillimetresPerUnit) && kMillimetresPerUnit[s.mapMode] != 0) {
        kx = kMillimetresPerUnit[s.mapMode] * geometry_.pixelsPerMmX;
        ky = -kMillimetresPerUnit[s.mapMode] * geometry_.pixelsPerMmY;
    }
    mapX_.scale = s.world.m11 * kx * scaleX_;
    mapX_.offset =
        ((s.world.dx - s.windowOrgX) * kx + s.viewportOrgX - geometry_.originX) * scaleX_ +
        target_.left;
    mapY_.scale = s.world.m22 * ky * scaleY_;
    mapY_.offset =
        ((s.world.dy - s.windowOrgY) * ky + s.viewportOrgY - geometry_.originY) * scaleY_ +
        target_.top;
}

void Player::Play(const Record& r) {
    const std::size_t size = r.Size();
    switch (r.Type()) {
        case emf::kExtCreateFontIndirectW:
            CreateFont(r);
            break;
        case emf::kCreatePen:
            CreatePen(r);
            break;
        case emf::kExtCreatePen:
            CreateExtPen(r);
            break;
        case emf::kCreateBrushIndirect:
            CreateBrush(r);
            break;
        case emf::kCreateMonoBrush:
        case emf::kCreateDibPatternBrushPt:
            // Pattern brushes need bitmaps; filling with nothing hides less than a guess.
            if (size >= 12) Store(r.U32At(8), BrushObject{Brush{kWhite, BrushStyle::bsClear}});
            break;
        case emf::kCreatePalette:
        case emf::kCreateColorSpace:
        case emf::kCreateColorSpaceW:
            if (size >= 12) Store(r.U32At(8), OtherObject{});
            break;
        case emf::kSelectObject:
            if (size >= 12) Select(r.U32At(8));
            break;
        case emf::kDeleteObject:
            if (size >= 12) Delete(r.U32At(8));
            break;
        case emf::kSetTextAlign:
            if (size >= 12) state_.align = r.U32At(8);
            break;
        case emf::kSetBkMode:
            if (size >= 12 && (r.U32At(8) == emf::kTransparent || r.U32At(8) == emf::kOpaque)) {
                state_.transparent = r.U32At(8) == emf::kTransparent;
            }
            break;
        case emf::kSetTextColor:
            if (size >= 12) state_.textColor = ColorOf(r.U32At(8));
            break;
        case emf::kSetBkColor:
            if (size >= 12) state_.background = ColorOf(r.U32At(8));
            break;
        case emf::kSetMapMode:
            if (size >= 12 && r.U32At(8) >= 1 && r.U32At(8) <= 8) {
                state_.mapMode = r.U32At(8);
                UpdateMapping();
            }
            break;
        case emf::kSetWindowOrgEx:
        case emf::kSetViewportOrgEx:
            if (size >= 16) {
                const bool window = r.Type() == emf::kSetWindowOrgEx;
                (window ? state_.windowOrgX : state_.viewportOrgX) = r.I32At(8);
                (window ? state_.windowOrgY : state_.viewportOrgY) = r.I32At(12);
                UpdateMapping();
            }
            break;
        case emf::kSetWindowExtEx:
        case emf::kSetViewportExtEx:
            if (size >= 16 && r.I32At(8) != 0 && r.I32At(12) != 0) {
                const bool window = r.Type() == emf::kSetWindowExtEx;
                (window ? state_.windowExtX : state_.viewportExtX) = r.I32At(8);
                (window ? state_.windowExtY : state_.viewportExtY) = r.I32At(12);
                UpdateMapping();
            }
            break;
        case emf::kSetWorldTransform:
            if (size >= 32) SetWorldTransform(r, 4);
            break;
        case emf::kModifyWorldTransform:
            if (size >= 36) SetWorldTransform(r, r.U32At(32));
            break;
        case emf::kSaveDc:
            SaveState();
            break;
        case emf::kRestoreDc:
            if (size >= 12) RestoreState(r.I32At(8));
            break;
        case emf::kMoveToEx:
            if (size >= 16) {
                state_.positionX = r.I32At(8);
                state_.positionY = r.I32At(12);
            }
            break;
        case emf::kLineTo:
            if (size >= 16) {
                ApplyPen();
                MoveCanvas(Map(state_.positionX, state_.positionY));
                state_.positionX = r.I32At(8);
                state_.positionY = r.I32At(12);
                LineCanvas(Map(state_.positionX, state_.positionY));
            }
            break;
        case emf::kRectangle:
        case emf::kEllipse:
        case emf::kRoundRect: {
            if (size < 24 || (r.Type() == emf::kRoundRect && size < 32)) break;
            // The record's box is inclusive; the canvas wants the right and bottom edges
            // outside.
            const double l = r.I32At(8), t = r.I32At(12), rt = r.I32At(16), b = r.I32At(20);
            if (r.Type() == emf::kRectangle) {
                DrawBox(l, t, rt, b);
                break;
            }
            const Rect box = MapRect(l, t, rt + 1, b + 1);
            ApplyPen();
            ApplyBrush();
            if (r.Type() == emf::kEllipse) {
                canvas_.Ellipse(box);
            } else {
                canvas_.RoundRect(box, ToPixel(std::fabs(r.I32At(24) * mapX_.scale)),
                                  ToPixel(std::fabs(r.I32At(28) * mapY_.scale)));
            }
            break;
        }
        case emf::kIntersectClipRect:
            if (size >= 24) {
                IntersectClip(MapRect(r.I32At(8), r.I32At(12), r.I32At(16), r.I32At(20)));
            }
            break;
        case emf::kExtSelectClipRgn:
            SelectClipRegion(r);
            break;
        case emf::kExtTextOutA:
            Text(r, false);
            break;
        case emf::kExtTextOutW:
            Text(r, true);
            break;
        case emf::kPolyBezier16:
        case emf::kPolygon16:
        case emf::kPolyline16:
        case emf::kPolyBezierTo16:
        case emf::kPolylineTo16:
            Poly(r, true);
            break;
        case emf::kPolyBezier:
        case emf::kPolygon:
        case emf::kPolyline:
        case emf::kPolyBezierTo:
        case emf::kPolylineTo:
            Poly(r, false);
            break;
        case emf::kPolyPolyline16:
        case emf::kPolyPolygon16:
            PolyPoly(r, true);
            break;
        case emf::kPolyPolyline:
        case emf::kPolyPolygon:
            PolyPoly(r, false);
            break;
        case emf::kBitBlt:
            BitBlt(r);
            break;
        default:
            break;  // not drawn by this player, or nothing to draw
    }
}

void Player::Store(std::uint32_t index, Object object) {
    if (index == 0 || index > kMaxObjects) return;
    if (index >= objects_.size()) objects_.resize(index + 1);
    objects_[index] = std::move(object);
}

void Player::Select(std::uint32_t handle) {
    if ((handle & emf::kStockBit) != 0) {
        if (handle > emf::kLastStock) return;
        switch (kStock[handle & ~emf::kStockBit].kind) {
            case StockKind::kFont:
                state_.font = StockFont(handle);
                state_.fontHandle = handle;
                break;
            case StockKind::kPen:
                state_.pen = StockPen(handle);
                state_.penHandle = handle;
                break;
            case StockKind::kBrush:
                state_.brush = StockBrush(handle);
                state_.brushHandle = handle;
                break;
            case StockKind::kNone:
                break;
        }
        return;
    }
    if (handle >= objects_.size()) return;
    const Object& object = objects_[handle];
    if (const auto* font = std::get_if<FontObject>(&object)) {
        state_.font = *font;
        state_.fontHandle = handle;
    } else if (const auto* pen = std::get_if<PenObject>(&object)) {
        state_.pen = *pen;
        state_.penHandle = handle;
    } else if (const auto* brush = std::get_if<BrushObject>(&object)) {
        state_.brush = *brush;
        state_.brushHandle = handle;
    }
}

void Player::Delete(std::uint32_t handle) {
    if ((handle & emf::kStockBit) != 0 || handle == 0 || handle >= objects_.size()) return;
    // Deleting the selected object brings back the default of its kind.
    if (state_.fontHandle == handle) Select(emf::kSystemFont);
    if (state_.penHandle == handle) Select(emf::kBlackPen);
    if (state_.brushHandle == handle) Select(emf::kWhiteBrush);
    objects_[handle] = std::monostate{};
}

void Player::CreateFont(const Record& r) {
    if (r.Size() < 12 + emf::kLogFontSize) return;
    FontObject font;
    font.height = r.I32At(12);
    font.bold = r.I32At(28) >= 600;
    font.italic = r.U8At(32) != 0;
    font.underline = r.U8At(33) != 0;
    font.strikeOut = r.U8At(34) != 0;
    font.charset = r.U8At(35);
    std::u16string face;
    for (std::size_t i = 0; i < emf::kFaceNameUnits; ++i) {
        const char16_t c = r.U16At(40 + 2 * i);
        if (c == 0) break;
        face += c;
    }
    if (!face.empty()) font.face = emf::Utf16ToUtf8(face);
    if (font.height > 0) {
        // A positive height is the cell (ascent plus descent); the font's own proportions
        // give the em, measured once at a large size.
        FontSpec probe;
        probe.face = font.face;
        probe.size = 75;  // 100 pixels at the reference resolution
        probe.style = font.bold ? unsigned{kFontBold} : 0u;
        const int cell = Platform().measurer->Metrics(probe, kScreenPixelsPerInch).Height();
        font.emPerCell = cell > 0 ? std::min(100.0 / cell, 1.0) : 1.0;
    }
    Store(r.U32At(8), std::move(font));
}

void Player::CreatePen(const Record& r) {
    if (r.Size() < 28) return;
    Store(r.U32At(8), PenObject{r.U32At(12), r.I32At(16), ColorOf(r.U32At(24))});
}

void Player::CreateExtPen(const Record& r) {
    if (r.Size() < 52) return;
    PenObject pen{r.U32At(28), r.I32At(32), ColorOf(r.U32At(40))};
    if ((pen.style & kPenGeometric) == 0) pen.width = 0;  // cosmetic: one device pixel
    if (r.U32At(36) == 1) pen.style = kPenNull;           // hollow brush: no line
    Store(r.U32At(8), pen);
}

void Player::CreateBrush(const Record& r) {
    if (r.Size() < 24) return;
    // Hatched brushes are drawn as no fill: a solid fill in their colour would hide what lies
    // under the hatching.
    const std::uint32_t style = r.U32At(12);
    const BrushStyle brushStyle = style == 0 ? BrushStyle::bsSolid : BrushStyle::bsClear;
    Store(r.U32At(8), BrushObject{Brush{ColorOf(r.U32At(16)), brushStyle}});
}

void Player::ApplyFont() {
    const FontObject& f = state_.font;
    double pixels;
    if (f.height < 0) {
        pixels = static_cast<double>(-f.height) * std::fabs(mapY_.scale);
    } else if (f.height > 0) {
        pixels = static_cast<double>(f.height) * f.emPerCell * std::fabs(mapY_.scale);
    } else {
        pixels = kDefaultFontPixels * std::fabs(scaleY_);
    }
    if (std::isnan(pixels)) pixels = kDefaultFontPixels;
    pixels = std::clamp(pixels, 0.0, kMaxFontPixels);

    FontSpec wanted;
    wanted.face = f.face;
    wanted.size = pixels * 72.0 / dpiY_;
    wanted.style = (f.bold ? kFontBold : 0u) | (f.italic ? kFontItalic : 0u) |
                 (f.underline ? kFontUnderline : 0u) | (f.strikeOut ? kFontStrikeOut : 0u);
    wanted.color = state_.textColor;
    wanted.charset = f.charset;
    if (!(canvas_.Font() == wanted)) canvas_.SetFont(wanted);
}

void Player::ApplyPen() {
    const PenObject& p = state_.pen;
    Pen pen;
    pen.color = p.color;
    const std::uint32_t style = p.style & kPenStyleMask;
    pen.style = style < std::size(kPenStyles) ? kPenStyles[style] : PenStyle::psSolid;
    if (p.width <= 0) {
        pen.width = 0;
    } else {
        double w =
            static_cast<double>(p.width) * (std::fabs(mapX_.scale) + std::fabs(mapY_.scale)) / 2;
        if (std::isnan(w)) w = 1;
        pen.width = static_cast<int>(std::nearbyint(std::clamp(w, 1.0, kMaxPenWidth)));
    }
    if (!(canvas_.CurrentPen() == pen)) canvas_.SetPen(pen);
    if (pen.style != PenStyle::psSolid && pen.style != PenStyle::psClear &&
        pen.style != PenStyle::psInsideFrame) {
        ApplyBackground();  // gaps of dashed lines show the background
    }
}

void Player::ApplyBrush() {
    if (!(canvas_.CurrentBrush() == state_.brush.brush)) canvas_.SetBrush(state_.brush.brush);
}

void Player::ApplyBackground() {
    if (canvasTransparent_ != state_.transparent) {
        canvas_.SetBackgroundTransparent(state_.transparent);
        canvasTransparent_ = state_.transparent;
    }
    if (canvasBackground_ != state_.background) {
        canvas_.SetBackgroundColor(state_.background);
        canvasBackground_ = state_.background;
    }
}

void Player::MoveCanvas(Point p) {
    if (canvasPosition_ == p) return;
    canvas_.MoveTo(p);
    canvasPosition_ = p;
}

void Player::LineCanvas(Point p) {
    canvas_.LineTo(p);
    canvasPosition_ = p;
}

void Player::ChangeClip(const std::optional<Rect>& clip) {
    if (clip == state_.clip) return;
    if (state_.clip) canvas_.RemoveClip();
    if (clip) canvas_.SetClipRect(*clip);
    state_.clip = clip;
}

void Player::IntersectClip(const Rect& rect) {
    const Rect clip = state_.clip ? IntersectRects(*state_.clip, rect) : rect;
    if (state_.clip == clip) return;
    canvas_.SetClipRect(rect);
    state_.clip = clip;
}

// A rectangle from its inclusive logical box: outlined with the pen up to and including the
// box's right and bottom edges, or, without a pen, filled up to (excluding) them.
void Player::DrawBox(double left, double top, double right, double bottom) {
    if ((state_.pen.style & kPenStyleMask) == kPenNull) {
        if (state_.brush.brush.style == BrushStyle::bsClear) return;
        ApplyBrush();
        canvas_.FillRect(MapRect(left, top, right, bottom));
        return;
    }
    ApplyPen();
    ApplyBrush();
    canvas_.Rectangle(MapRect(left, top, right + 1, bottom + 1));
}

void Player::Text(const Record& r, bool wide) {
    if (r.Size() < 60) return;
    const std::uint32_t options = r.U32At(emf::kTextOptions);
    if ((options & emf::kEtoGlyphIndex) != 0) return;  // glyph numbers of a font we lack
    const bool noRect = (options & emf::kEtoNoRect) != 0;
    if (!noRect && r.Size() < emf::kTextFixedSize) return;

    const std::uint32_t count = r.U32At(emf::kTextCount);
    const std::uint32_t stringOffset = r.U32At(emf::kTextStringOffset);
    const std::size_t charSize = wide ? 2 : 1;
    if (count > 0 && (stringOffset < 60 || !r.Holds(stringOffset, count, charSize))) return;

    std::u16string text(count, u' ');
    for (std::uint32_t i = 0; i < count; ++i) {
        if (wide) {
            text[i] = r.U16At(stringOffset + 2 * std::size_t{i});
        } else {
            const std::uint8_t byte = r.U8At(stringOffset + i);
            if (state_.font.charset == kOemCharset) {
                text[i] = DosToUnicode(byte);
            } else if (state_.font.charset != kAnsiCharset) {
                text[i] = Cp1251ToUnicode(byte);
            } else {
                text[i] = byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
            }
        }
    }

    // Advances: a bad offset drops them and leaves the text.
    const std::uint32_t dxOffset = r.U32At(noRect ? emf::kTextRect : emf::kTextDxOffset);
    const std::size_t dxStep = (options & emf::kEtoPdy) != 0 ? 2 : 1;
    const bool hasDx =
        count > 0 && dxOffset >= 60 && r.Holds(dxOffset, std::uint64_t{count} * dxStep, 4);

    double refX = r.I32At(emf::kTextReference);
    double refY = r.I32At(emf::kTextReference + 4);
    const bool updateCp = (state_.align & kTaUpdateCp) != 0;
    if (updateCp) {
        refX = state_.positionX;
        refY = state_.positionY;
    }
    const Point origin = Map(refX, refY);

    std::vector<int> advances;
    double logicalWidth = 0;
    if (hasDx) {
        advances.resize(count);
        double position = refX;
        int previous = origin.x;
        for (std::uint32_t i = 0; i < count; ++i) {
            const double dx = r.I32At(dxOffset + 4 * dxStep * std::size_t{i});
            position += dx;
            logicalWidth += dx;
            const int next = ToPixel(mapX_(position));
            advances[i] = next - previous;
            previous = next;
        }
    }

    unsigned canvasOptions = options & kCanvasTextOptions;
    std::optional<Rect> rect;
    if (!noRect && (options & (kEtoOpaque | kEtoClipped)) != 0) {
        rect = MapRect(r.I32At(emf::kTextRect), r.I32At(emf::kTextRect + 4),
                       r.I32At(emf::kTextRect + 8), r.I32At(emf::kTextRect + 12));
    } else {
        canvasOptions &= ~static_cast<unsigned>(kEtoOpaque | kEtoClipped);
    }
    if (count == 0 && (canvasOptions & kEtoOpaque) == 0) return;

    ApplyFont();
    const unsigned align = state_.align & kCanvasAlignMask;
    if (canvas_.TextAlign() != align) canvas_.SetTextAlign(align);
    ApplyBackground();
    canvas_.TextOutW(origin.x, origin.y, text, hasDx ? advances.data() : nullptr, canvasOptions,
                     rect ? &*rect : nullptr);

    if (updateCp) {
        if (!hasDx && mapX_.scale != 0) {
            logicalWidth = canvas_.TextExtentW(text).cx / mapX_.scale;
        }
        const unsigned horizontal = state_.align & kTaCenter;
        if (horizontal == kTaLeft) state_.positionX += logicalWidth;
        if (horizontal == kTaRight) state_.positionX -= logicalWidth;
    }
}

void Player::PolylineThrough(const std::vector<std::array<double, 2>>& points, bool close) {
    if (points.size() < 2) return;
    ApplyPen();
    const Point first = Map(points[0][0], points[0][1]);
    MoveCanvas(first);
    for (std::size_t i = 1; i < points.size(); ++i) LineCanvas(Map(points[i][0], points[i][1]));
    if (close) LineCanvas(first);
}

// Cubic Bézier segments from points[first] on: each curve takes three more points. Drawn as
// lines, more of them for longer curves.
void Player::Bezier(const std::vector<std::array<double, 2>>& points, std::size_t first) {
    ApplyPen();
    MoveCanvas(Map(points[first][0], points[first][1]));
    for (std::size_t i = first; i + 3 < points.size(); i += 3) {
        double px[4], py[4];
        double length = 0;
        for (int k = 0; k < 4; ++k) {
            px[k] = mapX_(points[i + k][0]);
            py[k] = mapY_(points[i + k][1]);
            if (k > 0) length += std::hypot(px[k] - px[k - 1], py[k] - py[k - 1]);
        }
        const int segments =
            length >= 4 ? static_cast<int>(std::min(length / 4, double{kBezierSegments})) : 1;
        for (int s = 1; s <= segments; ++s) {
            const double t = static_cast<double>(s) / segments;
            const double u = 1 - t;
            const double x = u * u * u * px[0] + 3 * u * u * t * px[1] + 3 * u * t * t * px[2] +
                             t * t * t * px[3];
            const double y = u * u * u * py[0] + 3 * u * u * t * py[1] + 3 * u * t * t * py[2] +
                             t * t * t * py[3];
            LineCanvas({ToPixel(x), ToPixel(y)});
        }
    }
}

void Player::Poly(const Record& r, bool small) {
    if (r.Size() < 28) return;
    const std::uint32_t count = r.U32At(24);
    const std::size_t pointSize = small ? 4 : 8;
    if (!r.Holds(28, count, pointSize)) return;
    const std::uint32_t type = r.Type();
    const bool to = type == emf::kPolylineTo16 || type == emf::kPolyBezierTo16 ||
                    type == emf::kPolylineTo || type == emf::kPolyBezierTo;
    std::vector<std::array<double, 2>> points;
    points.reserve(count + 1);
    if (to) points.push_back({state_.positionX, state_.positionY});
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 28 + pointSize * i;
        if (small) {
            points.push_back(
                {static_cast<double>(r.I16At(at)), static_cast<double>(r.I16At(at + 2))});
        } else {
            points.push_back(
                {static_cast<double>(r.I32At(at)), static_cast<double>(r.I32At(at + 4))});
        }
    }
    if (points.empty()) return;

    switch (type) {
        case emf::kPolyBezier16:
        case emf::kPolyBezier:
        case emf::kPolyBezierTo16:
        case emf::kPolyBezierTo:
            if ((points.size() - 1) % 3 != 0) return;  // not whole curves
            if (points.size() >= 4) Bezier(points, 0);
            break;
        case emf::kPolygon16:
        case emf::kPolygon: {
            // The canvas fills rectangles only; other polygons are outlined.
            const auto& p = points;
            std::size_t n = p.size();
            if (n == 5 && p[4] == p[0]) n = 4;
            if (n == 4 && ((p[0][1] == p[1][1] && p[1][0] == p[2][0] && p[2][1] == p[3][1] &&
                            p[3][0] == p[0][0]) ||
                           (p[0][0] == p[1][0] && p[1][1] == p[2][1] && p[2][0] == p[3][0] &&
                            p[3][1] == p[0][1]))) {
                const double l = std::min(p[0][0], p[2][0]), rt = std::max(p[0][0], p[2][0]);
                const double t = std::min(p[0][1], p[2][1]), b = std::max(p[0][1], p[2][1]);
                DrawBox(l, t, rt, b);
            } else {
                PolylineThrough(points, true);
            }
            break;
        }
        default:
            PolylineThrough(points, false);
            break;
    }
    if (to) {
        state_.positionX = points.back()[0];
        state_.positionY = points.back()[1];
    }
}

void Player::PolyPoly(const Record& r, bool small) {
    if (r.Size() < 32) return;
    const std::uint32_t polygons = r.U32At(24);
    const std::uint32_t count = r.U32At(28);
    const std::size_t pointSize = small ? 4 : 8;
    if (!r.Holds(32, polygons, 4)) return;
    const std::uint64_t pointsAt = 32 + std::uint64_t{polygons} * 4;
    if (!r.Holds(pointsAt, count, pointSize)) return;
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < polygons; ++i) total += r.U32At(32 + 4 * std::size_t{i});
    if (total != count) return;

    const bool closed = r.Type() == emf::kPolyPolygon16 || r.Type() == emf::kPolyPolygon;
    std::size_t next = static_cast<std::size_t>(pointsAt);
    for (std::uint32_t i = 0; i < polygons; ++i) {
        const std::uint32_t n = r.U32At(32 + 4 * std::size_t{i});
        std::vector<std::array<double, 2>> points;
        points.reserve(n);
        for (std::uint32_t k = 0; k < n; ++k, next += pointSize) {
            if (small) {
                points.push_back(
                    {static_cast<double>(r.I16At(next)), static_cast<double>(r.I16At(next + 2))});
            } else {
                points.push_back(
                    {static_cast<double>(r.I32At(next)), static_cast<double>(r.I32At(next + 4))});
            }
        }
        PolylineThrough(points, closed);
    }
}

void Player::SelectClipRegion(const Record& r) {
    if (r.Size() < 16) return;
    const std::uint32_t dataSize = r.U32At(8);
    const std::uint32_t mode = r.U32At(12);
    if (dataSize == 0) {
        if (mode == emf::kRgnCopy) ChangeClip(std::nullopt);
        return;
    }
    if (dataSize < 32 || !r.Holds(16, dataSize, 1)) return;
    const std::uint32_t rectangles = r.U32At(16 + 8);
    if (std::uint64_t{rectangles} * 16 > dataSize - 32) return;
    // The clip is one rectangle: the region's bounding box (exact for a one-rectangle region).
    std::optional<Rect> box;
    for (std::uint32_t i = 0; i < rectangles; ++i) {
        const std::size_t at = 48 + 16 * std::size_t{i};
        const Point a = MapDevice(r.I32At(at), r.I32At(at + 4));
        const Point b = MapDevice(r.I32At(at + 8), r.I32At(at + 12));
        const Rect part = NormalizedRect({a.x, a.y, b.x, b.y});
        box = box ? Rect{std::min(box->left, part.left), std::min(box->top, part.top),
                         std::max(box->right, part.right), std::max(box->bottom, part.bottom)}
                  : part;
    }
    const Rect region = box.value_or(Rect{});
    if (mode == emf::kRgnCopy) {
        ChangeClip(region);
    } else if (mode == emf::kRgnAnd) {
        IntersectClip(region);
    }
}

void Player::BitBlt(const Record& r) {
    if (r.Size() < 100) return;
    const std::uint32_t rop = r.U32At(40);
    if (rop != kPatCopy && rop != kBlackness && rop != kWhiteness) return;  // needs a bitmap
    const double x = r.I32At(24), y = r.I32At(28);
    const Rect box = MapRect(x, y, x + r.I32At(32), y + r.I32At(36));
    if (rop == kPatCopy) {
        if (state_.brush.brush.style == BrushStyle::bsClear) return;
        ApplyBrush();
    } else {
        canvas_.SetBrush(Brush{rop == kBlackness ? kBlack : kWhite, BrushStyle::bsSolid});
    }
    canvas_.FillRect(box);
}

void Player::SetWorldTransform(const Record& r, std::uint32_t mode) {
    Transform x{r.F32At(8), r.F32At(20), r.F32At(24), r.F32At(28)};
    const double m12 = r.F32At(12), m21 = r.F32At(16);
    Transform& w = state_.world;
    if (mode == 1) {
        w = Transform{};
    } else if (mode >= 2 && mode <= 4) {
        if (!Finite({x.m11, x.m22, x.dx, x.dy, m12, m21}) || m12 != 0 || m21 != 0 || x.m11 == 0 ||
            x.m22 == 0) {
            return;
        }
        if (mode == 2) {  // the new transform first, then the current one
            w = {x.m11 * w.m11, x.m22 * w.m22, x.dx * w.m11 + w.dx, x.dy * w.m22 + w.dy};
        } else if (mode == 3) {  // the current one first
            w = {w.m11 * x.m11, w.m22 * x.m22, w.dx * x.m11 + x.dx, w.dy * x.m22 + x.dy};
        } else {
            w = x;
        }
    } else {
        return;
    }
    UpdateMapping();
}

void Player::SaveState() {
    if (saved_.size() < kMaxSavedStates) saved_.push_back(state_);
}

void Player::RestoreState(std::int32_t which) {
    // Negative: relative to the newest saved state (-1 is the newest); positive: absolute.
    const auto depth = static_cast<std::int64_t>(saved_.size());
    const std::int64_t index = which < 0 ? depth + which : std::int64_t{which} - 1;
    if (which == 0 || index < 0 || index >= depth) return;
    DcState restored = std::move(saved_[static_cast<std::size_t>(index)]);
    saved_.resize(static_cast<std::size_t>(index));
    ChangeClip(restored.clip);
    state_ = std::move(restored);
    UpdateMapping();
}

}  // namespace

void PagePicture::Play(Canvas& canvas, const Rect& target) const {
    const emf::Geometry geometry = emf::ReadGeometry({bytes_.data(), emf::U32(bytes_.data() + 4)});
    // The canvas's own state comes back afterwards, as after any drawing call.
    const FontSpec font = canvas.Font();
    const Pen pen = canvas.CurrentPen();
    const Brush brush = canvas.CurrentBrush();
    const unsigned align = canvas.TextAlign();

    Player player(geometry, canvas, target);
    EnumerateRecords([&](std::uint32_t type, std::span<const std::uint8_t> bytes) {
        if (type != emf::kHeader) player.Play(Record(bytes));
        return true;
    });

    if (player.Clipped()) canvas.RemoveClip();
    if (!(canvas.Font() == font)) canvas.SetFont(font);
    if (!(canvas.CurrentPen() == pen)) canvas.SetPen(pen);
    if (!(canvas.CurrentBrush() == brush)) canvas.SetBrush(brush);
    if (canvas.TextAlign() != align) canvas.SetTextAlign(align);
}

}  // namespace quillon
