#include "platform/core/emf_format.h"

#include <cmath>

namespace quillon::emf {

namespace {

constexpr double kMaxPictureSide = 1e6;  // pixels; anything larger is a damaged header

bool Plausible(double pixels) {
    return pixels >= 1 && pixels <= kMaxPictureSide;
}

}  // namespace

Geometry ReadGeometry(std::span<const std::uint8_t> header) {
    const Record h(header);
    Geometry g;
    g.handles = h.U16At(56);

    // The fixed part ends where a description or pixel format begins; only fields before that
    // point are read (a short header has no micrometre sizes).
    std::uint64_t fixedEnd = h.Size();
    const std::uint64_t descriptionOffset = h.U32At(64);
    const std::uint64_t descriptionUnits = h.U32At(60);
    if (descriptionOffset >= kBaseHeaderSize && h.Holds(descriptionOffset, descriptionUnits, 2)) {
        fixedEnd = descriptionOffset;
    }
    if (fixedEnd >= 100) {
        const std::uint64_t pixelFormatOffset = h.U32At(92);
        const std::uint64_t pixelFormatSize = h.U32At(88);
        if (pixelFormatOffset >= 100 && pixelFormatOffset < fixedEnd &&
            h.Holds(pixelFormatOffset, pixelFormatSize, 1)) {
            fixedEnd = pixelFormatOffset;
        }
    }

    const double deviceX = h.I32At(72);
    const double deviceY = h.I32At(76);
    double micronsX = h.I32At(80) * 1000.0;
    double micronsY = h.I32At(84) * 1000.0;
    if (fixedEnd >= kHeaderSize && h.I32At(100) > 0 && h.I32At(104) > 0) {
        micronsX = h.I32At(100);
        micronsY = h.I32At(104);
    }
    if (deviceX > 0 && deviceY > 0 && micronsX > 0 && micronsY > 0) {
        g.pixelsPerMmX = deviceX * 1000.0 / micronsX;
        g.pixelsPerMmY = deviceY * 1000.0 / micronsY;
    }

    // The frame is in hundredths of a millimetre, right and bottom inclusive.
    const double frameLeft = h.I32At(24);
    const double frameTop = h.I32At(28);
    const double frameWidth = static_cast<double>(h.I32At(32)) - frameLeft + 1;
    const double frameHeight = static_cast<double>(h.I32At(36)) - frameTop + 1;
    const double w = std::nearbyint(frameWidth * g.pixelsPerMmX / 100.0);
    const double hgt = std::nearbyint(frameHeight * g.pixelsPerMmY / 100.0);
    if (Plausible(w) && Plausible(hgt)) {
        g.originX = frameLeft * g.pixelsPerMmX / 100.0;
        g.originY = frameTop * g.pixelsPerMmY / 100.0;
        g.width = static_cast<int>(w);
        g.height = static_cast<int>(hgt);
        return g;
    }

    // No usable frame: the bounds (inclusive pixels), then the reference device.
    const double boundsWidth = static_cast<double>(h.I32At(16)) - h.I32At(8) + 1;
    const double boundsHeight = static_cast<double>(h.I32At(20)) - h.I32At(12) + 1;
    if (Plausible(boundsWidth) && Plausible(boundsHeight)) {
        g.originX = h.I32At(8);
        g.originY = h.I32At(12);
        g.width = static_cast<int>(boundsWidth);
        g.height = static_cast<int>(boundsHeight);
    } else if (Plausible(deviceX) && Plausible(deviceY)) {
        g.width = static_cast<int>(deviceX);
        g.height = static_cast<int>(deviceY);
    }
    return g;
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t c = 0xFFFD;
        std::size_t length = 1;
        if (b < 0x80) {
            c = b;
        } else if (b >= 0xC2 && b < 0xF5) {
            length = b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
            char32_t value = b & (0x3F >> (length - 1));
            bool ok = i + length <= text.size();
            for (std::size_t k = 1; ok && k < length; ++k) {
                const auto cont = static_cast<unsigned char>(text[i + k]);
                ok = (cont & 0xC0) == 0x80;
                value = (value << 6) | (cont & 0x3F);
            }
            const bool minimal = (length == 2) || (length == 3 && value >= 0x800) ||
                                 (length == 4 && value >= 0x10000 && value <= 0x10FFFF);
            if (ok && minimal && !(value >= 0xD800 && value <= 0xDFFF)) {
                c = value;
            } else {
                length = 1;
            }
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace quillon::emf
