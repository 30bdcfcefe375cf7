#include "pdf/pdf_canvas.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "pdf/pdf_file.h"
#include "pdf/pdf_fonts.h"
#include "platform/core/page_picture.h"

namespace quillon {

namespace {

void AppendColor(std::string& out, Color color) {
    AppendReal(out, RedOf(color) / 255.0, 3);
    out += ' ';
    AppendReal(out, GreenOf(color) / 255.0, 3);
    out += ' ';
    AppendReal(out, BlueOf(color) / 255.0, 3);
}

void AppendByte(std::string& out, unsigned char byte) {
    switch (byte) {
        case '(':
        case ')':
        case '\\':
            out += '\\';
            out += static_cast<char>(byte);
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += static_cast<char>(byte);
    }
}

// A character code (two bytes or one) in a literal string, escaped where the syntax needs it.
void AppendCode(std::string& out, std::uint32_t code, bool twoBytes) {
    if (twoBytes) AppendByte(out, static_cast<unsigned char>(code >> 8));
    AppendByte(out, static_cast<unsigned char>(code & 0xFF));
}

char32_t CharacterAt(std::u16string_view text, std::size_t i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
        return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
    }
    return unit;
}

constexpr double kBezierCircle = 0.5522847498307936;

}  // namespace

PdfCanvas::PdfCanvas(PdfFonts& fonts, GlyphSource& glyphs, TextMeasurer& measurer)
    : fonts_(fonts), glyphs_(glyphs), measurer_(measurer) {}

void PdfCanvas::BeginPage(const DeviceCaps& caps, const std::string& pageTransform) {
    caps_ = caps;
    content_ = pageTransform;
    written_ = {};
    clipped_ = false;
    metrics_.reset();
}

std::string PdfCanvas::TakeContent() {
    RemoveClip();
    return std::exchange(content_, std::string());
}

void PdfCanvas::SetFont(const FontSpec& font) {
    if (font == font_) return;
    font_ = font;
    metrics_.reset();
}

FontMetrics PdfCanvas::Metrics() {
    if (!metrics_) metrics_ = measurer_.Metrics(font_, caps_.dpiY);
    return *metrics_;
}

Size PdfCanvas::TextExtentW(std::u16string_view text) {
    return {measurer_.Advances(font_, caps_.dpiX, text, nullptr), Metrics().Height()};
}

void PdfCanvas::Coordinates(std::initializer_list<double> values) {
    for (const double v : values) {
        AppendReal(content_, v, 2);
        content_ += ' ';
    }
}

void PdfCanvas::SetFill(Color color) {
    if (written_.fill == color) return;
    written_.fill = color;
    AppendColor(content_, color);
    content_ += " rg\n";
}

void PdfCanvas::PathRect(double left, double top, double width, double height) {
    Coordinates({left, top, width, height});
    content_ += "re\n";
}

void PdfCanvas::FillArea(double left, double top, double width, double height, Color color) {
    if (width <= 0 || height <= 0) return;
    SetFill(color);
    PathRect(left, top, width, height);
    content_ += "f\n";
}

void PdfCanvas::TextOutW(int x, int y, std::u16string_view text, const int* advances,
                         unsigned options, const Rect* rect) {
    const std::size_t count = text.size();
    const int* adv = advances;
    if (adv == nullptr) {
        measurer_.Advances(font_, caps_.dpiX, text, &advances_);
        advances_.resize(count);
        adv = advances_.data();
    }
    std::vector<int>& offsets = offsets_;
    offsets.resize(count + 1);
    int width = 0;
    for (std::size_t i = 0; i < count; ++i) {
        offsets[i] = width;
        width += adv[i];
    }
    offsets[count] = width;

    const FontMetrics metrics = Metrics();
    int left = x;
    if ((align_ & kTaCenter) == kTaCenter) {
        left = x - width / 2;
    } else if ((align_ & kTaRight) != 0) {
        left = x - width;
    }
    int baseline = y + metrics.ascent;
    if ((align_ & kTaBaseline) == kTaBaseline) {
        baseline = y;
    } else if ((align_ & kTaBottom) != 0) {
        baseline = y - metrics.descent;
    }

    if (rect != nullptr && (options & kEtoOpaque) != 0) {
        FillArea(rect->left, rect->top, rect->Width(), rect->Height(), background_);
    }
    const bool clip = rect != nullptr && (options & kEtoClipped) != 0;
    const Written outside = written_;
    if (clip) {
        content_ += "q\n";
        PathRect(rect->left, rect->top, rect->Width(), rect->Height());
        content_ += "W n\n";
    }
    if (!transparent_) {
        FillArea(left, baseline - metrics.ascent, width, metrics.Height(), background_);
    }

    glyphs_.Glyphs(font_, text, glyphRun_);
    // The em the text was measured at: sizes past the largest are measured at the largest.
    const double size = std::min(std::fabs(font_.size), kLargestFontSize) * caps_.dpiY / 72.0;
    bool open = false;
    int decorated = -1;
    if (size > 0 && std::isfinite(size)) {
        std::size_t i = 0;
        while (i < count) {
            const SourceGlyph first = glyphRun_[i];
            if (!first.drawn || first.program < 0) {
                ++i;
                continue;
            }
            PdfFonts::Font& font = fonts_.Get(first.program);
            const PdfFonts::Placement start = fonts_.Place(font, first.glyph, CharacterAt(text, i));
            if (!start.drawable) {
                ++i;
                continue;
            }
            if (decorated < 0) decorated = first.program;
            if (!open) {
                content_ += "BT\n";
                open = true;
                SetFill(font_.color);
            }
            if (written_.font != start.resource || written_.fontSize != size) {
                written_.font = start.resource;
                written_.fontSize = size;
                content_ += "/F";
                AppendInt(content_, start.resource);
                content_ += ' ';
                AppendReal(content_, size, 3);
                content_ += " Tf\n";
            }
            // Character spacing takes up the difference between the measured advance and the
            // font's own, so that a fixed-pitch line needs no adjustment per glyph.
            const double spacing = std::round((adv[i] - start.width * size / 1000) * 1000) / 1000;
            if (written_.charSpacing != spacing) {
                written_.charSpacing = spacing;
                AppendReal(content_, spacing, 3);
                content_ += " Tc\n";
            }
            const int origin = offsets[i];
            content_ += "1 0 0 -1 ";
            Coordinates({static_cast<double>(left + origin), static_cast<double>(baseline)});
            content_ += "Tm\n";

            // One string of the glyphs of this font, with a number wherever a glyph would not
            // start at its own offset.
            std::string& shown = shown_;
            shown.clear();
            bool adjusted = false;
            bool inString = false;
            double pen = 0;
            std::size_t k = i;
            for (; k < count; ++k) {
                const SourceGlyph g = glyphRun_[k];
                if (!g.drawn || g.program < 0) continue;
                if (g.program != first.program) break;
                const PdfFonts::Placement placed =
                    k == i ? start : fonts_.Place(font, g.glyph, CharacterAt(text, k));
                if (!placed.drawable) continue;
                if (placed.resource != start.resource) break;
                const double gap = (offsets[k] - origin) - pen;
                if (std::fabs(gap) > 0.005) {
                    const double number = std::round(-gap * 1000 / size * 100) / 100;
                    if (number != 0) {
                        if (inString) shown += ')';
                        inString = false;
                        AppendReal(shown, number, 2);
                        pen -= number * size / 1000;
                        adjusted = true;
                    }
                }
                if (!inString) shown += '(';
                inString = true;
                AppendCode(shown, placed.code, placed.twoBytes);
                pen += placed.width * size / 1000 + spacing;
            }
            if (inString) shown += ')';
            if (adjusted) {
                content_ += '[';
                content_ += shown;
                content_ += "]TJ\n";
            } else {
                content_ += shown;
                content_ += "Tj\n";
            }
            i = k;
        }
    }
    if (open) content_ += "ET\n";
    if (decorated >= 0 && (font_.style & (kFontUnderline | kFontStrikeOut)) != 0) {
        const SfntInfo& info = fonts_.Get(decorated).info;
        const double scale = size / info.unitsPerEm;
        const auto line = [&](int position, int thickness) {
            const double t = std::max(1.0, thickness * scale);
            FillArea(left, baseline - position * scale - t / 2, width, t, font_.color);
        };
        if ((font_.style & kFontUnderline) != 0)
            line(info.underlinePosition, info.underlineThickness);
        if ((font_.style & kFontStrikeOut) != 0)
            line(info.strikeoutPosition, info.strikeoutThickness);
    }
    if (clip) {
        content_ += "Q\n";
        written_ = outside;
    }
}

void PdfCanvas::SetClipRect(const Rect& rect) {
    if (!clipped_) {
        content_ += "q\n";
        beforeClip_ = written_;
        clipped_ = true;
    }
    const Rect r = NormalizedRect(rect);
    PathRect(r.left, r.top, r.Width(), r.Height());
    content_ += "W n\n";
}

void PdfCanvas::RemoveClip() {
    if (!clipped_) return;
    content_ += "Q\n";
    written_ = beforeClip_;
    clipped_ = false;
}

bool PdfCanvas::UseStroke(bool line) {
    if (pen_.style == PenStyle::psClear) return false;
    const bool thin = pen_.width <= 1;
    if (written_.stroke != pen_.color) {
        written_.stroke = pen_.color;
        AppendColor(content_, pen_.color);
        content_ += " RG\n";
    }
    const double width = thin ? 1.0 : pen_.width;
    if (written_.lineWidth != width) {
        written_.lineWidth = width;
        AppendReal(content_, width, 2);
        content_ += " w\n";
    }
    const int dash = thin ? static_cast<int>(pen_.style) : static_cast<int>(PenStyle::psSolid);
    if (written_.dash != dash) {
        written_.dash = dash;
        content_ += '[';
        for (const double length : DashPattern(static_cast<PenStyle>(dash))) {
            if (content_.back() != '[') content_ += ' ';
            AppendReal(content_, length, 1);
        }
        content_ += "]0 d\n";
    }
    // One-pixel lines end flat and one-pixel outlines close square; wide pens are round.
    const int cap = !thin ? 1 : line ? 0 : 2;
    if (written_.cap != cap) {
        written_.cap = cap;
        AppendInt(content_, cap);
        content_ += cap == 1 ? " J 1 j\n" : " J 0 j\n";
    }
    return true;
}

void PdfCanvas::FillRect(const Rect& rect) {
    if (brush_.style == BrushStyle::bsClear) return;
    FillArea(rect.left, rect.top, rect.Width(), rect.Height(), brush_.color);
}

void PdfCanvas::Rectangle(const Rect& rect) {
    DrawShape(Shape::kRectangle, rect, 0, 0);
}

void PdfCanvas::Ellipse(const Rect& rect) {
    DrawShape(Shape::kEllipse, rect, 0, 0);
}

void PdfCanvas::RoundRect(const Rect& rect, int cornerWidth, int cornerHeight) {
    DrawShape(Shape::kRoundRect, rect, cornerWidth, cornerHeight);
}

void PdfCanvas::DrawShape(Shape shape, const Rect& input, int cornerWidth, int cornerHeight) {
    const Rect rect = NormalizedRect(input);
    if (rect.Width() < 1 || rect.Height() < 1) return;
    const bool fill = brush_.style == BrushStyle::bsSolid;
    if (fill) SetFill(brush_.color);
    const bool stroke = UseStroke(false);
    if (!fill && !stroke) return;
    // A one-pixel outline is stroked along the centres of the outermost pixels.
    OutlineBox box = ShapeOutline(rect, pen_);
    if (stroke && pen_.width <= 1) box = {box.left + 0.5, box.top + 0.5, box.width, box.height};
    const auto [left, top, width, height] = box;
    switch (shape) {
        case Shape::kRectangle:
            PathRect(left, top, width, height);
            break;
        case Shape::kEllipse:
            PathEllipse(left, top, width, height);
            break;
        case Shape::kRoundRect:
            PathRoundRect(left, top, width, height, std::min(cornerWidth / 2.0, width / 2),
                          std::min(cornerHeight / 2.0, height / 2));
            break;
    }
    content_ += fill && stroke ? "B\n" : fill ? "f\n" : "S\n";
}

void PdfCanvas::PathEllipse(double left, double top, double width, double height) {
    const double rx = width / 2;
    const double ry = height / 2;
    const double cx = left + rx;
    const double cy = top + ry;
    const double kx = rx * kBezierCircle;
    const double ky = ry * kBezierCircle;
    Coordinates({cx + rx, cy});
    content_ += "m\n";
    Coordinates({cx + rx, cy + ky, cx + kx, cy + ry, cx, cy + ry});
    content_ += "c\n";
    Coordinates({cx - kx, cy + ry, cx - rx, cy + ky, cx - rx, cy});
    content_ += "c\n";
    Coordinates({cx - rx, cy - ky, cx - kx, cy - ry, cx, cy - ry});
    content_ += "c\n";
    Coordinates({cx + kx, cy - ry, cx + rx, cy - ky, cx + rx, cy});
    content_ += "c\nh\n";
}

void PdfCanvas::PathRoundRect(double left, double top, double width, double height, double rx,
                              double ry) {
    if (rx <= 0 || ry <= 0) {
        PathRect(left, top, width, height);
        return;
    }
    const double right = left + width;
    const double bottom = top + height;
    const double kx = rx * (1 - kBezierCircle);
    const double ky = ry * (1 - kBezierCircle);
    Coordinates({left + rx, top});
    content_ += "m\n";
    Coordinates({right - rx, top});
    content_ += "l\n";
    Coordinates({right - kx, top, right, top + ky, right, top + ry});
    content_ += "c\n";
    Coordinates({right, bottom - ry});
    content_ += "l\n";
    Coordinates({right, bottom - ky, right - kx, bottom, right - rx, bottom});
    content_ += "c\n";
    Coordinates({left + rx, bottom});
    content_ += "l\n";
    Coordinates({left + kx, bottom, left, bottom - ky, left, bottom - ry});
    content_ += "c\n";
    Coordinates({left, top + ry});
    content_ += "l\n";
    Coordinates({left, top + ky, left + kx, top, left + rx, top});
    content_ += "c\nh\n";
}

void PdfCanvas::LineTo(Point point) {
    const Point from = position_;
    position_ = point;
    if (!UseStroke(true)) return;
    Coordinates({from.x + 0.5, from.y + 0.5});
    content_ += "m ";
    Coordinates({point.x + 0.5, point.y + 0.5});
    content_ += "l S\n";
}

void PdfCanvas::DrawPicture(const PagePicture& picture, const Rect& target) {
    picture.Play(*this, target);
}

}  // namespace quillon
