#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

// The program's 8-bit code page, Windows-1251. Every 8-bit string that reaches a font, a page
// picture or a text search goes through these tables.

// The Unicode character of a Windows-1251 byte (byte 0x98, unassigned, gives U+FFFD).
char16_t Cp1251ToUnicode(std::uint8_t byte) noexcept;

// The Windows-1251 byte of a character, or `fallback` when the code page has none.
std::uint8_t UnicodeToCp1251(char16_t ch, std::uint8_t fallback = '?') noexcept;

std::u16string DecodeCp1251(std::string_view text);
std::string EncodeCp1251(std::u16string_view text, std::uint8_t fallback = '?');

// UTF-8 forms, for the toolkit and the file system's messages.
std::string Cp1251ToUtf8(std::string_view text);
std::string Utf8ToCp1251(std::string_view text, std::uint8_t fallback = '?');
// UTF-16 (surrogate pairs included) as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The capital of a Latin or Cyrillic letter (every letter of the code page); other
// characters are their own capital.
char16_t UnicodeUpperCase(char16_t ch) noexcept;

// Letter case within the code page, Cyrillic included (а..я <-> А..Я, ё <-> Ё, ...).
std::uint8_t UpperCp1251(std::uint8_t byte) noexcept;
std::uint8_t LowerCp1251(std::uint8_t byte) noexcept;
std::string UpperCp1251(std::string_view text);
std::string LowerCp1251(std::string_view text);

}  // namespace quillon
