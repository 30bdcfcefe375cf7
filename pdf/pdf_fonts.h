#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "pdf/sfnt.h"
#include "platform/core/glyph_source.h"

namespace quillon {

class PdfFile;

// The fonts of one PDF. A TrueType or CFF font program becomes one Type 0 font with Identity-H
// encoding (character codes are the program's glyph numbers), embedded at the end as a subset
// of the glyphs used. A font whose file cannot be embedded (Type 1) becomes Type 3 fonts of
// its glyph outlines, 256 glyphs each. Every font carries the widths and a ToUnicode map of
// the characters its glyphs were drawn for, so text can be selected, copied and searched.
class PdfFonts {
public:
    enum class Kind { kNone, kCid, kType3 };

    struct Type3Glyph {
        std::uint32_t glyph = 0;
        char32_t character = 0;
        int width = 0;
        double box[4] = {0, 0, 0, 0};  // left, bottom, right, top
        std::string procedure;         // the glyph's drawing, in thousandths of an em
    };
    // One Type 3 font shows the glyphs 256 * n to 256 * n + 255 of Font::type3Glyphs.
    struct Type3Font {
        int resource = 0;
        int object = 0;
    };

    struct Font {
        int program = 0;
        Kind kind = Kind::kNone;
        SfntInfo info;
        // Type 0: its resource and object, and per glyph number its width (thousandths of
        // an em), first character and use.
        int resource = 0;
        int object = 0;
        std::vector<std::uint16_t> widths;
        std::vector<char32_t> characters;
        std::vector<bool> used;
        // Type 3: the glyphs drawn so far, and their codes (font * 256 + code).
        std::vector<Type3Glyph> type3Glyphs;
        std::unordered_map<std::uint32_t, std::size_t> codes;
        std::vector<Type3Font> type3Fonts;
    };

    // Where a glyph is drawn from: the font resource (/F<resource>), the code that shows it
    // (two bytes for a Type 0 font, one for Type 3) and its width in thousandths of an em.
    struct Placement {
        bool drawable = false;
        int resource = 0;
        std::uint32_t code = 0;
        bool twoBytes = true;
        int width = 0;
    };

    PdfFonts(PdfFile& file, GlyphSource& source);
    ~PdfFonts();
    PdfFonts(const PdfFonts&) = delete;
    PdfFonts& operator=(const PdfFonts&) = delete;

    // The font of a source's program; the first request reads its tables.
    Font& Get(int program);
    // Notes that `glyph` drew `character` and says how to show it.
    Placement Place(Font& font, std::uint32_t glyph, char32_t character);
    // The /Font entries of the resource dictionary: "/F1 12 0 R/F2 20 0 R".
    std::string ResourceEntries() const;
    // Writes every font used.
    void WriteAll();

private:
    int NewResource(int& object);
    void WriteCidFont(Font& font);
    void WriteType3Font(const Font& font, std::size_t n);

    PdfFile& file_;
    GlyphSource& source_;
    std::vector<std::unique_ptr<Font>> fonts_;    // in order of first use
    std::vector<int> byProgram_;                  // program -> index into fonts_, -1 none
    std::vector<int> resources_;                  // objects of /F1, /F2, ...
    std::vector<OutlinePoint> outline_;
};

}  // namespace quillon
