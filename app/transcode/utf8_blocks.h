#pragma once

#include <cstddef>
#include <cstdint>

namespace quillon {

// Writes the UTF-8 of `count` bytes of the DOS code page from `in` to `out` and returns the end
// of what it wrote. `out` needs room for 3 * count + 16 bytes: ASCII and letters, nearly all of
// a DOS text, and rules of one line-drawing character go sixteen bytes at a time, with whole
// blocks stored past the end of what they write.
std::uint8_t* DosToUtf8Run(const std::uint8_t* in, std::size_t count, std::uint8_t* out) noexcept;

}  // namespace quillon
