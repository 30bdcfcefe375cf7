#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/core/glyph_source.h"

namespace quillon {

// What a PDF font descriptor and its widths need to know of a TrueType/OpenType font, read
// from its tables. Lengths are in font units.
struct SfntInfo {
    bool trueType = false;  // TrueType outlines ('glyf' and 'loca')
    bool cff = false;       // PostScript outlines in a 'CFF ' table
    int unitsPerEm = 1000;
    int xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    int ascent = 0;
    int descent = 0;
    int capHeight = 0;
    double italicAngle = 0;
    bool fixedPitch = false;
    bool bold = false;
    int underlinePosition = 0;
    int underlineThickness = 0;
    int strikeoutPosition = 0;
    int strikeoutThickness = 0;
    std::string postScriptName;           // may be empty
    std::vector<std::uint16_t> advances;  // per glyph
    int glyphCount = 0;

    int Advance(std::uint32_t glyph) const;
};

// Reads the font's tables; a missing or short table leaves its values at their defaults.
SfntInfo ReadSfntInfo(const FontProgram& font);

// The font file made of the tables its outlines need (outlines, metrics, hinting programs),
// for a subsetter that reads whole files: TrueType outlines when `trueType`, else CFF ones.
// Empty when the font lacks those outlines.
std::string AssembleFontFile(const FontProgram& font, bool trueType);

}  // namespace quillon
