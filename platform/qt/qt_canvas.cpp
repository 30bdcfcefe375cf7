#include "platform/qt/qt_canvas.h"

#include <QGlyphRun>
#include <QPaintDevice>
#include <QPen>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "platform/core/page_picture.h"
#include "platform/qt/qt_font_face.h"

namespace quillon {

namespace {

QRect ToQRect(const Rect& rect) {
    return {rect.left, rect.top, rect.Width(), rect.Height()};
}

bool Thin(const Pen& pen) {
    return pen.width <= 1;
}

}  // namespace

QtCanvas::QtCanvas(QPainter& painter, const DeviceCaps& caps) : painter_(painter), caps_(caps) {}

DeviceCaps QtCanvas::CapsOf(const QPaintDevice& device) {
    DeviceCaps caps;
    caps.dpiX = device.logicalDpiX();
    caps.dpiY = device.logicalDpiY();
    const int depth = device.depth();
    caps.colors = depth > 0 && depth <= 8 ? 1 << depth : -1;
    return caps;
}

QColor QtCanvas::ToQColor(Color color) {
    return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

FontFace& QtCanvas::Face() {
    if (face_ == nullptr) face_ = &FaceFor(font_, caps_.dpiY);
    return *face_;
}

void QtCanvas::SetFont(const FontSpec& font) {
    font_ = font;
    face_ = nullptr;
}

FontMetrics QtCanvas::Metrics() {
    return Face().Metrics();
}

Size QtCanvas::TextExtentW(std::u16string_view text) {
    int width = 0;
    for (const PlacedGlyph& glyph : Face().Glyphs(text)) width += glyph.advance;
    return {width, Metrics().Height()};
}

void QtCanvas::TextOutW(int x, int y, std::u16string_view text, const int* advances,
                        unsigned options, const Rect* rect) {
    FontFace& face = Face();
    const std::vector<PlacedGlyph> glyphs = face.Glyphs(text);
    const FontMetrics metrics = face.Metrics();

    std::vector<int> offsets(glyphs.size());
    int width = 0;
    for (std::size_t i = 0; i < glyphs.size(); ++i) {
        offsets[i] = width;
        width += advances != nullptr ? advances[i] : glyphs[i].advance;
    }

    int left = x;
    if ((align_ & kTaCenter) == kTaCenter) {
        left = x - width / 2;
    } else if ((align_ & kTaRight) != 0) {
        left = x - width;
    }
    int baseline = y + metrics.ascent;
    if ((align_ & kTaBaseline) == kTaBaseline) {
        baseline = y;
    } else if ((align_ & kTaBottom) != 0) {
        baseline = y - metrics.descent;
    }

    painter_.save();
    const QColor background = ToQColor(background_);
    if (rect != nullptr && (options & kEtoOpaque) != 0)
        painter_.fillRect(ToQRect(*rect), background);
    if (rect != nullptr && (options & kEtoClipped) != 0) {
        painter_.setClipRect(ToQRect(*rect), Qt::IntersectClip);
    }
    if (!transparent_) {
        painter_.fillRect(QRect(left, baseline - metrics.ascent, width, metrics.Height()),
                          background);
    }
    painter_.setPen(ToQColor(font_.color));

    // One glyph run per font, each glyph at its own position.
    std::vector<bool> done(glyphs.size(), false);
    for (std::size_t first = 0; first < glyphs.size(); ++first) {
        if (done[first] || !glyphs[first].drawn) continue;
        const int font = glyphs[first].font;
        QList<quint32> indexes;
        QList<QPointF> positions;
        for (std::size_t i = first; i < glyphs.size(); ++i) {
            if (done[i] || !glyphs[i].drawn || glyphs[i].font != font) continue;
            done[i] = true;
            indexes.append(glyphs[i].glyph);
            positions.append(QPointF(left + offsets[i], baseline));
        }
        QGlyphRun run;
        run.setRawFont(face.RawFont(font));
        run.setGlyphIndexes(indexes);
        run.setPositions(positions);
        run.setUnderline((font_.style & kFontUnderline) != 0);
        run.setStrikeOut((font_.style & kFontStrikeOut) != 0);
        painter_.drawGlyphRun(QPointF(0, 0), run);
    }
    painter_.restore();
}

void QtCanvas::SetClipRect(const Rect& rect) {
    if (painter_.hasClipping()) {
        painter_.setClipRect(ToQRect(rect), Qt::IntersectClip);
    } else {
        painter_.setClipRect(ToQRect(rect), Qt::ReplaceClip);
    }
}

void QtCanvas::RemoveClip() {
    painter_.setClipping(false);
}

void QtCanvas::UsePenAndBrush(bool withBrush) {
    if (withBrush && brush_.style == BrushStyle::bsSolid) {
        painter_.setBrush(ToQColor(brush_.color));
    } else {
        painter_.setBrush(Qt::NoBrush);
    }
    if (pen_.style == PenStyle::psClear) {
        painter_.setPen(Qt::NoPen);
        return;
    }
    QPen pen(ToQColor(pen_.color));
    if (Thin(pen_)) {
        pen.setWidth(0);  // one device pixel whatever the transformation
        pen.setCapStyle(Qt::FlatCap);
        pen.setJoinStyle(Qt::MiterJoin);
        const std::span<const double> dashes = DashPattern(pen_.style);
        if (!dashes.empty()) pen.setDashPattern(QList<qreal>(dashes.begin(), dashes.end()));
    } else {
        pen.setWidth(pen_.width);
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    painter_.setPen(pen);
    // The gaps of dashed lines take the background colour unless the background is transparent.
    // Only dashed pens get the opaque mode: it sends solid outlines through another stroker that
    // misses pixels.
    const bool dashed = pen.style() != Qt::SolidLine;
    painter_.setBackgroundMode(dashed && !transparent_ ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(ToQColor(background_));
}

void QtCanvas::FillRect(const Rect& rect) {
    if (brush_.style == BrushStyle::bsClear || rect.Width() <= 0 || rect.Height() <= 0) return;
    painter_.fillRect(ToQRect(rect), ToQColor(brush_.color));
}

void QtCanvas::Rectangle(const Rect& rect) {
    DrawShape(Shape::kRectangle, rect, 0, 0);
}

void QtCanvas::Ellipse(const Rect& rect) {
    DrawShape(Shape::kEllipse, rect, 0, 0);
}

void QtCanvas::RoundRect(const Rect& rect, int cornerWidth, int cornerHeight) {
    DrawShape(Shape::kRoundRect, rect, cornerWidth, cornerHeight);
}

void QtCanvas::DrawShape(Shape shape, const Rect& input, int cornerWidth, int cornerHeight) {
    Rect rect = input;
    if (rect.right < rect.left) std::swap(rect.left, rect.right);
    if (rect.bottom < rect.top) std::swap(rect.top, rect.bottom);
    if (rect.Width() < 1 || rect.Height() < 1) return;

    painter_.save();
    UsePenAndBrush(true);
    if (Thin(pen_) && pen_.style != PenStyle::psClear) {
        // A flat cap would leave out the last pixel of every curve segment of the outline.
        QPen pen = painter_.pen();
        pen.setCapStyle(Qt::SquareCap);
        painter_.setPen(pen);
    }
    const OutlineBox outline = ShapeOutline(rect, pen_);
    QRectF area(outline.left, outline.top, outline.width, outline.height);
    switch (shape) {
        case Shape::kRectangle:
            painter_.drawRect(area);
            break;
        case Shape::kEllipse:
            // Filled without an outline, Qt's aliased ellipse needs a quarter-pixel inset to
            // cover exactly the pixels of its rectangle.
            if (pen_.style == PenStyle::psClear) area.adjust(0.25, 0.25, -0.25, -0.25);
            painter_.drawEllipse(area);
            break;
        case Shape::kRoundRect:
            painter_.drawRoundedRect(area, cornerWidth / 2.0, cornerHeight / 2.0, Qt::AbsoluteSize);
            break;
    }
    painter_.restore();
}

void QtCanvas::LineTo(Point point) {
    if (pen_.style != PenStyle::psClear) {
        painter_.save();
        UsePenAndBrush(false);
        QPoint from(position_.x, position_.y);
        QPoint to(point.x, point.y);
        // Qt's one-pixel lines leave out the end that lies further right (or down, for steep
        // lines). When that is the start, move the line one step back towards it, so that the
        // last point is the one left out.
        const int dx = to.x() - from.x();
        const int dy = to.y() - from.y();
        const int major = std::abs(dx) >= std::abs(dy) ? dx : dy;
        if (Thin(pen_) && major < 0) {
            const double n = std::abs(major);
            const QPoint step(static_cast<int>(std::lround(-dx / n)),
                              static_cast<int>(std::lround(-dy / n)));
            from += step;
            to += step;
        }
        painter_.drawLine(from, to);
        painter_.restore();
    }
    position_ = point;
}

void QtCanvas::DrawPicture(const PagePicture& picture, const Rect& target) {
    picture.Play(*this, target);
}

}  // namespace quillon
