#include "platform/qt/qt_font_face.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QString>
#include <QTextLayout>

#include <map>
#include <memory>
#include <tuple>

#include "platform/core/rounding.h"

namespace quillon {

namespace {

bool IsControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code < 0xA0);
}

// Fonts up to this em size are measured as they are, larger ones at this size and scaled.
constexpr int kLargestMeasuredPixels = 4096;

int WholePixels(qreal advance) {
    return static_cast<int>(RoundHalfEven(advance));
}

}  // namespace

FontFace::FontFace(const FontSpec& wanted, int pixelSize)
    : basic_(kBasic, PlacedGlyph{-1, 0, 0, true}) {
    font_.setFamily(QString::fromStdString(wanted.face));
    font_.setPixelSize(pixelSize < 1 ? 1 : pixelSize);
    font_.setBold((wanted.style & kFontBold) != 0);
    font_.setItalic((wanted.style & kFontItalic) != 0);
    font_.setUnderline((wanted.style & kFontUnderline) != 0);
    font_.setStrikeOut((wanted.style & kFontStrikeOut) != 0);
    font_.setKerning(false);
    rawFonts_.push_back(QRawFont::fromFont(font_));
    if (font_.pixelSize() <= kLargestMeasuredPixels) {
        const QFontMetrics metrics(font_);
        metrics_ = {metrics.ascent(), metrics.descent()};
    } else {
        // The font engine's ascent and descent wrap around from some 16,000 pixels on: they are
        // taken at a size it measures and scaled up.
        QFont reference = font_;
        reference.setPixelSize(kLargestMeasuredPixels);
        const QFontMetricsF metrics(reference);
        const qreal scale = static_cast<qreal>(font_.pixelSize()) / kLargestMeasuredPixels;
        metrics_ = {WholePixels(metrics.ascent() * scale), WholePixels(metrics.descent() * scale)};
    }
}

std::vector<PlacedGlyph> FontFace::Glyphs(std::u16string_view text) {
    std::vector<PlacedGlyph> glyphs(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit < kBasic && basic_[unit].font >= 0) {
            glyphs[i] = basic_[unit];
            continue;
        }
        char32_t code = unit;
        const bool pair = unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
        if (pair) code = 0x10000 + ((unit - 0xD800u) << 10) + (text[i + 1] - 0xDC00u);
        glyphs[i] = GlyphFor(code);
        if (pair) {
            ++i;
            glyphs[i] = {glyphs[i - 1].font, 0, 0, false};
        }
    }
    return glyphs;
}

PlacedGlyph FontFace::GlyphFor(char32_t code) {
    if (code < kBasic) {
        if (basic_[code].font >= 0) return basic_[code];
    } else if (const auto found = cache_.find(code); found != cache_.end()) {
        return found->second;
    }

    const QRawFont& raw = rawFonts_.front();
    PlacedGlyph placed;
    const QString chars = QString::fromUcs4(&code, 1);
    quint32 glyph = 0;
    int count = 1;
    if (raw.isValid() &&
        raw.glyphIndexesForChars(chars.constData(), static_cast<int>(chars.size()), &glyph,
                                 &count) &&
        count == 1) {
        placed.glyph = glyph;
    }
    // Control codes stay with the requested font whatever glyph it has for them (often the
    // space or the missing-glyph box), so that they take the same room everywhere.
    if (placed.glyph == 0 && !IsControl(code)) placed = FallbackGlyph(code);
    if (placed.font == 0) {
        QPointF advance;
        if (raw.isValid() && raw.advancesForGlyphIndexes(&placed.glyph, &advance, 1)) {
            placed.advance = WholePixels(advance.x());
        }
    }
    if (code < kBasic) {
        basic_[code] = placed;
    } else {
        cache_.emplace(code, placed);
    }
    return placed;
}

PlacedGlyph FontFace::FallbackGlyph(char32_t code) {
    // Font merging of the text layout picks the family fontconfig prefers for the character.
    QTextLayout layout(QString::fromUcs4(&code, 1), font_);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    for (const QGlyphRun& run : layout.glyphRuns()) {
        const QList<quint32> indexes = run.glyphIndexes();
        if (indexes.size() != 1 || indexes.front() == 0) continue;
        const QRawFont raw = run.rawFont();
        PlacedGlyph placed;
        placed.font = FontIndex(raw);
        placed.glyph = indexes.front();
        QPointF advance;
        if (raw.advancesForGlyphIndexes(&placed.glyph, &advance, 1)) {
            placed.advance = WholePixels(advance.x());
        }
        return placed;
    }
    return {};
}

int FontFace::FontIndex(const QRawFont& raw) {
    for (std::size_t i = 0; i < rawFonts_.size(); ++i) {
        if (rawFonts_[i] == raw) return static_cast<int>(i);
    }
    rawFonts_.push_back(raw);
    return static_cast<int>(rawFonts_.size() - 1);
}

namespace {

using FaceKey = std::tuple<std::string, int, unsigned>;

std::map<FaceKey, std::unique_ptr<FontFace>>& Faces() {
    static std::map<FaceKey, std::unique_ptr<FontFace>> faces;
    return faces;
}

// Raw fonts must go while the application still holds the font engines.
void ReleaseFaces() {
    Faces().clear();
}

}  // namespace

FontFace& FaceFor(const FontSpec& wanted, int dpi) {
    auto& faces = Faces();
    if (faces.empty()) qAddPostRoutine(ReleaseFaces);
    const int pixels = FontPixelSize(wanted.size, dpi);
    const unsigned style = wanted.style & (kFontBold | kFontItalic | kFontUnderline | kFontStrikeOut);
    auto& face = faces[FaceKey{wanted.face, pixels, style}];
    if (!face) face = std::make_unique<FontFace>(wanted, pixels);
    return *face;
}

}  // namespace quillon
