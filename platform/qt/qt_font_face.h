#pragma once

#include <QFont>
#include <QRawFont>

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/core/canvas.h"

namespace quillon {

// One character of a text as it is drawn: the font that has its glyph (0 is the requested
// font, higher numbers fallbacks), the glyph and its advance in whole pixels. The second half
// of a surrogate pair gets no glyph and advance 0.
struct PlacedGlyph {
    int font = 0;
    std::uint32_t glyph = 0;
    int advance = 0;
    bool drawn = true;
};

// A font at one pixel size, the single source of both measuring and drawing, so that text is
// drawn exactly as wide as it was measured. Characters map to the font's own glyphs one by one:
// no shaping, no kerning, and control codes such as tab are the font's glyph for that code,
// never expanded. Characters the font lacks come from a fallback family chosen by fontconfig.
class FontFace {
public:
    FontFace(const FontSpec& wanted, int pixelSize);
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;

    const QFont& Font() const { return font_; }
    const QRawFont& RawFont(int index) const { return rawFonts_[static_cast<std::size_t>(index)]; }
    FontMetrics Metrics() const { return metrics_; }

    // One entry per UTF-16 code unit of `text`.
    std::vector<PlacedGlyph> Glyphs(std::u16string_view text);

private:
    PlacedGlyph GlyphFor(char32_t code);
    PlacedGlyph FallbackGlyph(char32_t code);
    int FontIndex(const QRawFont& raw);

    QFont font_;
    std::vector<QRawFont> rawFonts_;
    FontMetrics metrics_;
    // Characters below kBasic (Latin, Cyrillic, line drawing) are looked up in a table, as
    // every character of every page goes through here; entries not looked up yet have font -1.
    static constexpr char32_t kBasic = 0x2600;
    std::vector<PlacedGlyph> basic_;
    std::unordered_map<char32_t, PlacedGlyph> cache_;
};

// The face for a font at a resolution: FontPixelSize(wanted.size, dpi) pixels. Faces are kept for
// the life of the program (a report uses a handful); the GUI thread only.
FontFace& FaceFor(const FontSpec& wanted, int dpi);

}  // namespace quillon
