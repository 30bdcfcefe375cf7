#pragma once

#include <hb.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/core/glyph_source.h"

namespace quillon::testing {

// Glyphs from one font file through its character map, without fallbacks: a GlyphSource for
// tests of the PDF writer that run without Qt. `outlinesOnly` hides the font's tables and
// offers its outlines only, as a font whose file cannot be embedded does.
class FileGlyphSource : public GlyphSource {
public:
    explicit FileGlyphSource(const std::string& path, bool outlinesOnly = false);
    ~FileGlyphSource() override;
    FileGlyphSource(const FileGlyphSource&) = delete;
    FileGlyphSource& operator=(const FileGlyphSource&) = delete;

    void Glyphs(const FontSpec& font, std::u16string_view text,
                std::vector<SourceGlyph>& out) override;
    const FontProgram& Program(int program) override;

private:
    class FileProgram;
    hb_blob_t* blob_;
    hb_face_t* face_;
    hb_font_t* font_;
    std::unique_ptr<FontProgram> program_;
};

// A TrueType font every machine of the project has (fonts-liberation2).
inline constexpr const char* kMonoFontFile =
    "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf";

}  // namespace quillon::testing
