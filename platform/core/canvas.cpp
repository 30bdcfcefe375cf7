#include "platform/core/canvas.h"

#include <algorithm>
#include <cmath>

#include "platform/core/cp1251.h"
#include "platform/core/dos_code_page.h"

namespace quillon {

int FontPixelSize(double points, int dpi) {
    constexpr double kLargest = 1 << 24;  // keeps absurd sizes (and NaN) inside int range
    const double pixels = std::nearbyint(std::fabs(points) * dpi / 72.0);
    if (!(pixels >= 1)) return 1;
    return static_cast<int>(std::min(pixels, kLargest));
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
