#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// The Bulgarian DOS code page of the files the program reads: ASCII below 128, the 64
// Cyrillic letters at 128..191, line drawing, blocks and a few symbols above.

// The Unicode character of a byte of the DOS code page (every byte has one).
char16_t DosToUnicode(std::uint8_t byte) noexcept;

std::u16string DecodeDos(std::string_view text);

// The UTF-8 bytes of a byte of the DOS code page: 1 to 3 bytes in `bytes`, `length` of them.
struct Utf8Char {
    std::uint8_t bytes[3];
    std::uint8_t length;
};
Utf8Char DosToUtf8(std::uint8_t byte) noexcept;

}  // namespace quillon
