#pragma once

// The arithmetic of the preview: page sizes on screen at a zoom, the automatic zooms, where
// the page image sits in its control, the sheet drawn around a page, link areas, and reading
// a typed page number. Qt-free, so that every rule is tested without a window.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/geometry.h"

namespace quillon {

class Canvas;
class PagePicture;

inline constexpr int kMinPreviewZoom = 2;
inline constexpr int kMaxPreviewZoom = 2000;
constexpr bool IsPreviewZoom(long long zoom) {
    return zoom >= kMinPreviewZoom && zoom <= kMaxPreviewZoom;
}

// The page image is this much wider and taller than the page: border and shadow.
inline constexpr int kSheetMargin = 4;

// A length in tenths of a millimetre as screen pixels at `zoom` per cent, with `factor` screen
// pixels per tenth of a millimetre, rounded half to even.
int PagePixels(long double tenths, int zoom, long double factor);

// The zoom that fits a page of `pageWidth` x `pageHeight` pixels (at zoom 100) into a control
// of `width` x `height` pixels, 95 % of the tighter direction; none for an empty page.
std::optional<long long> FitPageZoom(int width, int height, long double pageWidth,
                                     long double pageHeight);
// The zoom that makes a page `pageWidth` pixels wide (at zoom 100) fill `percent` per cent of
// a control `width` pixels wide; none for an empty page.
std::optional<long long> FitWidthZoom(int width, long double pageWidth, int percent);

// Where an image of `image` pixels starts in a control of `control` pixels: centred when it
// is smaller, at 0 otherwise.
int CentredOffset(int control, int image);

// Draws a page as a sheet into `rect`: white paper, the picture stretched over the whole
// rectangle, a one-pixel black border and a two-pixel shadow on the right and bottom edges.
// With neither a picture nor `design` nothing is drawn.
void DrawPagePicture(const PagePicture* picture, Canvas& canvas, const Rect& rect, bool design);

// A rectangle on a page (page pixels at zoom 100) that links somewhere.
struct LinkArea {
    Rect area;
    std::string link;
};

// The link under image position (x, y) of a page shown at `zoom`: the first area that holds
// it, or none.
const LinkArea* LinkAt(const std::vector<LinkArea>& areas, int x, int y, int zoom);

// A whole number read from the start of `text` as the runtime reads integers: leading blanks
// skipped, an optional sign, decimal digits, or hexadecimal digits after "$" or "0x"; reading
// stops at the first character that does not fit and keeps what was read, 0 when nothing was.
// Values beyond the 32-bit range come back as one past it (with the sign), never overflowing.
std::int64_t ReadLeadingInteger(std::string_view text);

// The page that the go-to-page box's text asks for: the number read from it, or page 1 for a
// number of 0 or less or above `pageTotal`.
int PageFromTypedText(std::string_view text, int pageTotal);

}  // namespace quillon
