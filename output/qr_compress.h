#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/core/byte_stream.h"

namespace quillon {

// Adaptive prefix code over byte values, kept in a semi-splaying tree: each byte is coded by
// its path from the root, and after each byte its leaf moves about halfway towards the root,
// so frequent bytes get short codes. Encoder and decoder start from the same tree and
// rearrange it the same way, so no table travels with the data. Bits are packed from the
// least significant bit of each byte up.
//
// One object codes or decodes exactly one piece of data (one page) on `stream`, which it does
// not own. There is no end-of-data code: the caller stores the byte count and decodes exactly
// that many bytes.
class TQRCompress {
public:
    TQRCompress(ByteStream& stream, bool compressing);
    // An encoder that was not finished writes its last byte here, ignoring a failure; call
    // Finish to have failures reported.
    ~TQRCompress();
    TQRCompress(const TQRCompress&) = delete;
    TQRCompress& operator=(const TQRCompress&) = delete;

    void EncodeByte(std::uint8_t value);
    // Raises EDamagedReport on a code that stands for no byte, and the stream's EReadError
    // when the stream ends inside a code.
    std::uint8_t DecodeByte();

    // Encoder: writes the last, partly filled byte, if any; nothing more may be encoded.
    void Finish();

private:
    static constexpr std::size_t kInternalNodes = 256;
    static constexpr std::size_t kNodes = 513;  // 256 internal nodes, 257 leaves
    static constexpr std::uint16_t kRoot = 0;
    static constexpr std::uint16_t kFirstLeaf = 256;
    static constexpr std::uint16_t kUnusedLeaf = 512;

    void ResetTree();
    void SplayLeaf(std::uint8_t value);

    std::uint8_t bitPosition_;
    bool compressing_;
    std::uint16_t inputByte_ = 0;
    // The left (0) and right (1) child of each internal node, side by side so that a bit
    // picks a child without a branch.
    std::array<std::array<std::uint16_t, 2>, kInternalNodes> children_{};
    std::uint16_t outputByte_ = 0;
    ByteStream& stream_;
    std::array<std::uint8_t, kNodes> parent_{};
    bool finished_ = false;
};

// Codes `bytes` with a fresh tree and writes the code at the stream's position, last byte
// included. Nothing at all is written for empty data.
void CompressBytes(std::span<const std::uint8_t> bytes, ByteStream& out);

// Decodes `count` bytes from the stream's position with a fresh tree; the stream is left
// just behind the code.
std::vector<std::uint8_t> ExpandBytes(ByteStream& in, std::size_t count);

}  // namespace quillon
