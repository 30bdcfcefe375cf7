#include "output/qr_compress.h"

#include <algorithm>

#include "output/damaged_report.h"

namespace quillon {

TQRCompress::TQRCompress(ByteStream& stream, bool compressing)
    : bitPosition_(compressing ? 0 : 7), compressing_(compressing), stream_(stream) {
    ResetTree();
}

TQRCompress::~TQRCompress() {
    if (!compressing_ || finished_) return;
    try {
        Finish();
    } catch (const EStreamError&) {
        // A destructor cannot report it; callers that need to know call Finish themselves.
    }
}

void TQRCompress::ResetTree() {
    // The complete binary tree in breadth-first numbering: bytes 0..254 at depth 8, byte 255
    // and the unused leaf 512 at depth 9.
    for (std::size_t i = 1; i < kNodes; ++i) parent_[i] = static_cast<std::uint8_t>((i - 1) / 2);
    for (std::size_t i = 0; i < kInternalNodes; ++i) {
        children_[i] = {static_cast<std::uint16_t>(2 * i + 1),
                        static_cast<std::uint16_t>(2 * i + 2)};
    }
}

void TQRCompress::EncodeByte(std::uint8_t value) {
    // The path is found from the leaf up and sent from the root down; it has at most one step
    // per internal node.
    std::array<std::uint8_t, kInternalNodes> steps;
    unsigned count = 0;
    std::uint16_t node = kFirstLeaf + value;
    do {
        const std::uint16_t up = parent_[node];
        steps[count++] = children_[up][1] == node ? 1 : 0;
        node = up;
    } while (node != kRoot);

    // Bits go into the output byte from its lowest free bit up; a full byte goes out.
    while (count > 0) {
        const unsigned n = std::min(8u - bitPosition_, count);
        unsigned bits = outputByte_;
        for (unsigned i = 0; i < n; ++i)
            bits |= static_cast<unsigned>(steps[--count]) << (bitPosition_ + i);
        outputByte_ = static_cast<std::uint16_t>(bits);
        if (bitPosition_ + n == 8) {
            const auto byte = static_cast<std::uint8_t>(outputByte_);
            stream_.WriteExact(&byte, 1);
            bitPosition_ = 0;
            outputByte_ = 0;
        } else {
            bitPosition_ = static_cast<std::uint8_t>(bitPosition_ + n);
        }
    }
    SplayLeaf(value);
}

std::uint8_t TQRCompress::DecodeByte() {
    std::uint16_t node = kRoot;
    while (node < kFirstLeaf) {
        if (bitPosition_ == 7) {
            std::uint8_t byte = 0;
            stream_.ReadExact(&byte, 1);
            inputByte_ = byte;
            bitPosition_ = 0;
        } else {
            ++bitPosition_;
        }
        node = children_[node][(inputByte_ >> bitPosition_) & 1u];
    }
    if (node == kUnusedLeaf) throw EDamagedReport("compressed page holds an invalid code");
    const auto value = static_cast<std::uint8_t>(node - kFirstLeaf);
    SplayLeaf(value);
    return value;
}

void TQRCompress::Finish() {
    if (!compressing_ || finished_) return;
    finished_ = true;
    if (bitPosition_ != 0) {
        const auto byte = static_cast<std::uint8_t>(outputByte_);
        stream_.WriteExact(&byte, 1);
    }
}

void TQRCompress::SplayLeaf(std::uint8_t value) {
    // Each pass swaps the node with its parent's sibling and goes on from the grandparent.
    std::uint16_t a = kFirstLeaf + value;
    do {
        const std::uint16_t c = parent_[a];
        if (c == kRoot) break;
        const std::uint16_t d = parent_[c];
        // The sibling e of c hangs on the other side of d; a takes its place there and e takes
        // a's place under c.
        const unsigned cSide = children_[d][1] == c ? 1 : 0;
        const std::uint16_t e = children_[d][cSide ^ 1u];
        children_[d][cSide ^ 1u] = a;
        children_[c][children_[c][1] == a ? 1 : 0] = e;
        parent_[a] = static_cast<std::uint8_t>(d);
        parent_[e] = static_cast<std::uint8_t>(c);
        a = d;
    } while (a != kRoot);
}

void CompressBytes(std::span<const std::uint8_t> bytes, ByteStream& out) {
    TQRCompress encoder(out, true);
    for (const std::uint8_t b : bytes) encoder.EncodeByte(b);
    encoder.Finish();
}

std::vector<std::uint8_t> ExpandBytes(ByteStream& in, std::size_t count) {
    TQRCompress decoder(in, false);
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& b : bytes) b = decoder.DecodeByte();
    return bytes;
}

}  // namespace quillon
