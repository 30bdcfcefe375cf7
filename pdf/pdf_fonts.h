#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "pdf/sfnt.h"
#include "platform/core/glyph_source.h"

namespace quillon {

class PdfFile;

// The fonts of one PDF: each font program a page draws with becomes one Type 0 font with
// Identity-H encoding (character codes are the program's glyph numbers), embedded at the end
// as a subset of the glyphs used, with the widths and a ToUnicode map of the characters they
// were drawn for, so that text can be selected, copied and searched.
class PdfFonts {
public:
    struct Font {
        int resource = 0;  // /F<resource>
        int object = 0;    // the Type 0 font's object number
        int program = 0;
        SfntInfo info;
        bool embeddable = false;
        std::vector<std::uint16_t> widths;    // per glyph, thousandths of an em
        std::vector<char32_t> characters;     // per glyph: the first character drawn with it
        std::vector<bool> used;

        // Records that `glyph` drew `character`.
        void Use(std::uint32_t glyph, char32_t character);
        // The glyph's advance in thousandths of an em, as the PDF states it.
        int Width(std::uint32_t glyph) const;
    };

    PdfFonts(PdfFile& file, GlyphSource& source);
    ~PdfFonts();
    PdfFonts(const PdfFonts&) = delete;
    PdfFonts& operator=(const PdfFonts&) = delete;

    // The font of a source's program; the first request reads its tables.
    Font& Get(int program);
    // The /Font entries of the resource dictionary: "/F1 12 0 R/F2 20 0 R".
    std::string ResourceEntries() const;
    // Writes every font used. Fonts that are not TrueType cannot be embedded: their glyphs are
    // not drawn (see Font::embeddable).
    void WriteAll();

private:
    void WriteFont(Font& font);

    PdfFile& file_;
    GlyphSource& source_;
    std::vector<std::unique_ptr<Font>> fonts_;  // in order of first use
    std::vector<int> byProgram_;                // program -> index into fonts_, -1 none
};

}  // namespace quillon
