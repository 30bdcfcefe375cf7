#pragma once

#include "platform/core/text_measurer.h"

namespace quillon {

// Measures with the installed fonts (fontconfig resolves the requested faces, "Courier New" to
// Liberation Mono for example), exactly as QtCanvas draws: whole-pixel advances per character
// at the given resolution.
class QtTextMeasurer : public TextMeasurer {
public:
    FontMetrics Metrics(const FontSpec& font, int dpi) override;
    int Advances(const FontSpec& font, int dpi, std::u16string_view text,
                 std::vector<int>* advances) override;
};

}  // namespace quillon
