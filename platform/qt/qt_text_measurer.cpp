#include "platform/qt/qt_text_measurer.h"

#include "platform/qt/qt_font_face.h"

namespace quillon {

FontMetrics QtTextMeasurer::Metrics(const FontSpec& font, int dpi) {
    return FaceFor(font, dpi).Metrics();
}

int QtTextMeasurer::Advances(const FontSpec& font, int dpi, std::u16string_view text,
                             std::vector<int>* advances) {
    const std::vector<PlacedGlyph> glyphs = FaceFor(font, dpi).Glyphs(text);
    if (advances != nullptr) advances->clear();
    int total = 0;
    for (const PlacedGlyph& glyph : glyphs) {
        total += glyph.advance;
        if (advances != nullptr) advances->push_back(glyph.advance);
    }
    return total;
}

}  // namespace quillon
