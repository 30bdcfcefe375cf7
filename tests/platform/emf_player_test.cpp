#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/core/emf_recorder.h"
#include "platform/core/page_picture.h"
#include "tests/platform/emf_test_support.h"

namespace quillon {
namespace {

using testing::EmfBuilder;
using testing::LoggingCanvas;

constexpr int kWidth = 794, kHeight = 1123;

// A page using every kind of drawing the engine does.
void DrawSample(Canvas& c) {
    c.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
    c.SetBackgroundTransparent(true);
    c.TextOut(38, 51, "\xCF\xE5\xF7\xE0\xF2 Print");
    c.SetTextAlign(kTaRight | kTaBaseline);
    c.SetFont({"Arial", 12, kFontBold | kFontItalic, Rgb(0, 0, 128), kRussianCharset});
    c.TextOut(700, 90, "right");
    c.SetTextAlign(kTaCenter);
    c.SetBackgroundTransparent(false);
    c.SetBackgroundColor(Rgb(255, 255, 0));
    const Rect box{300, 100, 500, 130};
    c.TextOut(400, 110, "boxed", kEtoOpaque | kEtoClipped, &box);
    c.SetPen({Rgb(255, 0, 0), 2, PenStyle::psSolid});
    c.SetBrush({Rgb(0, 255, 0), BrushStyle::bsSolid});
    c.Rectangle({10, 200, 110, 260});
    c.Ellipse({120, 200, 220, 260});
    c.RoundRect({230, 200, 330, 260}, 10, 8);
    c.SetBrush({kBlack, BrushStyle::bsSolid});
    c.FillRect({340, 200, 350, 210});
    c.SetPen({kBlack, 1, PenStyle::psDot});
    c.MoveTo({10, 300});
    c.LineTo({700, 300});
    c.LineTo({700, 400});
    c.SetClipRect({0, 500, 400, 600});
    c.SetFont({"Courier New", 10, 0, kBlack, kRussianCharset});
    c.TextOut(10, 510, "clipped");
    c.RemoveClip();
}

std::unique_ptr<PagePicture> RecordSample() {
    EmfRecordingCanvas recorder(kWidth, kHeight);
    DrawSample(recorder);
    return recorder.Finish();
}

std::unique_ptr<PagePicture> Picture(const EmfBuilder& builder) {
    return PagePicture::FromBytes(builder.Bytes());
}

TEST(PagePicturePlay, ReproducesTheRecordedDrawing) {
    LoggingCanvas direct;
    DrawSample(direct);
    LoggingCanvas played;
    RecordSample()->Play(played, {0, 0, kWidth, kHeight});

    EXPECT_EQ(played.Shapes(), direct.Shapes());
    for (std::size_t i = 0; i < std::min(played.shapes.size(), direct.shapes.size()); ++i) {
        EXPECT_EQ(played.shapes[i].pen, direct.shapes[i].pen) << direct.shapes[i].what;
        if (direct.shapes[i].what.rfind("LineTo", 0) != 0) {
            EXPECT_EQ(played.shapes[i].brush, direct.shapes[i].brush) << direct.shapes[i].what;
        }
    }
    ASSERT_EQ(played.texts.size(), direct.texts.size());
    for (std::size_t i = 0; i < direct.texts.size(); ++i) {
        const auto& d = direct.texts[i];
        const auto& p = played.texts[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(p.at, d.at);
        EXPECT_EQ(p.text, d.text);
        EXPECT_EQ(p.align, d.align);
        EXPECT_EQ(p.options, d.options);
        EXPECT_EQ(p.rect, d.rect);
        EXPECT_EQ(p.transparent, d.transparent);
        if (!d.transparent) {
            EXPECT_EQ(p.background, d.background);
        }
        EXPECT_EQ(p.font.face, d.font.face);
        EXPECT_EQ(p.font.style, d.font.style);
        EXPECT_EQ(p.font.color, d.font.color);
        EXPECT_EQ(p.font.charset, d.font.charset);
        EXPECT_EQ(FontPixelSize(p.font.size, 96), FontPixelSize(d.font.size, 96));
        std::vector<int> measured;
        Platform().measurer->Advances(d.font, 96, d.text, &measured);
        EXPECT_EQ(p.advances, measured);
    }
}

TEST(PagePicturePlay, StretchesOntoTheTarget) {
    // Twice the size at twice the resolution, moved by (100, 50): what a printer page gets.
    LoggingCanvas printer(192);
    const auto picture = RecordSample();
    picture->Play(printer, {100, 50, 100 + 2 * kWidth, 50 + 2 * kHeight});

    ASSERT_EQ(printer.texts.size(), 4u);
    const auto& first = printer.texts[0];
    EXPECT_EQ(first.at, (Point{100 + 76, 50 + 102}));
    EXPECT_EQ(first.advances, std::vector<int>(11, 16));
    EXPECT_EQ(FontPixelSize(first.font.size, 192), 26);  // a 13-pixel em, twice as large
    EXPECT_EQ(printer.texts[2].rect, (Rect{700, 250, 1100, 310}));
    EXPECT_EQ(printer.Shapes()[0], "Rectangle 120 450 320 570");
    EXPECT_EQ(printer.shapes[0].pen.width, 4);
    EXPECT_EQ(printer.Shapes()[2], "RoundRect 560 450 760 570 20 16");
    EXPECT_EQ(printer.Shapes()[3], "FillRect 780 450 800 470");
    EXPECT_EQ(printer.Shapes()[7], "Clip 100 1050 900 1250");

    // At a resolution that is no multiple of the reference one, each advance is rounded so the
    // characters stay where the whole line puts them.
    LoggingCanvas odd(600);
    const double scale = 4961.0 / kWidth;
    picture->Play(odd, {0, 0, 4961, 7016});
    const auto& line = odd.texts[0];
    ASSERT_TRUE(line.advances.has_value());
    int x = line.at.x;
    for (std::size_t i = 0; i < line.advances->size(); ++i) {
        x += (*line.advances)[i];
        EXPECT_EQ(x, static_cast<int>(std::nearbyint((38 + 8.0 * (i + 1)) * scale))) << i;
    }
}

TEST(PagePicturePlay, LeavesTheCanvasStateAsItFoundIt) {
    LoggingCanvas canvas;
    const FontSpec font{"Times New Roman", 14, kFontBold, Rgb(1, 2, 3), kRussianCharset};
    canvas.SetFont(font);
    canvas.SetPen({Rgb(9, 9, 9), 3, PenStyle::psDash});
    canvas.SetBrush({Rgb(7, 7, 7), BrushStyle::bsClear});
    canvas.SetTextAlign(kTaBottom);
    RecordSample()->Play(canvas, {0, 0, kWidth, kHeight});
    EXPECT_EQ(canvas.Font(), font);
    EXPECT_EQ(canvas.CurrentPen(), (Pen{Rgb(9, 9, 9), 3, PenStyle::psDash}));
    EXPECT_EQ(canvas.CurrentBrush(), (Brush{Rgb(7, 7, 7), BrushStyle::bsClear}));
    EXPECT_EQ(canvas.TextAlign(), kTaBottom);
}

TEST(PagePicturePlay, RestoresSavedStatesAndEndsUnclipped) {
    EmfBuilder b(100, 100);
    b.Add(30, {0, 0, 50, 50})       // clip
        .Add(33, {})                // save
        .Add(30, {10, 10, 80, 80})  // narrower clip
        .Add(24, {0x0000FF})        // red text
        .Text(20, 20, u"inner")
        .Add(34, {-1})  // back to the wide clip, black text
        .Text(5, 5, u"outer")
        .Add(30, {0, 0, 40, 40});  // still clipped when the picture ends
    LoggingCanvas canvas;
    Picture(b)->Play(canvas, {0, 0, 100, 100});
    EXPECT_EQ(canvas.Shapes(),
              (std::vector<std::string>{"Clip 0 0 50 50", "Clip 10 10 80 80", "RemoveClip",
                                        "Clip 0 0 50 50", "Clip 0 0 40 40", "RemoveClip"}));
    ASSERT_EQ(canvas.texts.size(), 2u);
    EXPECT_EQ(canvas.texts[0].font.color, 0x0000FFu);
    EXPECT_EQ(canvas.texts[1].font.color, kBlack);
}

TEST(PagePicturePlay, ReadsWhatOtherWritersProduce) {
    EmfBuilder b(200, 200, 4);
    // 8-bit text in a Cyrillic font, with control characters drawn as they are.
    b.Font(1, -13, 204, u"Courier New").Add(37, {1});
    b.AddRaw(EmfBuilder::TextRecord(1, 2, std::u16string(u"\xCF\xE5\x09\x00!", 5), {}, false));
    // 8-bit text in a Western font.
    b.Font(2, -13, 0, u"Arial").Add(37, {2});
    b.AddRaw(EmfBuilder::TextRecord(1, 2, u"\x80\xE0", {7, 7}, false));
    // A positive height is the cell: the em is smaller by the font's own proportions.
    b.Font(3, 113, 204, u"Times New Roman").Add(37, {3}).Text(0, 0, u"cell");
    // Deleting the selected font brings back the default one; stock fonts can be selected.
    b.Add(40, {3}).Text(0, 0, u"default");
    b.Add(37, {0x8000000B}).Text(0, 0, u"stock");
    // Text without a rectangle has its advances right after the fixed fields.
    std::vector<std::uint8_t> noRect(72, 0);
    for (auto [at, v] : std::initializer_list<std::pair<std::size_t, std::uint32_t>>{{0, 84},
                                                                                     {4, 72},
                                                                                     {24, 1},
                                                                                     {44, 2},
                                                                                     {48, 60},
                                                                                     {52, 0x100},
                                                                                     {56, 64},
                                                                                     {60, 'a'},
                                                                                     {62, 'b'},
                                                                                     {64, 5},
                                                                                     {68, 6}}) {
        EmfBuilder::Set(noRect, at, v);
    }
    b.AddRaw(noRect);
    // Lines and shapes from the 16-bit point records.
    b.Poly16(87, {{10, 10}, {20, 10}, {20, 20}});
    b.Add(27, {30, 30}).Poly16(89, {{40, 30}, {40, 40}});
    b.Poly16(86, {{50, 50}, {60, 50}, {60, 60}, {50, 60}});  // a rectangle: filled
    b.Poly16(86, {{0, 0}, {10, 0}, {5, 8}});                 // a triangle: outlined
    // A pattern fill without a bitmap.
    b.Add(39, {4, 0, 0x00FF00, 0}).Add(37, {4});
    b.Add(76, {0, 0, 0, 0, 0, 0, 70, 70, 0x00F00021, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    // A window of 2000 units on a viewport of 1000 pixels halves every coordinate.
    b.Add(17, {8}).Add(9, {2000, 2000}).Add(11, {1000, 1000}).Add(43, {100, 100, 199, 199});
    b.Add(17, {1}).Poly16(85, {{0, 100}, {0, 150}, {50, 150}, {50, 100}});

    LoggingCanvas canvas;
    Picture(b)->Play(canvas, {0, 0, 200, 200});

    ASSERT_EQ(canvas.texts.size(), 6u);
    EXPECT_EQ(canvas.texts[0].text, (std::u16string{u'П', u'е', u'\t', u'\0', u'!'}));
    EXPECT_EQ(canvas.texts[0].font.face, "Courier New");
    EXPECT_FALSE(canvas.texts[0].advances.has_value());
    EXPECT_EQ(canvas.texts[1].text, u"€à");
    EXPECT_EQ(canvas.texts[1].advances, (std::vector<int>{7, 7}));
    EXPECT_EQ(FontPixelSize(canvas.texts[2].font.size, 96), 100);  // 113 * 100 / 113
    EXPECT_EQ(canvas.texts[3].font.face, "Arial");
    EXPECT_EQ(canvas.texts[4].font.face, "Courier New");
    EXPECT_EQ(canvas.texts[5].text, u"ab");
    EXPECT_EQ(canvas.texts[5].advances, (std::vector<int>{5, 6}));

    const std::vector<std::string> shapes = canvas.Shapes();
    const std::vector<std::string> expected{"MoveTo 10 10",
                                            "LineTo 20 10",
                                            "LineTo 20 20",  // polyline
                                            "MoveTo 30 30",
                                            "LineTo 40 30",
                                            "LineTo 40 40",           // on from the position
                                            "Rectangle 50 50 61 61",  // filled rectangle
                                            "MoveTo 0 0",
                                            "LineTo 10 0",
                                            "LineTo 5 8",
                                            "LineTo 0 0",               // triangle
                                            "FillRect 0 0 70 70",       // pattern fill
                                            "Rectangle 50 50 100 100",  // halved
                                            "MoveTo 0 100"};            // the curve begins
    ASSERT_GT(shapes.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(shapes.begin(), shapes.begin() + expected.size()), expected);
    EXPECT_EQ(canvas.shapes[11].brush, (Brush{Rgb(0, 255, 0), BrushStyle::bsSolid}));
    // The curve runs through its midpoint to its end in short lines.
    EXPECT_EQ(shapes.back(), "LineTo 50 100");
    EXPECT_NE(std::find(shapes.begin(), shapes.end(), "LineTo 25 138"), shapes.end());
    EXPECT_LE(shapes.size() - expected.size(), 32u);
}

}  // namespace
}  // namespace quillon
