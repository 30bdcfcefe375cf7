#pragma once

#include <cstdint>

#include "platform/core/canvas.h"
#include "report/qr_printable.h"

namespace quillon {

enum class TQRShapeType {
    qrsRectangle,
    qrsCircle,
    qrsVertLine,
    qrsHorLine,
    qrsTopAndBottom,
    qrsRightAndLeft,
    qrsRoundRect,
};

// A rectangle, ellipse, rounded rectangle or lines, drawn with a pen and filled with a brush.
// A new shape is 65 x 65 screen pixels. It never grows: every print is complete.
class TQRShape : public TQRPrintable {
public:
    explicit TQRShape(TComponent* owner = nullptr);

    TQRShapeType Shape() const { return shape_; }
    void SetShape(TQRShapeType shape);
    // Outline and lines (width in device units of the canvas drawn on).
    const quillon::Pen& Pen() const { return pen_; }
    void SetPen(const quillon::Pen& pen);
    // Fill of the closed shapes.
    const quillon::Brush& Brush() const { return brush_; }
    void SetBrush(const quillon::Brush& brush);
    // Corner size of a rounded rectangle as a fraction of its width; 0 gives square corners.
    float RoundFactor() const { return roundFactor_; }
    void SetRoundFactor(float factor);
    // Kept with the design; printing and painting do not use it.
    std::int32_t VertAdjust() const { return vertAdjust_; }
    void SetVertAdjust(std::int32_t value) { vertAdjust_ = value; }

    // Draws the shape on the page at the report position (offsetX, offsetY) in device units;
    // an export filter is told first.
    void Print(int offsetX, int offsetY) override;
    // Draws the shape over the control's own area, (0, 0) to its width and height in pixels,
    // on any canvas.
    void Paint(Canvas& canvas) const;

private:
    // Draws into the device rectangle; `corner` is the rounded rectangle's corner size.
    void Draw(Canvas& canvas, const Rect& rect, int corner, bool screen) const;

    TQRShapeType shape_ = TQRShapeType::qrsRectangle;
    quillon::Pen pen_;
    quillon::Brush brush_;
    float roundFactor_ = 0;
    std::int32_t vertAdjust_ = 0;
};

}  // namespace quillon
