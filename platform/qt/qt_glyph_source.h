#pragma once

#include <QRawFont>

#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/core/glyph_source.h"

namespace quillon {

class FontFace;

// The glyphs of the fonts the text measurer measures with: the same FontFace at the engine's
// reference resolution picks them, fallback fonts included, so a document shows the very
// glyphs whose advances laid out its pages. Each distinct font file is one program.
class QtGlyphSource : public GlyphSource {
public:
    QtGlyphSource();
    ~QtGlyphSource() override;
    QtGlyphSource(const QtGlyphSource&) = delete;
    QtGlyphSource& operator=(const QtGlyphSource&) = delete;

    void Glyphs(const FontSpec& font, std::u16string_view text,
                std::vector<SourceGlyph>& out) override;
    const FontProgram& Program(int program) override;

private:
    class RawFontProgram;
    int ProgramOf(const QRawFont& raw);

    std::vector<std::unique_ptr<RawFontProgram>> programs_;
    // Program numbers of each face's fonts, by the face's own font index.
    std::unordered_map<const FontFace*, std::vector<int>> faces_;
};

}  // namespace quillon
