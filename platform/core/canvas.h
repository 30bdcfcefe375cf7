#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/core/geometry.h"

namespace quillon {

class PagePicture;

enum class PenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum class BrushStyle { bsSolid, bsClear };

struct Pen {
    Color color = kBlack;
    int width = 1;  // device units; 0 draws one pixel wide, as 1 does
    PenStyle style = PenStyle::psSolid;
    friend bool operator==(const Pen&, const Pen&) = default;
};

// The dash pattern of a one-pixel pen in device pixels (dash, gap, ...); empty when solid.
// Wider pens draw solid lines.
std::span<const double> DashPattern(PenStyle style);

struct Brush {
    Color color = kWhite;
    BrushStyle style = BrushStyle::bsSolid;
    friend bool operator==(const Brush&, const Brush&) = default;
};

// Font style flags.
enum FontStyle : unsigned { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4, kFontStrikeOut = 8 };

// Character sets of the Windows font record. The program's text is Windows-1251; a font of
// the OEM character set takes its 8-bit text in the DOS code page instead (dos_code_page.h),
// which is how DOS line drawing prints as real lines.
inline constexpr int kDefaultCharset = 1;
inline constexpr int kRussianCharset = 204;
inline constexpr int kOemCharset = 255;

// 8-bit text as a font of `charset` reads it: the DOS code page for kOemCharset, else
// Windows-1251.
std::u16string DecodeFontText(std::string_view text, int charset);

// A font as the report engine asks for it. The size is in points, so that it means the same at
// every resolution; a canvas turns it into whole device pixels (10 points at 96 pixels per
// inch is a 13-pixel em).
struct FontSpec {
    std::string face = "Arial";
    double size = 10;  // points
    unsigned style = 0;
    Color color = kBlack;
    int charset = kRussianCharset;
    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// The line a shape's outline follows, in device pixels, for a normalized rectangle of at
// least one pixel: a one-pixel pen runs through the rectangle's outermost pixels, a wider pen
// is centred half a pixel inside (half its width for psInsideFrame). Without a pen the shape is
// filled up to where that outline would run, one pixel smaller than the rectangle.
struct OutlineBox {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};
OutlineBox ShapeOutline(const Rect& rect, const Pen& pen);

// The largest font size in points that text is measured and drawn at; larger sizes (their
// magnitude, for negative ones) are taken as this one. A glyph of this size is already taller
// than any sheet, and the font engine measures fonts of a few thousand points wrongly at
// printer resolutions, so that the lines of a larger font would be placed on top of each other.
inline constexpr double kLargestFontSize = 1000;

// Em height in device pixels of a size in points: round(min(|points|, kLargestFontSize) * dpi /
// 72), at least 1 (NaN gives 1).
int FontPixelSize(double points, int dpi);

struct FontMetrics {
    int ascent = 0;
    int descent = 0;
    int Height() const { return ascent + descent; }
};

// What a device is: resolution, physical page and its unprintable offsets, colours.
struct DeviceCaps {
    int dpiX = 96;
    int dpiY = 96;
    int physicalWidth = 0;    // pixels; 0 for a device without pages (the screen)
    int physicalHeight = 0;
    int physicalOffsetX = 0;  // unprintable left margin, pixels
    int physicalOffsetY = 0;  // unprintable top margin, pixels
    int colors = -1;          // number of colours; -1 for more than 256 (true colour)
};

// Text alignment flags (SetTextAlign): horizontal left 0, right 2, centre 6; vertical top 0,
// bottom 8, baseline 24; right-to-left reading 256.
inline constexpr unsigned kTaLeft = 0;
inline constexpr unsigned kTaRight = 2;
inline constexpr unsigned kTaCenter = 6;
inline constexpr unsigned kTaTop = 0;
inline constexpr unsigned kTaBottom = 8;
inline constexpr unsigned kTaBaseline = 24;
inline constexpr unsigned kTaRtlReading = 256;

// Text output options (ExtTextOut).
inline constexpr unsigned kEtoOpaque = 0x2;
inline constexpr unsigned kEtoClipped = 0x4;
inline constexpr unsigned kEtoRtlReading = 0x80;

// A drawing surface in device pixels: the screen, a page picture being recorded, a printer
// page. The operations and their geometry are those of the Windows drawing services: a
// rectangle's right and bottom edges lie outside it, a filled shape is outlined with the pen
// and filled with the brush, lines exclude their last point.
class Canvas {
public:
    virtual ~Canvas() = default;

    virtual DeviceCaps Caps() const = 0;

    virtual void SetFont(const FontSpec& font) = 0;
    virtual const FontSpec& Font() const = 0;
    virtual FontMetrics Metrics() = 0;

    // Width and height of 8-bit text in the current font (decoded by its character set); the
    // height is the font's ascent plus descent.
    Size TextExtent(std::string_view text);
    virtual Size TextExtentW(std::u16string_view text) = 0;

    virtual void SetTextAlign(unsigned flags) = 0;
    virtual unsigned TextAlign() const = 0;
    virtual void SetBackgroundTransparent(bool transparent) = 0;  // SetBkMode
    virtual void SetBackgroundColor(Color color) = 0;             // behind opaque text

    // Draws 8-bit text (decoded by the font's character set) at (x, y) by the current alignment. `rect` is the
    // clipping or opaque rectangle, used only with kEtoClipped / kEtoOpaque. Control bytes are
    // drawn as the font's glyphs, never interpreted.
    void TextOut(int x, int y, std::string_view text, unsigned options = 0, const Rect* rect = nullptr);
    // The same for UTF-16 text; `advances` (one per character, may be null) fix the distance
    // from each character's origin to the next, so that a page plays back as it was measured.
    virtual void TextOutW(int x, int y, std::u16string_view text, const int* advances,
                          unsigned options = 0, const Rect* rect = nullptr) = 0;

    virtual void SetClipRect(const Rect& rect) = 0;  // intersect clipping with a rectangle
    virtual void RemoveClip() = 0;                   // SelectClipRgn(nullptr)

    virtual void SetPen(const Pen& pen) = 0;
    virtual const Pen& CurrentPen() const = 0;
    virtual void SetBrush(const Brush& brush) = 0;
    virtual const Brush& CurrentBrush() const = 0;

    virtual void FillRect(const Rect& rect) = 0;  // with the brush, no outline
    virtual void Rectangle(const Rect& rect) = 0;
    virtual void Ellipse(const Rect& rect) = 0;
    virtual void RoundRect(const Rect& rect, int cornerWidth, int cornerHeight) = 0;
    virtual void MoveTo(Point point) = 0;
    virtual void LineTo(Point point) = 0;

    // Draws a page picture stretched over `target`.
    virtual void DrawPicture(const PagePicture& picture, const Rect& target) = 0;
};

}  // namespace quillon
