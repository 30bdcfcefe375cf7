#include "platform/core/emf_recorder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <stdexcept>

#include "platform/core/byte_stream.h"
#include "platform/core/cp1251.h"
#include "tests/platform/emf_test_support.h"

namespace quillon {
namespace {

using testing::Le32;
using testing::RecordsOf;
using testing::TextOf;
using testing::TypesOf;

constexpr std::uint32_t kHeader = 1, kEof = 14, kSetBkMode = 18, kSetTextAlign = 22,
                        kSetTextColor = 24, kSetBkColor = 25, kMoveTo = 27, kIntersectClip = 30,
                        kSelect = 37, kCreatePen = 38, kCreateBrush = 39, kDelete = 40,
                        kEllipse = 42, kRectangle = 43, kRoundRect = 44, kLineTo = 54,
                        kSelectClipRgn = 75, kFont = 82, kTextW = 84;

FontSpec Courier() {
    return {"Courier New", 10, 0, kBlack, kRussianCharset};
}

TEST(EmfRecordingCanvas, HeaderStatesThePageSizeAndLength) {
    struct Case {
        int width, height;
        std::int32_t frameRight, frameBottom;  // hundredths of a millimetre, inclusive
    };
    for (const Case c :
         {Case{794, 1123, 21007, 29712}, Case{1123, 794, 29712, 21007}, Case{5, 3, 131, 78}}) {
        EmfRecordingCanvas canvas(c.width, c.height);
        canvas.SetFont(Courier());
        canvas.TextOut(10, 10, "x");
        const auto picture = canvas.Finish();
        const auto& b = picture->Bytes();
        SCOPED_TRACE(c.width);

        EXPECT_EQ(picture->Width(), c.width);
        EXPECT_EQ(picture->Height(), c.height);
        EXPECT_EQ(Le32(&b[0]), 1u);
        EXPECT_EQ(Le32(&b[4]), 108u);
        EXPECT_EQ(
            std::vector<std::uint32_t>({Le32(&b[8]), Le32(&b[12]), Le32(&b[16]), Le32(&b[20])}),
            std::vector<std::uint32_t>(
                {0, 0, std::uint32_t(c.width - 1), std::uint32_t(c.height - 1)}));
        EXPECT_EQ(static_cast<std::int32_t>(Le32(&b[32])), c.frameRight);
        EXPECT_EQ(static_cast<std::int32_t>(Le32(&b[36])), c.frameBottom);
        EXPECT_EQ(std::string(b.begin() + 40, b.begin() + 44), " EMF");
        EXPECT_EQ(Le32(&b[44]), 0x10000u);
        EXPECT_EQ(Le32(&b[48]), picture->ByteLength());
        EXPECT_EQ(Le32(&b[52]), RecordsOf(*picture).size());
        EXPECT_EQ(Le32(&b[56]), 2u);  // one font, at index 1

        // The reference device: exactly 96 pixels per inch in pixels, millimetres and
        // micrometres, and large enough for the page.
        for (int axis = 0; axis < 2; ++axis) {
            const std::uint64_t pixels = Le32(&b[72 + 4 * axis]);
            const std::uint64_t mm = Le32(&b[80 + 4 * axis]);
            const std::uint64_t um = Le32(&b[100 + 4 * axis]);
            EXPECT_GE(pixels, static_cast<std::uint64_t>(axis == 0 ? c.width : c.height));
            EXPECT_EQ(pixels * 254, mm * 960);
            EXPECT_EQ(um, mm * 1000);
        }
    }
}

TEST(EmfRecordingCanvas, WritesStateOnlyWhenItChanges) {
    EmfRecordingCanvas canvas(794, 1123);
    canvas.SetFont(Courier());
    canvas.SetBackgroundTransparent(true);
    canvas.TextOut(38, 51, "Hello");
    canvas.SetFont(Courier());  // the same font again
    canvas.TextOut(38, 66, "World");
    canvas.SetPen({kBlack, 1, PenStyle::psSolid});
    canvas.SetBrush({kSilver, BrushStyle::bsSolid});  // a stock brush
    canvas.Rectangle({10, 10, 100, 50});
    canvas.FillRect({0, 0, 5, 5});
    canvas.MoveTo({0, 100});
    canvas.LineTo({200, 100});
    canvas.LineTo({200, 150});  // continues from where the last line ended
    canvas.SetClipRect({10, 10, 300, 300});
    canvas.SetClipRect({0, 0, 400, 400});  // holds the whole clip: no change
    canvas.RemoveClip();
    canvas.RemoveClip();
    const auto records = RecordsOf(*canvas.Finish());

    // Colour, alignment and background mode are written at their first use whatever their
    // value: readers do not agree on the defaults.
    EXPECT_EQ(TypesOf(records), (std::vector<std::uint32_t>{
                                    kHeader,    kFont,      kSelect, kSetTextColor,  kSetTextAlign,
                                    kSetBkMode, kTextW,     kTextW,  kCreatePen,     kSelect,
                                    kSelect,    kRectangle, kSelect, kRectangle,     kSelect,
                                    kMoveTo,    kLineTo,    kLineTo, kIntersectClip, kSelectClipRgn,
                                    kSelect,    kSelect,    kDelete, kDelete,        kEof}));
    const auto& font = records[1];
    EXPECT_EQ(font.bytes.size(), 368u);
    EXPECT_EQ(font.I32(12), -13);  // 10 points at 96 pixels per inch
    EXPECT_EQ(font.I32(28), 400);
    EXPECT_EQ(font.bytes[35], 204);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(&font.bytes[40]), 11),
              u"Courier New");
    EXPECT_EQ(font.bytes[62], 0);
    EXPECT_EQ(font.U32(360), 0x08007664u);
    EXPECT_EQ(records[3].U32(8), 0u);   // black
    EXPECT_EQ(records[4].U32(8), 0u);   // left, top
    EXPECT_EQ(records[5].U32(8), 1u);   // transparent
    EXPECT_EQ(records[8].U32(12), 0u);  // solid
    EXPECT_EQ(records[8].I32(16), 1);
    EXPECT_EQ(records[10].U32(8), 0x80000001u);  // light grey stock brush
    // Shapes carry inclusive boxes; the fill is a rectangle without pen one pixel larger.
    EXPECT_EQ(std::vector<std::int32_t>({records[11].I32(8), records[11].I32(12),
                                         records[11].I32(16), records[11].I32(20)}),
              std::vector<std::int32_t>({10, 10, 99, 49}));
    EXPECT_EQ(records[12].U32(8), 0x80000008u);  // null pen
    EXPECT_EQ(
        std::vector<std::int32_t>({records[13].I32(8), records[13].I32(16), records[13].I32(20)}),
        std::vector<std::int32_t>({0, 5, 5}));
    EXPECT_EQ(records[15].I32(12), 100);
    EXPECT_EQ(records[18].I32(16), 300);
    EXPECT_EQ(records[19].bytes.size(), 16u);
    EXPECT_EQ(records[19].U32(8), 0u);   // no region
    EXPECT_EQ(records[19].U32(12), 5u);  // copy: clipping removed
    // Our objects are deselected before they are deleted.
    EXPECT_EQ(records[20].U32(8), 0x8000000Du);
    EXPECT_EQ(records[21].U32(8), 0x80000007u);
}

TEST(EmfRecordingCanvas, TextRecordsHoldUtf16WithMeasuredAdvances) {
    EmfRecordingCanvas canvas(794, 1123);
    FontSpec font = Courier();
    font.style = kFontBold | kFontItalic | kFontUnderline;
    font.color = Rgb(255, 0, 0);
    canvas.SetFont(font);
    canvas.SetTextAlign(kTaRight | kTaBaseline);
    canvas.SetBackgroundColor(Rgb(0, 0, 255));  // opaque background: its colour is written
    const Rect clip{30, 40, 300, 60};
    canvas.TextOut(300, 55, "\xCF\xE5\xF7\xE0\xF2 A\x01", kEtoClipped, &clip);
    const int given[] = {5, 6, 7};
    canvas.TextOutW(0, 0, u"abc", given);
    const auto records = RecordsOf(*canvas.Finish());

    EXPECT_EQ(TypesOf(records),
              (std::vector<std::uint32_t>{kHeader, kFont, kSelect, kSetTextColor, kSetTextAlign,
                                          kSetBkMode, kSetBkColor, kTextW, kTextW, kSelect, kDelete,
                                          kEof}));
    EXPECT_EQ(records[1].I32(28), 700);
    EXPECT_EQ(records[1].bytes[32], 1);
    EXPECT_EQ(records[1].bytes[33], 1);
    EXPECT_EQ(records[1].bytes[34], 0);
    EXPECT_EQ(records[3].U32(8), 0x0000FFu);
    EXPECT_EQ(records[4].U32(8), 26u);
    EXPECT_EQ(records[5].U32(8), 2u);  // opaque
    EXPECT_EQ(records[6].U32(8), 0xFF0000u);

    const auto& text = records[7];
    EXPECT_EQ(TextOf(text), u"Печат A\x01");  // control characters are kept as characters
    EXPECT_EQ(text.I32(36), 300);
    EXPECT_EQ(text.I32(40), 55);
    EXPECT_EQ(text.U32(48), 76u);
    EXPECT_EQ(text.U32(52), static_cast<std::uint32_t>(kEtoClipped));
    EXPECT_EQ(std::vector<std::int32_t>({text.I32(56), text.I32(60), text.I32(64), text.I32(68)}),
              std::vector<std::int32_t>({30, 40, 300, 60}));
    EXPECT_EQ(text.U32(72), 76u + 16);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(text.I32(92 + 4 * i), 8) << i;  // 10 pt: 8 px
    EXPECT_EQ(text.bytes.size(), 76u + 16 + 32);

    const auto& given_ = records[8];
    EXPECT_EQ(given_.U32(72), 76u + 8);
    EXPECT_EQ(std::vector<std::int32_t>({given_.I32(84), given_.I32(88), given_.I32(92)}),
              std::vector<std::int32_t>({5, 6, 7}));
}

// Follows the object table through the records: every object is created in a free slot,
// selected and deleted only while it exists, never deleted while selected, and gone at the end.
void ExpectConsistentObjects(const std::vector<testing::ParsedRecord>& records,
                             std::uint32_t handles) {
    std::set<std::uint32_t> live;
    std::map<std::uint32_t, std::uint32_t> kindOf;    // slot -> creating record type
    std::map<std::uint32_t, std::uint32_t> selected;  // creating record type -> handle
    for (const auto& r : records) {
        const std::uint32_t handle = r.bytes.size() >= 12 ? r.U32(8) : 0;
        if (r.type == kFont || r.type == kCreatePen || r.type == kCreateBrush) {
            EXPECT_TRUE(live.insert(handle).second) << "slot " << handle << " created twice";
            EXPECT_LT(handle, handles);
            kindOf[handle] = r.type;
        } else if (r.type == kSelect && (handle & 0x80000000u) != 0) {
            const std::uint32_t stock = handle & 0x7FFFFFFF;
            selected[stock <= 5 ? kCreateBrush : stock <= 8 ? kCreatePen : kFont] = handle;
        } else if (r.type == kSelect) {
            EXPECT_TRUE(live.count(handle)) << "selects a missing object";
            selected[kindOf[handle]] = handle;
        } else if (r.type == kDelete) {
            EXPECT_TRUE(live.erase(handle)) << "deletes a missing object";
            EXPECT_NE(selected[kindOf[handle]], handle) << "deletes a selected object";
        }
    }
    EXPECT_TRUE(live.empty());
}

TEST(EmfRecordingCanvas, ReusesObjectsAndTheirSlots) {
    EmfRecordingCanvas canvas(794, 1123);
    FontSpec a = Courier(), b = Courier();
    b.style = kFontBold;
    for (const FontSpec& f : {a, b, a, b}) {
        canvas.SetFont(f);
        canvas.TextOut(0, 0, "x");
    }
    for (int size = 1; size <= 12; ++size) {  // more fonts than the metafile keeps at once
        canvas.SetFont({"Arial", static_cast<double>(size), 0, kBlack, kRussianCharset});
        canvas.TextOut(0, 0, "y");
        canvas.SetPen({Rgb(size, 0, 0), 1, PenStyle::psDash});
        canvas.LineTo({size, size});
    }
    const auto picture = canvas.Finish();
    const auto records = RecordsOf(*picture);
    const std::uint32_t handles = Le32(&picture->Bytes()[56]);

    std::size_t fonts = 0;
    for (const auto& r : records) fonts += r.type == kFont;
    EXPECT_EQ(fonts, 2u + 12u);      // a and b once each, then every new size
    EXPECT_LE(handles, 1u + 8 + 4);  // eight fonts and four pens at most at a time
    ExpectConsistentObjects(records, handles);
}

TEST(EmfRecordingCanvas, APageOfSixtyLinesCostsItsTextAndOneFont) {
    EmfRecordingCanvas canvas(794, 1123);
    canvas.SetFont(Courier());
    canvas.SetBackgroundTransparent(true);
    const std::string line(80, 'A');
    for (int i = 0; i < 60; ++i) {
        canvas.SetFont(Courier());
        canvas.SetBackgroundTransparent(true);
        canvas.TextOut(38, 38 + 15 * i, line);
    }
    const auto picture = canvas.Finish();
    // header, font, select, colour, alignment, background mode, 60 x (fixed part, 80 UTF-16
    // units, 80 advances), select the stock font, delete ours, end of file.
    EXPECT_EQ(picture->ByteLength(), 108u + 368 + 4 * 12 + 60 * (76 + 160 + 320) + 12 + 12 + 20);
}

TEST(EmfRecordingCanvas, AbsurdFontSizesStayInRange) {
    EmfRecordingCanvas canvas(100, 100);
    for (double size : {1e300, -1e300, std::nan(""), 0.0}) {
        canvas.SetFont({"Arial", size, 0, kBlack, kRussianCharset});
        canvas.TextOut(0, 0, "x");
    }
    std::vector<std::int32_t> heights;
    for (const auto& r : RecordsOf(*canvas.Finish())) {
        if (r.type == kFont) heights.push_back(r.I32(12));
    }
    // Huge sizes record the largest font: 1000 points, 1333 pixels at 96 per inch.
    EXPECT_EQ(heights, (std::vector<std::int32_t>{-FontPixelSize(kLargestFontSize, 96), -1}));
    EXPECT_EQ(FontPixelSize(kLargestFontSize, 96), 1333);
}

TEST(EmfRecordingCanvas, SavesAndLoadsThroughAStream) {
    EmfRecordingCanvas canvas(794, 1123);
    canvas.SetFont(Courier());
    canvas.TextOut(1, 2, "page");
    const auto picture = canvas.Finish();

    MemoryStream stream;
    stream.WriteInt32(7);
    picture->SaveTo(stream);
    stream.WriteInt32(8);
    stream.SetPosition(4);
    const auto loaded = PagePicture::LoadFrom(stream);
    EXPECT_EQ(loaded->Bytes(), picture->Bytes());
    EXPECT_EQ(stream.ReadInt32(), 8);  // exactly the picture's bytes were read
    EXPECT_EQ(TypesOf(RecordsOf(*loaded)), TypesOf(RecordsOf(*picture)));
}

TEST(EmfRecordingCanvas, FinishEndsTheRecording) {
    EmfRecordingCanvas canvas(100, 100);
    const auto picture = canvas.Finish();
    EXPECT_TRUE(canvas.Finished());
    canvas.TextOut(0, 0, "late");  // ignored
    canvas.Rectangle({0, 0, 5, 5});
    EXPECT_THROW(canvas.Finish(), std::logic_error);
    EXPECT_EQ(TypesOf(RecordsOf(*picture)), (std::vector<std::uint32_t>{kHeader, kEof}));
}

TEST(EmfRecordingCanvas, DrawPictureRecordsTheOtherPageStretched) {
    EmfRecordingCanvas first(200, 100);
    first.SetFont(Courier());
    first.TextOut(100, 50, "ab");
    first.SetPen({kBlack, 2, PenStyle::psSolid});
    first.SetBrush({kWhite, BrushStyle::bsClear});
    first.Ellipse({20, 20, 60, 40});
    const auto inner = first.Finish();

    EmfRecordingCanvas outer(400, 200);
    outer.DrawPicture(*inner, {0, 0, 100, 50});  // half size
    const auto records = RecordsOf(*outer.Finish());
    std::vector<testing::ParsedRecord> interesting;
    for (const auto& r : records) {
        if (r.type == kFont || r.type == kTextW || r.type == kCreatePen || r.type == kEllipse) {
            interesting.push_back(r);
        }
    }
    ASSERT_EQ(TypesOf(interesting),
              (std::vector<std::uint32_t>{kFont, kTextW, kCreatePen, kEllipse}));
    EXPECT_EQ(interesting[0].I32(12), -6);  // 13 px at half size: 6.5, to even
    EXPECT_EQ(interesting[1].I32(36), 50);
    EXPECT_EQ(interesting[1].I32(40), 25);
    EXPECT_EQ(interesting[1].I32(80), 4);  // advances halved
    EXPECT_EQ(interesting[2].I32(16), 1);  // pen width halved
    EXPECT_EQ(std::vector<std::int32_t>({interesting[3].I32(8), interesting[3].I32(12),
                                         interesting[3].I32(16), interesting[3].I32(20)}),
              std::vector<std::int32_t>({10, 10, 29, 19}));
}

}  // namespace
}  // namespace quillon
