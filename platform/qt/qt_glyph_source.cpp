#include "platform/qt/qt_glyph_source.h"

#include <QByteArray>
#include <QPainterPath>

#include <stdexcept>

#include "platform/core/services.h"
#include "platform/qt/qt_font_face.h"

namespace quillon {

class QtGlyphSource::RawFontProgram : public FontProgram {
public:
    explicit RawFontProgram(const QRawFont& raw) : raw_(raw) {}

    std::string Table(std::uint32_t tag) const override {
        const char name[5] = {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16),
                              static_cast<char>(tag >> 8), static_cast<char>(tag), '\0'};
        const QByteArray bytes = raw_.fontTable(name);
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }

    bool Outline(std::uint32_t glyph, std::vector<OutlinePoint>& outline,
                 double& advance) const override {
        // At a 1000-pixel em the outline is in thousandths of an em.
        if (!large_.isValid()) {
            large_ = raw_;
            large_.setPixelSize(1000);
        }
        if (!large_.isValid()) return false;
        const quint32 index = glyph;
        QPointF step;
        if (!large_.advancesForGlyphIndexes(&index, &step, 1)) return false;
        advance = step.x();
        const QPainterPath path = large_.pathForGlyph(glyph);
        outline.clear();
        for (int i = 0; i < path.elementCount(); ++i) {
            const QPainterPath::Element e = path.elementAt(i);
            OutlinePoint::Kind kind = OutlinePoint::Kind::kCurve;
            if (e.isMoveTo()) kind = OutlinePoint::Kind::kMove;
            if (e.isLineTo()) kind = OutlinePoint::Kind::kLine;
            outline.push_back({kind, e.x, -e.y});
        }
        return true;
    }

    // Same file: the same family, style and table of glyph outlines.
    bool Same(const QRawFont& raw) const {
        return raw_.familyName() == raw.familyName() && raw_.styleName() == raw.styleName() &&
               raw_.weight() == raw.weight() && raw_.style() == raw.style();
    }

private:
    QRawFont raw_;
    mutable QRawFont large_;
};

QtGlyphSource::QtGlyphSource() = default;
QtGlyphSource::~QtGlyphSource() = default;

void QtGlyphSource::Glyphs(const FontSpec& font, std::u16string_view text,
                           std::vector<SourceGlyph>& out) {
    FontFace& face = FaceFor(font, kScreenPixelsPerInch);
    const std::vector<PlacedGlyph> placed = face.Glyphs(text);
    std::vector<int>& programs = faces_[&face];
    out.resize(placed.size());
    for (std::size_t i = 0; i < placed.size(); ++i) {
        const PlacedGlyph& p = placed[i];
        const auto index = static_cast<std::size_t>(p.font);
        while (programs.size() <= index) {
            const QRawFont& raw = face.RawFont(static_cast<int>(programs.size()));
            programs.push_back(raw.isValid() ? ProgramOf(raw) : -1);
        }
        out[i] = {programs[index], p.glyph, p.drawn};
    }
}

int QtGlyphSource::ProgramOf(const QRawFont& raw) {
    for (std::size_t i = 0; i < programs_.size(); ++i) {
        if (programs_[i]->Same(raw)) return static_cast<int>(i);
    }
    programs_.push_back(std::make_unique<RawFontProgram>(raw));
    return static_cast<int>(programs_.size() - 1);
}

const FontProgram& QtGlyphSource::Program(int program) {
    if (program < 0 || static_cast<std::size_t>(program) >= programs_.size()) {
        throw std::out_of_range("No such font program");
    }
    return *programs_[static_cast<std::size_t>(program)];
}

}  // namespace quillon
