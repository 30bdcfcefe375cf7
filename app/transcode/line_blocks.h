#pragma once

#include <cstddef>
#include <cstdint>

namespace quillon {

// How far a block copy got through CR LF text.
struct LineBlockCopy {
    std::size_t consumed = 0;    // input bytes taken
    std::size_t written = 0;     // output bytes written (one less than taken when a CR is left over)
    bool atLineStart = false;    // the last byte taken ended a line (a CR LF pair)
    bool pendingReturn = false;  // the last byte taken is a CR whose line feed follows later
};

// The conversion's fast path: letter-shifts whole blocks from `in` to `out` while each block
// holds no byte 26 and no line feed or carriage return outside a complete CR LF pair, so that
// the output is the input shifted. Stops at the first other block, or when less than a block
// is left. Must start inside a line (not after a pending CR). `out` needs room for `size`
// bytes; 32 bytes are written at a time.
LineBlockCopy CopyLineBlocks(const std::uint8_t* in, std::size_t size, std::uint8_t* out) noexcept;

// Bytes one block call may write: callers keep at least this much room in `out`.
inline constexpr std::size_t kLineBlockSize = 32;

}  // namespace quillon
