#pragma once

#include <string_view>
#include <vector>

#include "platform/core/canvas.h"

namespace quillon {

// Font metrics at a resolution: what a canvas needs to measure and lay out text. The platform
// installs the real one (fonts through fontconfig); the headless default below is a fixed-pitch
// stand-in for tests of layout logic that must not depend on installed fonts.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;

    virtual FontMetrics Metrics(const FontSpec& font, int dpi) = 0;

    // Whole-pixel advances of each character of `text` at `dpi`, as the text is drawn; returns
    // their sum. `advances` may be null.
    virtual int Advances(const FontSpec& font, int dpi, std::u16string_view text,
                         std::vector<int>* advances) = 0;
};

// Every character advances 0.6 em; ascent 0.83 em, descent 0.3 em, each rounded (a 10-point
// font at 96 pixels per inch: 8-pixel advances, height 15, like Courier New).
class FixedPitchMeasurer : public TextMeasurer {
public:
    FontMetrics Metrics(const FontSpec& font, int dpi) override;
    int Advances(const FontSpec& font, int dpi, std::u16string_view text,
                 std::vector<int>* advances) override;
};

}  // namespace quillon
