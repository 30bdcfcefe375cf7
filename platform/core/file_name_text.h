#pragma once

#include <string>
#include <string_view>

namespace quillon {

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF).
bool IsValidUtf8(std::string_view text) noexcept;

// A file name's bytes as UTF-8 text to show the user. Most names are UTF-8 and stay as they
// are; names copied from old DOS or Windows disks are in an 8-bit code page, so any other
// name is read byte by byte: ASCII as it is, the DOS code page's letters (128-191) and
// Windows-1251 above them as Cyrillic, which makes a legacy name readable either way.
std::string FileNameText(std::string_view bytes);

// The name part of a path, its bytes as they are: what follows the last slash, slashes at the
// end ignored ("report.txt" for "/home/anna/report.txt", "old" for "/home/old/").
std::string FileNameOf(std::string_view path);

}  // namespace quillon
