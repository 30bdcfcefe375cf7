#include "tests/pdf/file_glyph_source.h"

#include <memory>
#include <stdexcept>

namespace quillon::testing {

class FileGlyphSource::FileProgram : public FontProgram {
public:
    explicit FileProgram(hb_face_t* face) : face_(face) {}
    std::string Table(std::uint32_t tag) const override {
        hb_blob_t* table = hb_face_reference_table(face_, tag);
        unsigned length = 0;
        const char* data = hb_blob_get_data(table, &length);
        std::string bytes(data != nullptr ? data : "", data != nullptr ? length : 0);
        hb_blob_destroy(table);
        return bytes;
    }

private:
    hb_face_t* face_;
};

FileGlyphSource::FileGlyphSource(const std::string& path)
    : blob_(hb_blob_create_from_file_or_fail(path.c_str())),
      face_(hb_face_create(blob_, 0)),
      font_(hb_font_create(face_)),
      program_(std::make_unique<FileProgram>(face_)) {
    if (blob_ == nullptr) throw std::runtime_error("Cannot read " + path);
}

FileGlyphSource::~FileGlyphSource() {
    hb_font_destroy(font_);
    hb_face_destroy(face_);
    hb_blob_destroy(blob_);
}

void FileGlyphSource::Glyphs(const FontSpec&, std::u16string_view text,
                             std::vector<SourceGlyph>& out) {
    out.assign(text.size(), SourceGlyph{});
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        const bool pair = c >= 0xD800 && c < 0xDC00 && i + 1 < text.size();
        if (pair) c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
        hb_codepoint_t glyph = 0;
        hb_font_get_nominal_glyph(font_, c, &glyph);
        out[i] = {0, glyph, true};
        if (pair) out[++i] = {0, 0, false};
    }
}

const FontProgram& FileGlyphSource::Program(int) {
    return *program_;
}

}  // namespace quillon::testing
