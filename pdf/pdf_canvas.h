#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/core/canvas.h"
#include "platform/core/glyph_source.h"
#include "platform/core/text_measurer.h"

namespace quillon {

class PdfFonts;

// A Canvas that writes a PDF page's content stream. Coordinates are device pixels of the
// canvas's resolution, mapped onto the page by one transformation, so shapes and text keep
// the integer geometry of the drawing rules. Text is drawn with the glyphs the GlyphSource
// names, each at the position its advance gives, so it lies exactly where it was measured.
class PdfCanvas : public Canvas {
public:
    PdfCanvas(PdfFonts& fonts, GlyphSource& glyphs, TextMeasurer& measurer);
    PdfCanvas(const PdfCanvas&) = delete;
    PdfCanvas& operator=(const PdfCanvas&) = delete;

    // Starts a new content stream for a page with these capabilities; the drawing state
    // (font, pens, brushes, alignment) carries over as on a printer.
    void BeginPage(const DeviceCaps& caps, const std::string& pageTransform);
    // The content of the page drawn so far (the clip closed); empties the canvas's buffer.
    std::string TakeContent();

    DeviceCaps Caps() const override { return caps_; }
    void SetFont(const FontSpec& font) override;
    const FontSpec& Font() const override { return font_; }
    FontMetrics Metrics() override;
    Size TextExtentW(std::u16string_view text) override;
    void SetTextAlign(unsigned flags) override { align_ = flags; }
    unsigned TextAlign() const override { return align_; }
    void SetBackgroundTransparent(bool transparent) override { transparent_ = transparent; }
    void SetBackgroundColor(Color color) override { background_ = color; }
    void TextOutW(int x, int y, std::u16string_view text, const int* advances, unsigned options = 0,
                  const Rect* rect = nullptr) override;
    void SetClipRect(const Rect& rect) override;
    void RemoveClip() override;
    void SetPen(const Pen& pen) override { pen_ = pen; }
    const Pen& CurrentPen() const override { return pen_; }
    void SetBrush(const Brush& brush) override { brush_ = brush; }
    const Brush& CurrentBrush() const override { return brush_; }
    void FillRect(const Rect& rect) override;
    void Rectangle(const Rect& rect) override;
    void Ellipse(const Rect& rect) override;
    void RoundRect(const Rect& rect, int cornerWidth, int cornerHeight) override;
    void MoveTo(Point point) override { position_ = point; }
    void LineTo(Point point) override;
    void DrawPicture(const PagePicture& picture, const Rect& target) override;

private:
    // What the content stream has set, so that operators are written only on a change.
    struct Written {
        std::optional<Color> fill;
        std::optional<Color> stroke;
        std::optional<double> lineWidth;
        int dash = -1;  // PenStyle, -1 unknown
        int cap = -1;
        int font = -1;  // resource number
        double fontSize = 0;
        std::optional<double> charSpacing;
    };
    enum class Shape { kRectangle, kEllipse, kRoundRect };

    void SetFill(Color color);
    bool UseStroke(bool line);  // false for a clear pen
    void FillArea(double left, double top, double width, double height, Color color);
    void DrawShape(Shape shape, const Rect& rect, int cornerWidth, int cornerHeight);
    void PathRect(double left, double top, double width, double height);
    void PathEllipse(double left, double top, double width, double height);
    void PathRoundRect(double left, double top, double width, double height, double rx, double ry);
    void Coordinates(std::initializer_list<double> values);

    PdfFonts& fonts_;
    GlyphSource& glyphs_;
    TextMeasurer& measurer_;
    DeviceCaps caps_;
    std::string content_;
    Written written_;
    Written beforeClip_;
    bool clipped_ = false;

    FontSpec font_;
    std::optional<FontMetrics> metrics_;
    unsigned align_ = 0;
    bool transparent_ = false;
    Color background_ = kWhite;
    Pen pen_;
    Brush brush_;
    Point position_;

    // Buffers kept between calls of TextOutW.
    std::vector<SourceGlyph> glyphRun_;
    std::vector<int> advances_;
    std::vector<int> offsets_;
    std::string shown_;
};

}  // namespace quillon
