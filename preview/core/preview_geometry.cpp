#include "preview/core/preview_geometry.h"

#include <algorithm>
#include <limits>

#include "platform/core/canvas.h"
#include "platform/core/page_picture.h"
#include "platform/core/rounding.h"

namespace quillon {

int PagePixels(long double tenths, int zoom, long double factor) {
    return RoundHalfEven32(tenths * zoom / 100 * factor);
}

std::optional<long long> FitPageZoom(int width, int height, long double pageWidth,
                                     long double pageHeight) {
    if (!(pageWidth > 0) || !(pageHeight > 0)) return std::nullopt;
    const long long zx = RoundHalfEven(width / pageWidth * 95);
    const long long zy = RoundHalfEven(height / pageHeight * 95);
    return std::min(zx, zy);
}

std::optional<long long> FitWidthZoom(int width, long double pageWidth, int percent) {
    if (!(pageWidth > 0)) return std::nullopt;
    return RoundHalfEven(width / pageWidth * percent);
}

int CentredOffset(int control, int image) {
    return image < control ? (control - image) / 2 : 0;
}

void DrawPagePicture(const PagePicture* picture, Canvas& canvas, const Rect& rect, bool design) {
    if (picture == nullptr && !design) return;
    const int l = rect.left;
    const int t = rect.top;
    const int w = rect.Width();
    const int h = rect.Height();
    canvas.SetPen(Pen{kWhite, 1, PenStyle::psSolid});
    canvas.SetBrush(Brush{kWhite, BrushStyle::bsSolid});
    canvas.Rectangle(Rect{l + 1, t + 1, l + w - 3, t + h - 3});
    if (picture != nullptr) canvas.DrawPicture(*picture, rect);
    canvas.SetPen(Pen{kBlack, 1, PenStyle::psSolid});
    canvas.MoveTo({l, t});
    canvas.LineTo({l, t + h - 3});
    canvas.LineTo({l + w - 3, t + h - 3});
    canvas.LineTo({l + w - 3, t});
    canvas.LineTo({l, t});
    canvas.SetBrush(Brush{kBlack, BrushStyle::bsSolid});
    canvas.FillRect(Rect{l + w - 2, t + 2, rect.right, rect.bottom});
    canvas.FillRect(Rect{l + 2, t + h - 2, rect.right, rect.bottom});
}

const LinkArea* LinkAt(const std::vector<LinkArea>& areas, int x, int y, int zoom) {
    if (zoom <= 0) return nullptr;
    for (const LinkArea& a : areas) {
        const long long px = RoundHalfEven(static_cast<long double>(x) / zoom * 100);
        if (px < a.area.left || px > a.area.right) continue;
        const long long py = RoundHalfEven(static_cast<long double>(y) / zoom * 100);
        if (py >= a.area.top && py <= a.area.bottom) return &a;
    }
    return nullptr;
}

std::int64_t ReadLeadingInteger(std::string_view text) {
    constexpr std::int64_t kBeyond = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' &&
               (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) break;
        // Once past the 32-bit range the exact value no longer matters.
        value = std::min(value * base + digit, kBeyond);
    }
    return negative ? -value : value;
}

int PageFromTypedText(std::string_view text, int pageTotal) {
    const std::int64_t page = ReadLeadingInteger(text);
    if (page <= 0 || page > pageTotal) return 1;
    return static_cast<int>(page);
}

}  // namespace quillon
