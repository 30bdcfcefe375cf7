#pragma once

#include <QColor>
#include <QPainter>

#include "platform/core/canvas.h"

class QPaintDevice;

namespace quillon {

class FontFace;

// A Canvas over an active QPainter: on a QImage, on a widget while it paints, or on a printer
// page. Geometry follows the Windows drawing services: a rectangle covers left..right-1 and
// top..bottom-1, its outline lies inside that area for one-pixel pens, a shape drawn with the
// clear pen is one pixel smaller, lines leave out their last pixel, pens of width 0 and 1 are
// one device pixel wide and only those draw dashes and dots. Text is placed glyph by glyph
// (see FontFace), so that its width is exactly what TextExtentW or the given advances say.
class QtCanvas : public Canvas {
public:
    // `painter` is not owned; it must stay active while the canvas draws.
    QtCanvas(QPainter& painter, const DeviceCaps& caps);
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    // Capabilities of a paint device without pages (image, widget): its resolution and colours.
    static DeviceCaps CapsOf(const QPaintDevice& device);
    static QColor ToQColor(Color color);

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
    enum class Shape { kRectangle, kEllipse, kRoundRect };
    void DrawShape(Shape shape, const Rect& rect, int cornerWidth, int cornerHeight);
    void UsePenAndBrush(bool withBrush);
    FontFace& Face();

    QPainter& painter_;
    DeviceCaps caps_;
    FontSpec font_;
    FontFace* face_ = nullptr;
    Pen pen_;
    Brush brush_;
    unsigned align_ = kTaLeft | kTaTop;
    bool transparent_ = false;  // a new device context draws text on an opaque background
    Color background_ = kWhite;
    Point position_;
};

}  // namespace quillon
