#include "report/qr_frame.h"

#include "platform/core/rounding.h"

namespace quillon {

int TQRFrame::Thickness(long double factor) const {
    if (width_ == -1) return 1;
    const std::int32_t thickness = RoundHalfEven32(factor / 72 * 254 * width_);
    if (thickness < 1 && width_ >= 1) return 1;
    return thickness;
}

void TQRFrame::Paint(Canvas* canvas, const Rect& rect, long double xFactor,
                     long double yFactor) const {
    const int tv = VerticalThickness(xFactor);
    const int th = HorizontalThickness(yFactor);
    const Rect top{rect.left, rect.top, rect.right, rect.top + th};
    const Rect bottom{rect.left, rect.bottom - th, rect.right, rect.bottom};
    const Rect left{rect.left, rect.top, rect.left + tv, rect.bottom};
    const Rect right{rect.right - tv, rect.top, rect.right, rect.bottom};

    if (canvas != nullptr) {
        canvas->SetBrush({color_, BrushStyle::bsSolid});
        canvas->SetPen({color_, 1, style_});
        if (drawTop_ && th > 0) canvas->FillRect(top);
        if (drawBottom_ && th > 0) canvas->FillRect(bottom);
        if (drawLeft_ && tv > 0) canvas->FillRect(left);
        if (drawRight_ && tv > 0) canvas->FillRect(right);
        canvas->SetBrush({color_, BrushStyle::bsClear});
    }

    TQRExportFilter* filter = owner_ != nullptr ? owner_->FrameExportFilter() : nullptr;
    if (filter == nullptr) return;
    if (const std::optional<Color> background = owner_->FrameBackground()) {
        filter->Shape({ExportShape::Kind::kFilledRectangle, rect, *background, 0});
    }
    if (drawTop_ && drawBottom_ && drawLeft_ && drawRight_) {
        if (tv > 0) filter->Shape({ExportShape::Kind::kFrameRectangle, rect, color_, tv});
        return;
    }
    if (drawTop_ && th > 0) filter->Shape({ExportShape::Kind::kLine, top, color_, th});
    if (drawBottom_ && th > 0) filter->Shape({ExportShape::Kind::kLine, bottom, color_, th});
    if (drawLeft_ && tv > 0) filter->Shape({ExportShape::Kind::kLine, left, color_, tv});
    if (drawRight_ && tv > 0) filter->Shape({ExportShape::Kind::kLine, right, color_, tv});
}

}  // namespace quillon
