#include "report/qr_shape.h"

#include "output/qr_printer.h"
#include "report/export_filter.h"
#include "report/rozer_ededid.h"

namespace quillon {

namespace {

constexpr int kNewShapeSize = 65;

}  // namespace

TQRShape::TQRShape(TComponent* owner) : TQRPrintable(owner) {
    SetBounds({0, 0, kNewShapeSize, kNewShapeSize});
}

void TQRShape::SetShape(TQRShapeType shape) {
    if (shape == shape_) return;
    shape_ = shape;
    Repaint();
}

void TQRShape::SetPen(const quillon::Pen& pen) {
    pen_ = pen;
    Repaint();
}

void TQRShape::SetBrush(const quillon::Brush& brush) {
    brush_ = brush;
    Repaint();
}

void TQRShape::SetRoundFactor(float factor) {
    if (factor == roundFactor_) return;
    roundFactor_ = factor;
    Repaint();
}

void TQRShape::Draw(Canvas& canvas, const Rect& r, int corner, bool screen) const {
    canvas.SetBrush(brush_);
    canvas.SetPen(pen_);
    // On screen the lines of the bottom and right edges lie on the last row or column of the
    // control; on the page they lie on the shape's edge.
    const int bottom = screen ? r.bottom - 1 : r.bottom;
    const int right = screen ? r.right - 1 : r.right;
    const auto line = [&canvas](int x1, int y1, int x2, int y2) {
        canvas.MoveTo({x1, y1});
        canvas.LineTo({x2, y2});
    };
    switch (shape_) {
        case TQRShapeType::qrsRectangle:
            canvas.Rectangle(r);
            break;
        case TQRShapeType::qrsCircle:
            canvas.Ellipse(r);
            break;
        case TQRShapeType::qrsVertLine: {
            const int x = screen ? r.left + (r.right - r.left) / 2 : corner;
            line(x, r.top, x, r.bottom);
            break;
        }
        case TQRShapeType::qrsHorLine: {
            const int y = screen ? r.top + (r.bottom - r.top) / 2 : corner;
            line(r.left, y, r.right, y);
            break;
        }
        case TQRShapeType::qrsTopAndBottom:
            line(r.left, r.top, r.right, r.top);
            line(r.left, bottom, r.right, bottom);
            break;
        case TQRShapeType::qrsRightAndLeft:
            line(r.left, r.top, r.left, r.bottom);
            line(right, r.top, right, r.bottom);
            break;
        case TQRShapeType::qrsRoundRect:
            canvas.RoundRect(r, corner, corner);
            break;
    }
}

void TQRShape::Print(int offsetX, int offsetY) {
    TCustomRozerEdedid* report = ParentReport();
    TQRPrinter* printer = QRPrinter();
    if (report == nullptr || printer == nullptr) return;
    const TQRPrintableSize& size = Size();
    const long double left = offsetX + size.Left();
    const long double top = offsetY + size.Top();
    const Rect rect{printer->ToDeviceX(left), printer->ToDeviceY(top),
                    printer->ToDeviceX(left + size.Width()),
                    printer->ToDeviceY(top + size.Height())};
    if (TQRExportFilter* filter = report->ExportFilter())
        filter->Printable(*this, rect.left, rect.top);
    if (!report->PageDrawing() || !Enabled()) return;

    // The middle line's position, or the rounded corner's size in device units.
    int extra = 0;
    if (shape_ == TQRShapeType::qrsVertLine) {
        extra = printer->ToDeviceX(left + size.Width() / 2);
    } else if (shape_ == TQRShapeType::qrsHorLine) {
        extra = printer->ToDeviceY(top + size.Height() / 2);
    } else if (shape_ == TQRShapeType::qrsRoundRect) {
        extra = static_cast<int>(static_cast<float>(rect.right - rect.left) * roundFactor_);
    }
    Draw(printer->PageCanvas(), rect, extra, false);
}

void TQRShape::Paint(Canvas& canvas) const {
    const int corner = static_cast<int>(static_cast<float>(Width()) * roundFactor_);
    Draw(canvas, {0, 0, Width(), Height()}, corner, true);
}

}  // namespace quillon
