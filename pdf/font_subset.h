#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

// A font cut down to the glyphs a document uses.
struct FontSubset {
    std::string file;
    // The new number of each glyph asked for, in the order asked (0 when it was dropped).
    std::vector<std::uint16_t> newGlyphs;
};

// Subsets the TrueType or OpenType font file `font` to `glyphs` (glyph 0 is always kept;
// glyphs that composite glyphs are built from come along). The kept glyphs are renumbered
// from 0 unless `keepNumbers`. False when the font cannot be read.
bool SubsetFont(const std::string& font, const std::vector<std::uint32_t>& glyphs, bool keepNumbers,
                FontSubset& subset);

}  // namespace quillon
