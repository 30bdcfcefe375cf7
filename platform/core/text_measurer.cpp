#include "platform/core/text_measurer.h"

#include <cmath>

namespace quillon {

namespace {

int Scaled(const FontSpec& font, int dpi, double factor) {
    return static_cast<int>(std::nearbyint(FontPixelSize(font.size, dpi) * factor));
}

}  // namespace

FontMetrics FixedPitchMeasurer::Metrics(const FontSpec& font, int dpi) {
    return {Scaled(font, dpi, 0.83), Scaled(font, dpi, 0.3)};
}

int FixedPitchMeasurer::Advances(const FontSpec& font, int dpi, std::u16string_view text,
                                 std::vector<int>* advances) {
    const int advance = Scaled(font, dpi, 0.6);
    if (advances != nullptr) advances->assign(text.size(), advance);
    return advance * static_cast<int>(text.size());
}

}  // namespace quillon
