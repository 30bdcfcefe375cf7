#include "platform/core/cp1251.h"

#include <array>

namespace quillon {

namespace {

// Bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr char16_t kHigh[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

char16_t UnicodeUpper(char16_t c) noexcept {
    if (c >= u'a' && c <= u'z') return static_cast<char16_t>(c - 32);
    if (c >= 0x0430 && c <= 0x044F) return static_cast<char16_t>(c - 0x20);
    if (c >= 0x0450 && c <= 0x045F) return static_cast<char16_t>(c - 0x50);
    if (c == 0x0491) return 0x0490;
    return c;
}

char16_t UnicodeLower(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
    if (c >= 0x0410 && c <= 0x042F) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x0400 && c <= 0x040F) return static_cast<char16_t>(c + 0x50);
    if (c == 0x0490) return 0x0491;
    return c;
}

struct Tables {
    std::array<std::uint8_t, 256> upper{};
    std::array<std::uint8_t, 256> lower{};
};

const Tables& CaseTables() {
    static const Tables tables = [] {
        Tables t;
        for (int b = 0; b < 256; ++b) {
            const auto byte = static_cast<std::uint8_t>(b);
            const char16_t c = Cp1251ToUnicode(byte);
            t.upper[b] = UnicodeToCp1251(UnicodeUpper(c), byte);
            t.lower[b] = UnicodeToCp1251(UnicodeLower(c), byte);
        }
        return t;
    }();
    return tables;
}

void AppendUtf8(std::string& out, char32_t c) {
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

}  // namespace

char16_t Cp1251ToUnicode(std::uint8_t byte) noexcept {
    if (byte < 0x80) return byte;
    if (byte >= 0xC0) return static_cast<char16_t>(0x0410 + (byte - 0xC0));
    return kHigh[byte - 0x80];
}

std::uint8_t UnicodeToCp1251(char16_t ch, std::uint8_t fallback) noexcept {
    if (ch < 0x80) return static_cast<std::uint8_t>(ch);
    if (ch >= 0x0410 && ch <= 0x044F) return static_cast<std::uint8_t>(0xC0 + (ch - 0x0410));
    for (int i = 0; i < 64; ++i) {
        if (kHigh[i] == ch && ch != 0xFFFD) return static_cast<std::uint8_t>(0x80 + i);
    }
    return fallback;
}

std::u16string DecodeCp1251(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text) out += Cp1251ToUnicode(static_cast<std::uint8_t>(c));
    return out;
}

std::string EncodeCp1251(std::u16string_view text, std::uint8_t fallback) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out += static_cast<char>(UnicodeToCp1251(c, fallback));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xE000) {
            const bool pair = c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                              text[i + 1] < 0xE000;
            c = pair ? 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00u) : 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (char c : text) AppendUtf8(out, Cp1251ToUnicode(static_cast<std::uint8_t>(c)));
    return out;
}

std::string Utf8ToCp1251(std::string_view text, std::uint8_t fallback) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        char32_t c = 0xFFFD;
        std::size_t length = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0 && i + 1 < text.size()) {
            c = ((b & 0x1Fu) << 6) | (static_cast<std::uint8_t>(text[i + 1]) & 0x3Fu);
            length = 2;
        } else if ((b & 0xF0) == 0xE0 && i + 2 < text.size()) {
            c = ((b & 0x0Fu) << 12) | ((static_cast<std::uint8_t>(text[i + 1]) & 0x3Fu) << 6) |
                (static_cast<std::uint8_t>(text[i + 2]) & 0x3Fu);
            length = 3;
        } else if ((b & 0xF8) == 0xF0) {
            length = 4;
        }
        out += static_cast<char>(c <= 0xFFFF ? UnicodeToCp1251(static_cast<char16_t>(c), fallback) : fallback);
        i += length;
    }
    return out;
}

char16_t UnicodeUpperCase(char16_t ch) noexcept { return UnicodeUpper(ch); }

std::uint8_t UpperCp1251(std::uint8_t byte) noexcept { return CaseTables().upper[byte]; }
std::uint8_t LowerCp1251(std::uint8_t byte) noexcept { return CaseTables().lower[byte]; }

std::string UpperCp1251(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(UpperCp1251(static_cast<std::uint8_t>(c)));
    return out;
}

std::string LowerCp1251(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(LowerCp1251(static_cast<std::uint8_t>(c)));
    return out;
}

}  // namespace quillon
