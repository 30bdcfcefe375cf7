#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <functional>
#include <string>
#include <vector>

#include "platform/core/emf_recorder.h"
#include "platform/core/page_picture.h"
#include "platform/qt/qt_canvas.h"
#include "platform/qt/qt_text_measurer.h"
#include "tests/platform/qt_test_app.h"

namespace quillon {
namespace {

constexpr Color kRed = Rgb(255, 0, 0);
constexpr Color kBlue = Rgb(0, 0, 255);

QImage Draw(int width, int height, const std::function<void(QtCanvas&)>& draw) {
    testing::EnsureQtApplication();
    QImage image = testing::WhiteImage(width, height);
    QPainter painter(&image);
    QtCanvas canvas(painter, QtCanvas::CapsOf(image));
    draw(canvas);
    painter.end();
    return image;
}

Color At(const QImage& image, int x, int y) {
    const QRgb pixel = image.pixel(x, y);
    return Rgb(static_cast<std::uint8_t>(qRed(pixel)), static_cast<std::uint8_t>(qGreen(pixel)),
               static_cast<std::uint8_t>(qBlue(pixel)));
}

// The smallest rectangle holding every pixel that is not white (right and bottom outside).
Rect Ink(const QImage& image) {
    Rect box{image.width(), image.height(), 0, 0};
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (At(image, x, y) == kWhite) continue;
            box.left = std::min(box.left, x);
            box.top = std::min(box.top, y);
            box.right = std::max(box.right, x + 1);
            box.bottom = std::max(box.bottom, y + 1);
        }
    }
    return box;
}

// Every pixel of the image as one character: '.' white, 'r' red, 'b' blue, '#' anything else.
std::string Row(const QImage& image, int y, int from, int to) {
    std::string row;
    for (int x = from; x < to; ++x) {
        const Color c = At(image, x, y);
        row += c == kWhite ? '.' : c == kRed ? 'r' : c == kBlue ? 'b' : '#';
    }
    return row;
}

TEST(QtCanvasShapes, FilledRectangleCoversLeftTopButNotRightBottom) {
    const QImage image = Draw(30, 30, [](QtCanvas& canvas) {
        canvas.SetBrush({kBlue, BrushStyle::bsSolid});
        canvas.FillRect({5, 6, 15, 10});
    });
    EXPECT_EQ(Ink(image), (Rect{5, 6, 15, 10}));
    EXPECT_EQ(At(image, 5, 6), kBlue);
    EXPECT_EQ(At(image, 14, 9), kBlue);
}

TEST(QtCanvasShapes, RectangleIsOutlinedInsideItsAreaAndFilledWithTheBrush) {
    struct Case {
        const char* name;
        Pen pen;
        Brush brush;
        Rect ink;
        std::string row7;  // pixels 3..16 of row 7
    };
    const Case cases[] = {
        {"pen and brush",
         {kRed, 1, PenStyle::psSolid},
         {kBlue, BrushStyle::bsSolid},
         {5, 5, 15, 12},
         "..rbbbbbbbbr.."},
        {"width 0 is one pixel",
         {kRed, 0, PenStyle::psSolid},
         {kBlue, BrushStyle::bsSolid},
         {5, 5, 15, 12},
         "..rbbbbbbbbr.."},
        {"clear brush",
         {kRed, 1, PenStyle::psSolid},
         {kBlue, BrushStyle::bsClear},
         {5, 5, 15, 12},
         "..r........r.."},
        // Without a pen the filled area loses its right column and bottom row.
        {"clear pen",
         {kRed, 1, PenStyle::psClear},
         {kBlue, BrushStyle::bsSolid},
         {5, 5, 14, 11},
         "..bbbbbbbbb..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = Draw(20, 20, [&](QtCanvas& canvas) {
            canvas.SetPen(c.pen);
            canvas.SetBrush(c.brush);
            canvas.Rectangle({5, 5, 15, 12});
        });
        EXPECT_EQ(Ink(image), c.ink);
        EXPECT_EQ(Row(image, 7, 3, 17), c.row7);
    }
}

TEST(QtCanvasShapes, EllipseAndRoundRectFillTheirRectangle) {
    for (const bool round : {false, true}) {
        for (const bool outlined : {true, false}) {
            SCOPED_TRACE(std::string(round ? "round rectangle" : "ellipse") +
                         (outlined ? "" : " without pen"));
            const QImage image = Draw(40, 40, [&](QtCanvas& canvas) {
                canvas.SetPen({kRed, 1, outlined ? PenStyle::psSolid : PenStyle::psClear});
                canvas.SetBrush({kBlue, BrushStyle::bsSolid});
                if (round) {
                    canvas.RoundRect({4, 6, 34, 26}, 10, 8);
                } else {
                    canvas.Ellipse({4, 6, 34, 26});
                }
            });
            EXPECT_EQ(Ink(image), outlined ? (Rect{4, 6, 34, 26}) : (Rect{4, 6, 33, 25}));
            EXPECT_EQ(At(image, 19, 16), kBlue);  // filled centre
            EXPECT_EQ(At(image, 4, 6), kWhite);   // rounded corner
        }
    }
}

TEST(QtCanvasLines, LineToLeavesOutItsLastPixel) {
    struct Case {
        Point from;
        Point to;
        Rect ink;
    };
    const Case cases[] = {
        {{3, 5}, {13, 5}, {3, 5, 13, 6}},    // rightwards
        {{13, 5}, {3, 5}, {4, 5, 14, 6}},    // leftwards
        {{6, 2}, {6, 12}, {6, 2, 7, 12}},    // downwards
        {{6, 12}, {6, 2}, {6, 3, 7, 13}},    // upwards
        {{2, 2}, {12, 12}, {2, 2, 12, 12}},  // diagonal
        {{12, 12}, {2, 2}, {3, 3, 13, 13}},  // diagonal back
        {{2, 12}, {12, 2}, {2, 3, 12, 13}},  // diagonal up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.to.x) + "," + std::to_string(c.to.y));
        const QImage image = Draw(20, 20, [&](QtCanvas& canvas) {
            canvas.SetPen({kBlack, 1, PenStyle::psSolid});
            canvas.MoveTo(c.from);
            canvas.LineTo(c.to);
        });
        EXPECT_EQ(Ink(image), c.ink);
        EXPECT_EQ(At(image, c.to.x, c.to.y), kWhite);
    }
}

TEST(QtCanvasLines, PenStylesAndWidths) {
    // A dotted one-pixel line alternates three pixels on, three off.
    QImage image = Draw(30, 5, [](QtCanvas& canvas) {
        canvas.SetBackgroundTransparent(true);
        canvas.SetPen({kBlack, 1, PenStyle::psDot});
        canvas.MoveTo({0, 2});
        canvas.LineTo({24, 2});
    });
    EXPECT_EQ(Row(image, 2, 0, 26), "###...###...###...###.....");
    // With an opaque background the gaps take the background colour.
    image = Draw(30, 5, [](QtCanvas& canvas) {
        canvas.SetBackgroundTransparent(false);
        canvas.SetBackgroundColor(kRed);
        canvas.SetPen({kBlack, 1, PenStyle::psDot});
        canvas.MoveTo({0, 2});
        canvas.LineTo({12, 2});
    });
    EXPECT_EQ(Row(image, 2, 0, 14), "###rrr###rrr..");
    // A clear pen draws nothing; a wide pen is as wide as asked.
    image = Draw(30, 20, [](QtCanvas& canvas) {
        canvas.SetPen({kBlack, 1, PenStyle::psClear});
        canvas.MoveTo({2, 2});
        canvas.LineTo({20, 2});
        canvas.SetPen({kBlack, 5, PenStyle::psSolid});
        canvas.MoveTo({10, 10});
        canvas.LineTo({20, 10});
    });
    const Rect ink = Ink(image);
    EXPECT_EQ(ink.Height(), 5);
    EXPECT_EQ(ink.top, 8);
}

TEST(QtCanvasClipping, ClipRectanglesIntersectAndCanBeRemoved) {
    const QImage image = Draw(30, 30, [](QtCanvas& canvas) {
        canvas.SetBrush({kBlue, BrushStyle::bsSolid});
        canvas.SetClipRect({0, 0, 20, 20});
        canvas.SetClipRect({10, 10, 30, 30});
        canvas.FillRect({0, 0, 30, 30});
        canvas.RemoveClip();
        canvas.SetBrush({kRed, BrushStyle::bsSolid});
        canvas.FillRect({25, 25, 30, 30});
    });
    EXPECT_EQ(Row(image, 15, 8, 22), "..bbbbbbbbbb..");
    EXPECT_EQ(At(image, 15, 9), kWhite);
    EXPECT_EQ(At(image, 15, 20), kWhite);
    EXPECT_EQ(At(image, 27, 27), kRed);
}

class QtCanvasText : public ::testing::Test {
protected:
    void SetUp() override { testing::EnsureQtApplication(); }

    static FontSpec Courier() { return {"Courier New", 10, 0, kBlack, kRussianCharset}; }

    // Draws `text` in Courier New at (x, y) with the alignment and no background.
    static QImage Text(int x, int y, std::u16string_view text, unsigned align,
                       const int* advances = nullptr) {
        return Draw(120, 60, [&](QtCanvas& canvas) {
            canvas.SetFont(Courier());
            canvas.SetBackgroundTransparent(true);
            canvas.SetTextAlign(align);
            canvas.TextOutW(x, y, text, advances);
        });
    }
};

TEST_F(QtCanvasText, ExtentIsTheMeasuredWidthAndAscentPlusDescent) {
    Draw(1, 1, [](QtCanvas& canvas) {
        canvas.SetFont(Courier());
        EXPECT_EQ(canvas.TextExtentW(u"Hello, Здравей"), (Size{14 * 8, 15}));
        EXPECT_EQ(canvas.TextExtent("\xC7\xE4\xF0"), (Size{3 * 8, 15}));  // Windows-1251 "Здр"
        canvas.SetFont({"Arial", 10, 0, kBlack, kRussianCharset});
        QtTextMeasurer measurer;
        EXPECT_EQ(canvas.TextExtentW(u"Wide text").cx,
                  measurer.Advances(canvas.Font(), 96, u"Wide text", nullptr));
    });
}

TEST_F(QtCanvasText, AlignmentPlacesTheTextCell) {
    // "HH": 16 pixels wide; capitals reach from the baseline up to about the ascent (11).
    struct Case {
        const char* name;
        unsigned align;
        int left;      // of the cell
        int baseline;  // y of the baseline
    };
    const Case cases[] = {
        {"left top", kTaLeft | kTaTop, 50, 20 + 11},
        {"right", kTaRight, 50 - 16, 20 + 11},
        {"centre", kTaCenter, 50 - 8, 20 + 11},
        {"baseline", kTaBaseline, 50, 20},
        {"bottom", kTaBottom, 50, 20 - 4},
        {"right-to-left reading keeps the alignment", kTaRight | kTaRtlReading, 50 - 16, 20 + 11},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Rect ink = Ink(Text(50, 20, u"HH", c.align));
        EXPECT_GE(ink.left, c.left);
        EXPECT_LE(ink.right, c.left + 16);
        EXPECT_GT(ink.right - ink.left, 10);
        EXPECT_EQ(ink.bottom, c.baseline);  // capitals sit on the baseline
        EXPECT_GE(ink.top, c.baseline - 11);
        EXPECT_LT(ink.top, c.baseline - 6);
    }
}

TEST_F(QtCanvasText, GivenAdvancesPlaceEachCharacter) {
    const int advances[] = {30, 8, 8};
    const QImage spaced = Text(10, 10, u"III", kTaLeft, advances);
    QImage expected = testing::WhiteImage(120, 60);
    for (const int x : {10, 40, 48}) {
        const QImage single = Text(x, 10, u"I", kTaLeft);
        QPainter painter(&expected);
        painter.setCompositionMode(QPainter::CompositionMode_Darken);
        painter.drawImage(0, 0, single);
    }
    EXPECT_EQ(spaced, expected);
    // Alignment uses the sum of the given advances.
    EXPECT_EQ(Ink(Text(100, 10, u"III", kTaRight, advances)).left,
              Ink(Text(54, 10, u"I", kTaLeft)).left);
}

TEST_F(QtCanvasText, ControlCodesAreTheFontsGlyphsNotLayout) {
    // The tab takes one character cell (Liberation Mono draws it as a space) instead of
    // jumping to a tab stop; a line feed does not start a new line.
    EXPECT_EQ(Text(5, 5, u"A\tB", kTaLeft), Text(5, 5, u"A B", kTaLeft));
    const Rect ink = Ink(Text(5, 5, u"A\nB", kTaLeft));
    EXPECT_LT(ink.Height(), 15);
    EXPECT_GT(ink.right, 5 + 16);
}

TEST_F(QtCanvasText, OpaqueBackgroundFillsTheTextCell) {
    const QImage image = Draw(80, 40, [](QtCanvas& canvas) {
        canvas.SetFont(Courier());
        canvas.SetBackgroundTransparent(false);
        canvas.SetBackgroundColor(kRed);
        canvas.TextOutW(10, 10, u"..", nullptr);
        // An opaque rectangle is filled whatever the background mode; clipping cuts the text.
        canvas.SetBackgroundTransparent(true);
        const Rect box{40, 10, 44, 30};
        canvas.TextOutW(40, 10, u"WWW", nullptr, kEtoOpaque | kEtoClipped, &box);
    });
    EXPECT_EQ(Ink(image), (Rect{10, 10, 44, 30}));
    EXPECT_EQ(At(image, 10, 10), kRed);
    EXPECT_EQ(At(image, 25, 24), kRed);
    EXPECT_EQ(At(image, 26, 10), kWhite);
    EXPECT_EQ(At(image, 10, 25), kWhite);
}

TEST_F(QtCanvasText, RecordedPagePlaysBackAsItWasDrawn) {
    const auto draw = [](Canvas& canvas) {
        canvas.SetBrush({kBlue, BrushStyle::bsSolid});
        canvas.FillRect({4, 4, 30, 12});
        canvas.SetFont(Courier());
        canvas.SetBackgroundTransparent(true);
        canvas.TextOutW(10, 20, u"Page Стр", nullptr);
    };
    EmfRecordingCanvas recorder(120, 60);
    draw(recorder);
    const std::unique_ptr<PagePicture> picture = recorder.Finish();
    const QImage direct = Draw(120, 60, draw);
    EXPECT_EQ(Draw(120, 60, [&](QtCanvas& canvas) { canvas.DrawPicture(*picture, {0, 0, 120, 60}); }),
              direct);
    // Stretched to twice the size, the rectangle covers twice the pixels.
    const QImage doubled = Draw(240, 120, [&](QtCanvas& canvas) {
        canvas.DrawPicture(*picture, {0, 0, 240, 120});
    });
    EXPECT_EQ(At(doubled, 8, 8), kBlue);
    EXPECT_EQ(At(doubled, 59, 23), kBlue);
    EXPECT_EQ(At(doubled, 60, 23), kWhite);
    EXPECT_EQ(At(doubled, 59, 24), kWhite);
}

TEST_F(QtCanvasText, CapsOfAnImage) {
    Draw(1, 1, [](QtCanvas& canvas) {
        const DeviceCaps caps = canvas.Caps();
        EXPECT_EQ(caps.dpiX, 96);
        EXPECT_EQ(caps.dpiY, 96);
        EXPECT_EQ(caps.physicalWidth, 0);
        EXPECT_EQ(caps.colors, -1);
    });
}

}  // namespace
}  // namespace quillon
