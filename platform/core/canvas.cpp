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
