#include "platform/core/canvas.h"

#include <algorithm>
#include <cmath>

#include "platform/core/cp1251.h"
#include "platform/core/dos_code_page.h"

namespace quillon {

int FontPixelSize(double points, int dpi) {
    const double pixels =
        std::nearbyint(std::min(std::fabs(points), kLargestFontSize) * dpi / 72.0);
    if (!(pixels >= 1)) return 1;  // NaN, and sizes that round to nothing
    return static_cast<int>(std::min(pixels, static_cast<double>(1 << 30)));
}

std::span<const double> DashPattern(PenStyle style) {
    static constexpr double kDash[] = {18, 6};
    static constexpr double kDot[] = {3, 3};
    static constexpr double kDashDot[] = {9, 6, 3, 6};
    static constexpr double kDashDotDot[] = {9, 3, 3, 3, 3, 3};
    switch (style) {
        case PenStyle::psDash:
            return kDash;
        case PenStyle::psDot:
            return kDot;
        case PenStyle::psDashDot:
            return kDashDot;
        case PenStyle::psDashDotDot:
            return kDashDotDot;
        default:
            return {};
    }
}

OutlineBox ShapeOutline(const Rect& rect, const Pen& pen) {
    if (pen.style == PenStyle::psClear || pen.width <= 1) {
        return {static_cast<double>(rect.left), static_cast<double>(rect.top),
                static_cast<double>(rect.Width() - 1), static_cast<double>(rect.Height() - 1)};
    }
    const double inset = pen.style == PenStyle::psInsideFrame ? pen.width / 2.0 : 0.5;
    return {rect.left + inset, rect.top + inset, rect.Width() - 2 * inset, rect.Height() - 2 * inset};
}

std::u16string DecodeFontText(std::string_view text, int charset) {
    return charset == kOemCharset ? DecodeDos(text) : DecodeCp1251(text);
}

Size Canvas::TextExtent(std::string_view text) {
    return TextExtentW(DecodeFontText(text, Font().charset));
}

void Canvas::TextOut(int x, int y, std::string_view text, unsigned options, const Rect* rect) {
    TextOutW(x, y, DecodeFontText(text, Font().charset), nullptr, options, rect);
}

}  // namespace quillon
