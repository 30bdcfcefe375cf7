#include "platform/core/canvas.h"

#include <algorithm>
#include <cmath>

#include "platform/core/cp1251.h"

namespace quillon {

int FontPixelSize(double points, int dpi) {
    constexpr double kLargest = 1 << 24;  // keeps absurd sizes (and NaN) inside int range
    const double pixels = std::nearbyint(std::fabs(points) * dpi / 72.0);
    if (!(pixels >= 1)) return 1;
    return static_cast<int>(std::min(pixels, kLargest));
}

Size Canvas::TextExtent(std::string_view text) { return TextExtentW(DecodeCp1251(text)); }

void Canvas::TextOut(int x, int y, std::string_view text, unsigned options, const Rect* rect) {
    TextOutW(x, y, DecodeCp1251(text), nullptr, options, rect);
}

}  // namespace quillon
