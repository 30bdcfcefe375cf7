// The adaptive splay-tree code of stored pages: exact bit patterns from a fresh tree, round
// trips, and damaged code.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "output/damaged_report.h"
#include "output/qr_compress.h"
#include "tests/output/emf_fixture.h"

namespace quillon {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Compress(const Bytes& input) {
    MemoryStream out;
    CompressBytes(input, out);
    return out.Bytes();
}

struct Encoding {
    const char* name;
    Bytes input;
    Bytes code;
};

// A wrong bit order, initial tree or rearrangement changes these; a round trip alone would
// not notice.
TEST(TQRCompress, EncodesExactlyFromAFreshTree) {
    const std::vector<Encoding> cases = {
        {"nothing writes nothing", {}, {}},
        {"byte 0: eight bits, leaf 256 is the right child of node 127", {0x00}, {0x80}},
        {"byte 255: nine bits, leaf 511 is the left child of node 255", {0xFF}, {0x00, 0x00}},
        {"byte 0 twice: the second code is shorter", {0x00, 0x00}, {0x80, 0x0F}},
        {"eight zero bytes", Bytes(8, 0x00), {0x80, 0xCF, 0x07}},
        {"abc", {0x61, 0x62, 0x63}, {0x46, 0x3D, 0x01}},
        {"aaaa", {0x61, 0x61, 0x61, 0x61}, {0x46, 0x45}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Compress(c.input), c.code) << c.name;
        MemoryStream in(c.code);
        EXPECT_EQ(ExpandBytes(in, c.input.size()), c.input) << c.name;
        EXPECT_EQ(in.Position(), static_cast<std::int64_t>(c.code.size())) << c.name;
    }
}

TEST(TQRCompress, RoundTripsAnyBytesAndConsumesExactlyTheCode) {
    std::mt19937 random(7);
    Bytes noise(20000);
    for (auto& b : noise) b = static_cast<std::uint8_t>(random());
    Bytes ascending(256 * 3);
    for (std::size_t i = 0; i < ascending.size(); ++i) ascending[i] = static_cast<std::uint8_t>(i);
    Bytes skewed(50000);
    for (auto& b : skewed) b = static_cast<std::uint8_t>(random() % 7 == 0 ? random() : 0xFF);
    const std::vector<std::pair<const char*, Bytes>> inputs = {
        {"random bytes", noise},
        {"every value in turn", ascending},
        {"a long run of one value with rare others", skewed},
        {"a page picture", testing::TextPageBytes({"Invoice 1", "total 12.50", "| + - |"})},
    };
    for (const auto& [name, input] : inputs) {
        MemoryStream stream;
        stream.WriteInt32(0x12345678);  // data before and after the code stays untouched
        CompressBytes(input, stream);
        const std::int64_t codeEnd = stream.Position();
        stream.WriteInt32(-1);
        stream.SetPosition(4);
        EXPECT_EQ(ExpandBytes(stream, input.size()), input) << name;
        EXPECT_EQ(stream.Position(), codeEnd) << name;
    }
    // Pictures shrink: their records repeat many byte values.
    const Bytes page = testing::TextPage(1, 60)->Bytes();
    EXPECT_LT(Compress(page).size() * 3, page.size());
}

TEST(TQRCompress, PagesCodedOneAfterAnotherDecodeAloneInAnyOrder) {
    const Bytes first = testing::TextPageBytes({"first page"});
    const Bytes second = testing::TextPageBytes({"second page", "with two lines"});
    MemoryStream stream;
    CompressBytes(first, stream);
    const std::int64_t secondStart = stream.Position();
    CompressBytes(second, stream);
    stream.SetPosition(secondStart);
    EXPECT_EQ(ExpandBytes(stream, second.size()), second);
    stream.SetPosition(0);
    EXPECT_EQ(ExpandBytes(stream, first.size()), first);
    EXPECT_EQ(stream.Position(), secondStart);
}

TEST(TQRCompress, DamagedCodeFailsCleanly) {
    // Nine bits 0 0 0 0 0 0 0 0 1 lead a fresh tree to leaf 512, which stands for no byte.
    MemoryStream unusedLeaf(Bytes{0x00, 0x01});
    EXPECT_THROW(ExpandBytes(unusedLeaf, 1), EDamagedReport);
    // Asking for more bytes than were coded runs out of code.
    MemoryStream shortCode(Compress({1, 2, 3}));
    EXPECT_THROW(ExpandBytes(shortCode, 40), EReadError);
}

TEST(TQRCompress, AnUnfinishedEncoderWritesItsLastByteWhenDestroyed) {
    MemoryStream out;
    {
        TQRCompress encoder(out, true);
        encoder.EncodeByte(0x61);
    }
    EXPECT_EQ(out.Bytes(), Bytes{0x46});
}

}  // namespace
}  // namespace quillon
