#include "tests/pdf/file_glyph_source.h"

#include <memory>
#include <stdexcept>

namespace quillon::testing {

namespace {

// Collects an outline in thousandths of an em.
struct Drawing {
    std::vector<OutlinePoint>* points;
    double scale;
};

void MoveTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float x, float y, void*) {
    auto* d = static_cast<Drawing*>(data);
    d->points->push_back({OutlinePoint::Kind::kMove, x * d->scale, y * d->scale});
}
void LineTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float x, float y, void*) {
    auto* d = static_cast<Drawing*>(data);
    d->points->push_back({OutlinePoint::Kind::kLine, x * d->scale, y * d->scale});
}
void CubicTo(hb_draw_funcs_t*, void* data, hb_draw_state_t*, float x1, float y1, float x2, float y2,
             float x, float y, void*) {
    auto* d = static_cast<Drawing*>(data);
    for (const auto& [px, py] : {std::pair{x1, y1}, std::pair{x2, y2}, std::pair{x, y}}) {
        d->points->push_back({OutlinePoint::Kind::kCurve, px * d->scale, py * d->scale});
    }
}
// Quadratic curves as the cubic curves they are.
void QuadraticTo(hb_draw_funcs_t* f, void* data, hb_draw_state_t* st, float cx, float cy, float x,
                 float y, void* u) {
    const float x0 = st->current_x;
    const float y0 = st->current_y;
    CubicTo(f, data, st, x0 + 2 * (cx - x0) / 3, y0 + 2 * (cy - y0) / 3, x + 2 * (cx - x) / 3,
            y + 2 * (cy - y) / 3, x, y, u);
}

}  // namespace

class FileGlyphSource::FileProgram : public FontProgram {
public:
    FileProgram(hb_face_t* face, hb_font_t* font, bool outlinesOnly)
        : face_(face), font_(font), outlinesOnly_(outlinesOnly) {}

    bool Outline(std::uint32_t glyph, std::vector<OutlinePoint>& outline,
                 double& advance) const override {
        if (!outlinesOnly_) return false;
        const double scale = 1000.0 / hb_face_get_upem(face_);
        hb_draw_funcs_t* funcs = hb_draw_funcs_create();
        hb_draw_funcs_set_move_to_func(funcs, MoveTo, nullptr, nullptr);
        hb_draw_funcs_set_line_to_func(funcs, LineTo, nullptr, nullptr);
        hb_draw_funcs_set_quadratic_to_func(funcs, QuadraticTo, nullptr, nullptr);
        hb_draw_funcs_set_cubic_to_func(funcs, CubicTo, nullptr, nullptr);
        outline.clear();
        Drawing drawing{&outline, scale};
        hb_font_get_glyph_shape(font_, glyph, funcs, &drawing);
        hb_draw_funcs_destroy(funcs);
        advance = hb_font_get_glyph_h_advance(font_, glyph) * scale;
        return true;
    }

    std::string Table(std::uint32_t tag) const override {
        if (outlinesOnly_) return {};
        hb_blob_t* table = hb_face_reference_table(face_, tag);
        unsigned length = 0;
        const char* data = hb_blob_get_data(table, &length);
        std::string bytes(data != nullptr ? data : "", data != nullptr ? length : 0);
        hb_blob_destroy(table);
        return bytes;
    }

private:
    hb_face_t* face_;
    hb_font_t* font_;
    bool outlinesOnly_;
};

FileGlyphSource::FileGlyphSource(const std::string& path, bool outlinesOnly)
    : blob_(hb_blob_create_from_file_or_fail(path.c_str())),
      face_(hb_face_create(blob_, 0)),
      font_(hb_font_create(face_)),
      program_(std::make_unique<FileProgram>(face_, font_, outlinesOnly)) {
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
