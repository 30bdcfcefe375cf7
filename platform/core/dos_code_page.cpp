#include "platform/core/dos_code_page.h"

#include <array>

namespace quillon {

namespace {

// Bytes 0xC0..0xFF; 0x80..0xBF are U+0410..U+044F in order.
constexpr char16_t kHigh[64] = {
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x2563, 0x2551,  // C0
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2510,  // C8
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2116, 0x00A7, 0x2557,  // D0
    0x255D, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,  // D8
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,  // E0
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,  // E8
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,  // F0
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,  // F8
};

constexpr Utf8Char Encode(char16_t c) {
    if (c < 0x80) return {{static_cast<std::uint8_t>(c), 0, 0}, 1};
    if (c < 0x800) {
        return {{static_cast<std::uint8_t>(0xC0 | (c >> 6)),
                 static_cast<std::uint8_t>(0x80 | (c & 0x3F)), 0},
                2};
    }
    return {{static_cast<std::uint8_t>(0xE0 | (c >> 12)),
             static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F)),
             static_cast<std::uint8_t>(0x80 | (c & 0x3F))},
            3};
}

constexpr char16_t Decode(std::uint8_t byte) {
    if (byte < 0x80) return byte;
    if (byte < 0xC0) return static_cast<char16_t>(0x0410 + (byte - 0x80));
    return kHigh[byte - 0xC0];
}

constexpr std::array<Utf8Char, 256> MakeUtf8Table() {
    std::array<Utf8Char, 256> table{};
    for (int b = 0; b < 256; ++b) table[b] = Encode(Decode(static_cast<std::uint8_t>(b)));
    return table;
}

constexpr auto kUtf8 = MakeUtf8Table();

}  // namespace

char16_t DosToUnicode(std::uint8_t byte) noexcept {
    return Decode(byte);
}

std::u16string DecodeDos(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (const char c : text) out += Decode(static_cast<std::uint8_t>(c));
    return out;
}

Utf8Char DosToUtf8(std::uint8_t byte) noexcept {
    return kUtf8[byte];
}

}  // namespace quillon
