#include "platform/core/canvas.h"

#include <cmath>

#include "platform/core/cp1251.h"

namespace quillon {

int FontPixelSize(double points, int dpi) {
    const double pixels = std::nearbyint(std::fabs(points) * dpi / 72.0);
    return pixels < 1 ? 1 : static_cast<int>(pixels);
}

Size Canvas::TextExtent(std::string_view text) { return TextExtentW(DecodeCp1251(text)); }

void Canvas::TextOut(int x, int y, std::string_view text, unsigned options, const Rect* rect) {
    TextOutW(x, y, DecodeCp1251(text), nullptr, options, rect);
}

}  // namespace quillon
