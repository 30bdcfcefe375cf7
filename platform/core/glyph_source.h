#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/canvas.h"

namespace quillon {

// A point of a glyph's outline in thousandths of an em, y up. A curve is three points: two
// control points and its end.
struct OutlinePoint {
    enum class Kind { kMove, kLine, kCurve };
    Kind kind = Kind::kMove;
    double x = 0;
    double y = 0;
};

// One font file as a document writer embeds it: its tables, read one at a time, and for
// fonts whose file cannot be embedded (Type 1, for one) the outlines of its glyphs.
class FontProgram {
public:
    virtual ~FontProgram() = default;
    // The bytes of the table `tag` (e.g. 'glyf'); empty when the font has no such table, or is
    // not a TrueType/OpenType font at all.
    virtual std::string Table(std::uint32_t tag) const = 0;
    // The glyph's outline and advance (thousandths of an em); false when there is none.
    virtual bool Outline(std::uint32_t /*glyph*/, std::vector<OutlinePoint>& /*outline*/,
                         double& /*advance*/) const {
        return false;
    }
};

// Which font program and glyph draws one UTF-16 code unit. `program` is -1 when nothing
// draws it; the second half of a surrogate pair is not drawn.
struct SourceGlyph {
    int program = -1;
    std::uint32_t glyph = 0;
    bool drawn = true;
};

// The glyphs text is drawn with, chosen exactly as the installed TextMeasurer measures them
// (fallback fonts included), and the font programs they come from: what a document writer
// needs to embed the fonts a page uses.
class GlyphSource {
public:
    virtual ~GlyphSource() = default;
    // One entry per code unit of `text` in `font`. Program numbers stay valid for the
    // source's life.
    virtual void Glyphs(const FontSpec& font, std::u16string_view text,
                        std::vector<SourceGlyph>& out) = 0;
    virtual const FontProgram& Program(int program) = 0;
};

constexpr std::uint32_t FontTag(char a, char b, char c, char d) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(a)) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(b)) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(c)) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(d));
}

}  // namespace quillon
