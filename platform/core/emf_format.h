#pragma once

// Record numbers, byte access and header geometry shared by the EMF writer, the picture
// container and the player. Internal to platform/core.

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillon::emf {

// Record types.
inline constexpr std::uint32_t kHeader = 1;
inline constexpr std::uint32_t kPolyBezier = 2;
inline constexpr std::uint32_t kPolygon = 3;
inline constexpr std::uint32_t kPolyline = 4;
inline constexpr std::uint32_t kPolyBezierTo = 5;
inline constexpr std::uint32_t kPolylineTo = 6;
inline constexpr std::uint32_t kPolyPolyline = 7;
inline constexpr std::uint32_t kPolyPolygon = 8;
inline constexpr std::uint32_t kSetWindowExtEx = 9;
inline constexpr std::uint32_t kSetWindowOrgEx = 10;
inline constexpr std::uint32_t kSetViewportExtEx = 11;
inline constexpr std::uint32_t kSetViewportOrgEx = 12;
inline constexpr std::uint32_t kEof = 14;
inline constexpr std::uint32_t kSetMapMode = 17;
inline constexpr std::uint32_t kSetBkMode = 18;
inline constexpr std::uint32_t kSetTextAlign = 22;
inline constexpr std::uint32_t kSetTextColor = 24;
inline constexpr std::uint32_t kSetBkColor = 25;
inline constexpr std::uint32_t kMoveToEx = 27;
inline constexpr std::uint32_t kExcludeClipRect = 29;
inline constexpr std::uint32_t kIntersectClipRect = 30;
inline constexpr std::uint32_t kSaveDc = 33;
inline constexpr std::uint32_t kRestoreDc = 34;
inline constexpr std::uint32_t kSetWorldTransform = 35;
inline constexpr std::uint32_t kModifyWorldTransform = 36;
inline constexpr std::uint32_t kSelectObject = 37;
inline constexpr std::uint32_t kCreatePen = 38;
inline constexpr std::uint32_t kCreateBrushIndirect = 39;
inline constexpr std::uint32_t kDeleteObject = 40;
inline constexpr std::uint32_t kEllipse = 42;
inline constexpr std::uint32_t kRectangle = 43;
inline constexpr std::uint32_t kRoundRect = 44;
inline constexpr std::uint32_t kCreatePalette = 49;
inline constexpr std::uint32_t kLineTo = 54;
inline constexpr std::uint32_t kExtSelectClipRgn = 75;
inline constexpr std::uint32_t kBitBlt = 76;
inline constexpr std::uint32_t kExtCreateFontIndirectW = 82;
inline constexpr std::uint32_t kExtTextOutA = 83;
inline constexpr std::uint32_t kExtTextOutW = 84;
inline constexpr std::uint32_t kPolyBezier16 = 85;
inline constexpr std::uint32_t kPolygon16 = 86;
inline constexpr std::uint32_t kPolyline16 = 87;
inline constexpr std::uint32_t kPolyBezierTo16 = 88;
inline constexpr std::uint32_t kPolylineTo16 = 89;
inline constexpr std::uint32_t kPolyPolyline16 = 90;
inline constexpr std::uint32_t kPolyPolygon16 = 91;
inline constexpr std::uint32_t kCreateMonoBrush = 93;
inline constexpr std::uint32_t kCreateDibPatternBrushPt = 94;
inline constexpr std::uint32_t kExtCreatePen = 95;
inline constexpr std::uint32_t kCreateColorSpace = 99;
inline constexpr std::uint32_t kCreateColorSpaceW = 122;

inline constexpr std::uint32_t kSignature = 0x464D4520;  // " EMF"
inline constexpr std::uint32_t kVersion = 0x00010000;
inline constexpr std::size_t kBaseHeaderSize = 88;
inline constexpr std::size_t kHeaderSize = 108;  // with both extensions
inline constexpr std::size_t kEofSize = 20;

// Stock objects: selecting 0x80000000 | n.
inline constexpr std::uint32_t kStockBit = 0x80000000;
inline constexpr std::uint32_t kWhiteBrush = kStockBit | 0x00;
inline constexpr std::uint32_t kLightGrayBrush = kStockBit | 0x01;
inline constexpr std::uint32_t kGrayBrush = kStockBit | 0x02;
inline constexpr std::uint32_t kDarkGrayBrush = kStockBit | 0x03;
inline constexpr std::uint32_t kBlackBrush = kStockBit | 0x04;
inline constexpr std::uint32_t kNullBrush = kStockBit | 0x05;
inline constexpr std::uint32_t kWhitePen = kStockBit | 0x06;
inline constexpr std::uint32_t kBlackPen = kStockBit | 0x07;
inline constexpr std::uint32_t kNullPen = kStockBit | 0x08;
inline constexpr std::uint32_t kSystemFont = kStockBit | 0x0D;
inline constexpr std::uint32_t kLastStock = kStockBit | 0x13;

// Background modes, clip region modes, graphics mode.
inline constexpr std::uint32_t kTransparent = 1;
inline constexpr std::uint32_t kOpaque = 2;
inline constexpr std::uint32_t kRgnAnd = 1;
inline constexpr std::uint32_t kRgnCopy = 5;
inline constexpr std::uint32_t kGmCompatible = 1;

// Text output options beyond those of the canvas.
inline constexpr std::uint32_t kEtoGlyphIndex = 0x10;
inline constexpr std::uint32_t kEtoNoRect = 0x100;
inline constexpr std::uint32_t kEtoPdy = 0x2000;

// Field offsets of the text records, counted from the record's first byte.
inline constexpr std::size_t kTextReference = 36;
inline constexpr std::size_t kTextCount = 44;
inline constexpr std::size_t kTextStringOffset = 48;
inline constexpr std::size_t kTextOptions = 52;
inline constexpr std::size_t kTextRect = 56;
inline constexpr std::size_t kTextDxOffset = 72;
inline constexpr std::size_t kTextFixedSize = 76;

// The font record we write: the logical font, empty full name, style and script, and a design
// vector of no axes, the form every reader accepts.
inline constexpr std::size_t kFontRecordSize = 368;
inline constexpr std::size_t kLogFontSize = 92;
inline constexpr std::uint32_t kDesignVectorSignature = 0x08007664;
inline constexpr std::size_t kFaceNameUnits = 32;

inline std::uint32_t U32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t I32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(U32(p));
}
inline std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline float F32(const std::uint8_t* p) {
    const std::uint32_t bits = U32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// One record's bytes. Reads outside the record give 0, so a handler that checked the wrong
// minimum size still never leaves its slice.
class Record {
public:
    explicit Record(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint32_t Type() const { return U32At(0); }
    std::size_t Size() const { return bytes_.size(); }
    const std::uint8_t* Data() const { return bytes_.data(); }

    // True when `count` items of `itemSize` bytes at `offset` lie inside the record.
    bool Holds(std::uint64_t offset, std::uint64_t count, std::uint64_t itemSize) const {
        if (itemSize != 0 && count > (std::uint64_t{1} << 32)) return false;
        return offset <= bytes_.size() && count * itemSize <= bytes_.size() - offset;
    }

    std::uint32_t U32At(std::size_t offset) const {
        return Holds(offset, 1, 4) ? U32(bytes_.data() + offset) : 0;
    }
    std::int32_t I32At(std::size_t offset) const {
        return static_cast<std::int32_t>(U32At(offset));
    }
    std::int16_t I16At(std::size_t offset) const {
        return Holds(offset, 1, 2) ? static_cast<std::int16_t>(U16(bytes_.data() + offset)) : 0;
    }
    std::uint16_t U16At(std::size_t offset) const {
        return Holds(offset, 1, 2) ? U16(bytes_.data() + offset) : 0;
    }
    std::uint8_t U8At(std::size_t offset) const {
        return offset < bytes_.size() ? bytes_[offset] : 0;
    }
    float F32At(std::size_t offset) const {
        return Holds(offset, 1, 4) ? F32(bytes_.data() + offset) : 0.0f;
    }

private:
    std::span<const std::uint8_t> bytes_;
};

// What the header says about the picture's place on the reference device.
struct Geometry {
    double originX = 0;  // frame's top-left corner in reference pixels
    double originY = 0;
    int width = 0;  // frame size in reference pixels, rounded
    int height = 0;
    double pixelsPerMmX = 96 / 25.4;  // reference device resolution
    double pixelsPerMmY = 96 / 25.4;
    std::uint16_t handles = 1;  // size of the object table the header announces
};

// Reads the geometry from a header record already checked for type, signature and a size of
// at least 88 bytes within `header`.
Geometry ReadGeometry(std::span<const std::uint8_t> header);

// UTF-8 (face names) to and from UTF-16; malformed bytes become U+FFFD.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace quillon::emf
