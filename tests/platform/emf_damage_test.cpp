// Damaged page pictures: a broken record chain is refused as a whole; a record whose fields do
// not fit is skipped and the rest of the page still plays.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>

#include "platform/core/byte_stream.h"
#include "platform/core/emf_recorder.h"
#include "platform/core/page_picture.h"
#include "tests/platform/emf_test_support.h"

namespace quillon {
namespace {

using testing::EmfBuilder;
using testing::LoggingCanvas;
using Bytes = std::vector<std::uint8_t>;

// A valid picture: header (108 bytes), a font, its selection, one text record, end of file.
Bytes ValidPicture() {
    EmfBuilder b(100, 100, 2);
    b.Font(1, -13, 204).Add(37, {1}).Text(10, 10, u"ok", {8, 8});
    return b.Bytes();
}

constexpr std::size_t kFontAt = 108, kSelectAt = 108 + 368, kTextAt = kSelectAt + 12;

TEST(PagePictureDamage, RefusesABrokenRecordChain) {
    struct Case {
        const char* fault;
        std::function<void(Bytes&)> damage;
    };
    const auto set = [](std::size_t at, std::uint32_t v) {
        return [=](Bytes& b) { EmfBuilder::Set(b, at, v); };
    };
    const auto cut = [](std::size_t length) {
        return [=](Bytes& b) {
            b.resize(length);
            EmfBuilder::Set(b, 48, static_cast<std::uint32_t>(length));
        };
    };
    const Case cases[] = {
        {"no bytes", [](Bytes& b) { b.clear(); }},
        {"shorter than a header", [](Bytes& b) { b.resize(87); }},
        {"first record is no header", set(0, 2)},
        {"wrong signature", set(40, 0x464D4521)},
        {"header record too short", set(4, 84)},
        {"header size not a multiple of four", set(4, 110)},
        {"header longer than the picture", set(4, 4096)},
        {"length smaller than header and end", set(48, 120)},
        {"length beyond the bytes", set(48, 0x10000)},
        {"length of a gigabyte", set(48, 0x40000000)},
        {"length not a multiple of four",
         [](Bytes& b) {
             b.push_back(0);
             EmfBuilder::Set(b, 48, static_cast<std::uint32_t>(b.size()));
         }},
        {"record of size 0 (would never advance)", set(kSelectAt + 4, 0)},
        {"record of size 4", set(kSelectAt + 4, 4)},
        {"record size not a multiple of four", set(kSelectAt + 4, 13)},
        {"record running past the end", set(kTextAt + 4, 0x7FFFFFF0)},
        {"no end-of-file record", [](Bytes& b) { EmfBuilder::Set(b, b.size() - 20, 70); }},
        {"cut inside a record", cut(kTextAt + 40)},
        {"cut before the end record", cut(kTextAt + 88)},
    };
    for (const Case& c : cases) {
        Bytes bytes = ValidPicture();
        c.damage(bytes);
        EXPECT_THROW(PagePicture::FromBytes(bytes), EInvalidPicture) << c.fault;
    }
    EXPECT_NO_THROW(PagePicture::FromBytes(ValidPicture()));
}

TEST(PagePictureDamage, LoadingStopsAtTheStatedLength) {
    Bytes bytes = ValidPicture();
    const std::size_t length = bytes.size();
    bytes.resize(length - 8);
    MemoryStream shortStream(bytes);
    EXPECT_THROW(PagePicture::LoadFrom(shortStream), EReadError);

    // A header that claims a gigabyte is refused before anything is allocated.
    Bytes huge = ValidPicture();
    EmfBuilder::Set(huge, 48, 0x40000000);
    MemoryStream hugeStream(huge);
    EXPECT_THROW(PagePicture::LoadFrom(hugeStream), EInvalidPicture);
}

// One bad record in an otherwise good page. Rows where the bad record still draws something
// say how many text calls and shapes to expect before the good text.
struct BadRecord {
    const char* fault;
    Bytes record;
    std::function<void(const LoggingCanvas&)> check = nullptr;
};

Bytes RecordOf(std::initializer_list<std::int64_t> words) {
    Bytes r(4 * words.size());
    std::size_t at = 0;
    for (auto w : words) {
        EmfBuilder::Set(r, at, static_cast<std::uint32_t>(w));
        at += 4;
    }
    return r;
}

Bytes TextWith(std::size_t field, std::uint32_t value, std::uint32_t options = 0) {
    Bytes r = EmfBuilder::TextRecord(0, 0, u"bad", {1, 2, 3}, true, options);
    EmfBuilder::Set(r, field, value);
    return r;
}

Bytes FontWithHeight(std::int32_t height) {
    Bytes r = EmfBuilder::FontRecord(2, height, 204);
    r.insert(r.end(), {37, 0, 0, 0, 12, 0, 0, 0, 2, 0, 0, 0});  // select it
    return r;
}

TEST(PagePictureDamage, SkipsRecordsWhoseFieldsDoNotFit) {
    const auto last = [](const LoggingCanvas& c) { return c.texts.back(); };
    const BadRecord cases[] = {
        {"text count far beyond the record", TextWith(44, 0x7FFFFFFF)},
        {"text count overflowing 32 bits as bytes", TextWith(44, 0x80000001)},
        {"text offset beyond the record", TextWith(48, 0xFFFFFFF0)},
        {"text offset inside the fixed fields", TextWith(48, 8)},
        {"glyph numbers instead of characters", TextWith(52, 0x10)},
        {"text record shorter than its fixed fields", RecordOf({84, 40, 0, 0, 0, 0, 0, 0, 0, 0})},
        {"advances beyond the record (text kept)", TextWith(72, 0xFFFFFFF0),
         [](const LoggingCanvas& c) {
             ASSERT_EQ(c.texts.size(), 2u);
             EXPECT_EQ(c.texts[0].text, u"bad");
             EXPECT_FALSE(c.texts[0].advances.has_value());
         }},
        {"advance pairs that do not fit (text kept)", TextWith(52, 0x2000),
         [](const LoggingCanvas& c) { EXPECT_FALSE(c.texts.at(0).advances.has_value()); }},
        {"clip rectangle of extreme values", TextWith(56, 0x80000000, kEtoClipped),
         [](const LoggingCanvas& c) { EXPECT_EQ(c.texts.at(0).rect->left, -(1 << 24)); }},
        {"select of an index beyond the table", RecordOf({37, 12, 1000})},
        {"select of index 0", RecordOf({37, 12, 0})},
        {"select of an unknown stock object", RecordOf({37, 12, 0x80000050})},
        {"delete of a stock object", RecordOf({40, 12, 0x80000007})},
        {"delete of index 0 and beyond", RecordOf({40, 12, 0, 40, 12, 70000})},
        {"object created at index 0", RecordOf({38, 28, 0, 0, 1, 0, 0})},
        {"object created beyond 65535", RecordOf({38, 28, 70000, 0, 1, 0, 0})},
        {"font record holding only its index (font 1 stays)", RecordOf({82, 12, 1}),
         [&](const LoggingCanvas& c) { EXPECT_EQ(FontPixelSize(last(c).font.size, 96), 13); }},
        {"pen record holding only its index", RecordOf({38, 12, 3, 37, 12, 3})},
        {"most negative font height", FontWithHeight(INT_MIN),
         [&](const LoggingCanvas& c) {
             EXPECT_LE(FontPixelSize(last(c).font.size, 96), 16384);
             EXPECT_GE(last(c).font.size, 0);
         }},
        {"enormous positive font height", FontWithHeight(INT_MAX),
         [&](const LoggingCanvas& c) { EXPECT_LE(FontPixelSize(last(c).font.size, 96), 16384); }},
        {"rectangle of extreme coordinates", RecordOf({43, 24, INT_MIN, INT_MIN, INT_MAX, INT_MAX}),
         [](const LoggingCanvas& c) {
             EXPECT_EQ(
                 c.Shapes(),
                 (std::vector<std::string>{"Rectangle -16777216 -16777216 16777216 16777216"}));
         }},
        {"restore without a save", RecordOf({34, 12, -5, 34, 12, 0, 34, 12, 3})},
        {"line count beyond the record", RecordOf({87, 32, 0, 0, 0, 0, 0x40000001, 0})},
        {"line count overflowing 32 bits as bytes", RecordOf({4, 32, 0, 0, 0, 0, 0x20000001, 0})},
        {"polygon counts that do not add up", RecordOf({91, 48, 0, 0, 0, 0, 2, 2, 1, 5, 0, 0})},
        {"polygon count beyond the record", RecordOf({91, 40, 0, 0, 0, 0, 0x40000000, 1, 1, 0})},
        {"curve of a partial segment", RecordOf({85, 40, 0, 0, 0, 0, 3, 0, 0, 0})},
        {"clip region with more rectangles than data",
         RecordOf({75, 64, 48, 5, 32, 1, 1000, 16, 0, 0, 10, 10, 0, 0, 10, 10})},
        {"clip region longer than the record", RecordOf({75, 16, 0x7FFFFFFF, 5})},
        {"transform that is not a number", RecordOf({35, 32, 0x7FC00000, 0, 0, 0x3F800000, 0, 0})},
        {"transform that flattens everything", RecordOf({35, 32, 0, 0, 0, 0x3F800000, 0, 0})},
        {"rotating transform", RecordOf({35, 32, 0x3F800000, 0x3F800000, 0, 0x3F800000, 0, 0})},
        {"curve under an enormous transform",
         RecordOf({35,       32, 0x7F7FFFFF, 0, 0, 0x3F800000, 0, 0,  // x scaled by 3.4e38
                   85,       44, 0,          0, 0, 0,          4, 0, 30000, 30000 | (10 << 16),
                   10 << 16,                                               // a curve
                   36,       36, 0,          0, 0, 0,          0, 0, 1}),  // back to identity
         [](const LoggingCanvas& c) { EXPECT_LE(c.shapes.size(), 33u); }},
        {"window extent of zero", RecordOf({17, 12, 8, 9, 16, 0, 0})},
        {"unknown record types", RecordOf({0, 8, 0xFFFFFFFF, 12, 5, 107, 8})},
        {"state record longer than its field", RecordOf({24, 20, 0x0000FF, 7, 7}),
         [&](const LoggingCanvas& c) { EXPECT_EQ(last(c).font.color, 0x0000FFu); }},
    };

    for (const BadRecord& c : cases) {
        SCOPED_TRACE(c.fault);
        EmfBuilder b(100, 100, 4);
        b.Font(1, -13, 204).Add(37, {1}).AddRaw(c.record).Text(10, 10, u"ok", {8, 8});
        const auto picture = PagePicture::FromBytes(b.Bytes());

        LoggingCanvas canvas;
        picture->Play(canvas, {0, 0, 100, 100});
        ASSERT_FALSE(canvas.texts.empty());
        EXPECT_EQ(canvas.texts.back().text, u"ok");
        EXPECT_EQ(canvas.texts.back().at, (Point{10, 10}));
        EXPECT_EQ(canvas.texts.back().advances, (std::vector<int>{8, 8}));
        if (c.check) {
            c.check(canvas);
        } else {
            EXPECT_EQ(canvas.texts.size(), 1u);
        }

        // Copying the page onto a recording canvas gives a valid picture again.
        EmfRecordingCanvas copy(100, 100);
        copy.DrawPicture(*picture, {0, 0, 100, 100});
        EXPECT_NO_THROW(PagePicture::FromBytes(copy.Finish()->Bytes()));
    }
}

TEST(PagePictureDamage, DeepSavesAreCapped) {
    EmfBuilder b(100, 100);
    for (int i = 0; i < 5000; ++i) b.Add(33, {});
    b.Add(24, {0x00FF00}).Add(34, {-1}).Text(0, 0, u"ok");
    LoggingCanvas canvas;
    PagePicture::FromBytes(b.Bytes())->Play(canvas, {0, 0, 100, 100});
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].font.color, kBlack);  // restored from the newest state kept
}

}  // namespace
}  // namespace quillon
