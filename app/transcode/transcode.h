#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// A line: 8-bit bytes without terminator. Byte 0 is data like any other.
using Line = std::string;

// Moves the 64 DOS Cyrillic letters (bytes 128..191) to the Windows-1251 positions 192..255;
// every other byte stays. The result has the same length.
Line ShiftDosLetters(std::string_view line);

// The letter shift plus the ten line-drawing bytes replaced by "+", "-" and "|", so that a
// DOS frame prints as ASCII art in any Windows font. The result has the same length.
Line NormaliseForPrint(std::string_view line);

// The same transforms on a byte range, writing `count` bytes to `out` (`out` may equal `in`).
void ShiftDosLetters(const std::uint8_t* in, std::uint8_t* out, std::size_t count) noexcept;
void NormaliseForPrint(const std::uint8_t* in, std::uint8_t* out, std::size_t count) noexcept;

// ShiftDosLetters for buffers with slack: reads and writes whole 16-byte blocks, so up to 15
// bytes after `in + count` must be readable and after `out + count` writable (those output
// bytes get unspecified values).
void ShiftDosLettersPadded(const std::uint8_t* in, std::uint8_t* out, std::size_t count) noexcept;

// Single-byte forms.
constexpr std::uint8_t ShiftDosLetter(std::uint8_t b) noexcept {
    return (b >= 128 && b <= 191) ? static_cast<std::uint8_t>(b + 64) : b;
}

constexpr std::uint8_t NormaliseByteForPrint(std::uint8_t b) noexcept {
    switch (b) {
        case 192: case 193: case 194: case 195: case 207: case 212: case 217: case 218:
            return '+';
        case 196:
            return '-';
        case 211:
            return '|';
        default:
            return ShiftDosLetter(b);
    }
}

}  // namespace quillon
