#pragma once

#include <cstdint>

namespace quillon {

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle in device units. As in the Windows drawing services, `right` and `bottom` lie
// just outside the area a fill covers.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The same rectangle with left <= right and top <= bottom.
inline Rect NormalizedRect(const Rect& r) {
    return {r.left < r.right ? r.left : r.right, r.top < r.bottom ? r.top : r.bottom,
            r.left < r.right ? r.right : r.left, r.top < r.bottom ? r.bottom : r.top};
}

// The common part of two rectangles; empty (but not inverted) when they do not meet.
inline Rect IntersectRects(const Rect& a, const Rect& b) {
    Rect r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
           a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

// A colour as the Windows drawing services store it: 0x00BBGGRR.
using Color = std::uint32_t;

constexpr Color Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<Color>(r) | (static_cast<Color>(g) << 8) | (static_cast<Color>(b) << 16);
}
constexpr std::uint8_t RedOf(Color c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(Color c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(Color c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

inline constexpr Color kBlack = Rgb(0, 0, 0);
inline constexpr Color kWhite = Rgb(255, 255, 255);
inline constexpr Color kSilver = Rgb(192, 192, 192);

}  // namespace quillon
