// Shapes: what each kind draws on a recorded page (device coordinates of its place on the
// band) and when painted on a canvas of its own, rounded corners, pen and brush, the export
// filter's call.

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "platform/core/emf_format.h"
#include "platform/core/emf_recorder.h"
#include "platform/core/rounding.h"
#include "report/export_filter.h"
#include "report/qr_shape.h"
#include "report/rozer_ededid.h"
#include "tests/report/report_test_support.h"
#include "tests/report/size_test_owners.h"

namespace quillon {
namespace {

using testing::ScopedMeasurement;
using Primitives = std::vector<std::string>;

int I32(std::span<const std::uint8_t> r, std::size_t at) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(r[at]) | (r[at + 1] << 8) |
                                     (r[at + 2] << 16) |
                                     (static_cast<std::uint32_t>(r[at + 3]) << 24));
}

std::string Box(const char* what, int l, int t, int r, int b) {
    return std::string(what) + " " + std::to_string(l) + "," + std::to_string(t) + " " +
           std::to_string(r) + "," + std::to_string(b);
}

// The shapes and lines of a picture; rectangles store their inclusive corner, given back here
// as the exclusive one that was drawn. Rectangles without outline (band backgrounds) are left
// out.
Primitives PrimitivesOf(const PagePicture& picture) {
    Primitives found;
    int x = 0;
    int y = 0;
    bool nullPen = false;
    picture.EnumerateRecords([&](std::uint32_t type, std::span<const std::uint8_t> r) {
        switch (type) {
            case emf::kSelectObject:
                if (static_cast<std::uint32_t>(I32(r, 8)) == emf::kStockBit + 8) nullPen = true;
                break;
            case emf::kCreatePen:
                nullPen = I32(r, 12) == 5;  // PS_NULL
                break;
            case emf::kRectangle:
                if (!nullPen) {
                    found.push_back(
                        Box("rect", I32(r, 8), I32(r, 12), I32(r, 16) + 1, I32(r, 20) + 1));
                }
                break;
            case emf::kEllipse:
                found.push_back(
                    Box("ellipse", I32(r, 8), I32(r, 12), I32(r, 16) + 1, I32(r, 20) + 1));
                break;
            case emf::kRoundRect:
                found.push_back(
                    Box("roundrect", I32(r, 8), I32(r, 12), I32(r, 16) + 1, I32(r, 20) + 1) +
                    " corner " + std::to_string(I32(r, 24)) + "x" + std::to_string(I32(r, 28)));
                break;
            case emf::kMoveToEx:
                x = I32(r, 8);
                y = I32(r, 12);
                break;
            case emf::kLineTo:
                found.push_back(Box("line", x, y, I32(r, 8), I32(r, 12)));
                x = I32(r, 8);
                y = I32(r, 12);
                break;
            default:
                break;
        }
        return true;
    });
    return found;
}

// What each kind draws inside (l, t, r, b), with the middle lines at xm, ym.
Primitives Expected(TQRShapeType shape, int l, int t, int r, int b, int xm, int ym, int corner) {
    switch (shape) {
        case TQRShapeType::qrsRectangle:
            return {Box("rect", l, t, r, b)};
        case TQRShapeType::qrsCircle:
            return {Box("ellipse", l, t, r, b)};
        case TQRShapeType::qrsVertLine:
            return {Box("line", xm, t, xm, b)};
        case TQRShapeType::qrsHorLine:
            return {Box("line", l, ym, r, ym)};
        case TQRShapeType::qrsTopAndBottom:
            return {Box("line", l, t, r, t), Box("line", l, b, r, b)};
        case TQRShapeType::qrsRightAndLeft:
            return {Box("line", l, t, l, b), Box("line", r, t, r, b)};
        case TQRShapeType::qrsRoundRect:
            return {Box("roundrect", l, t, r, b) + " corner " + std::to_string(corner) + "x" +
                    std::to_string(corner)};
    }
    return {};
}

struct ShapeCase {
    TQRShapeType shape;
    float roundFactor;
};

constexpr ShapeCase kShapes[] = {
    {TQRShapeType::qrsRectangle, 0},     {TQRShapeType::qrsCircle, 0},
    {TQRShapeType::qrsVertLine, 0},      {TQRShapeType::qrsHorLine, 0},
    {TQRShapeType::qrsTopAndBottom, 0},  {TQRShapeType::qrsRightAndLeft, 0},
    {TQRShapeType::qrsRoundRect, 0.25f}, {TQRShapeType::qrsRoundRect, 0},
};

// Device pixels of a length in tenths of a millimetre on the 96 pixels-per-inch page.
int Device(long double tenths) {
    return RoundHalfEven32(tenths * 96 / 254);
}

TEST(Shape, EachKindDrawsItsLinesAtItsPlaceOnThePage) {
    ScopedMeasurement metric(MeasurementSystem::kMetric);
    for (const ShapeCase& c : kShapes) {
        SCOPED_TRACE(static_cast<int>(c.shape));
        SCOPED_TRACE(c.roundFactor);
        TRozerEdedid report;
        report.Bands().SetHasTitle(true);
        TQRCustomBand& band = *report.Bands().TitleBand();
        band.SetTransparentBand(true);
        TQRShape& shape = band.Insert(std::make_unique<TQRShape>(&report));
        EXPECT_EQ(shape.Width(), 65);
        EXPECT_EQ(shape.Height(), 65);
        shape.SetBounds({12, 6, 81, 33});
        shape.SetShape(c.shape);
        shape.SetRoundFactor(c.roundFactor);
        TQRPrinter& printer = testing::Generate(report);
        ASSERT_EQ(printer.PageTotal(), 1);

        // The band starts at the margins (100 tenths); the shape's place is in pixels.
        const long double x = 100 + 12 * 254.0L / 96;
        const long double y = 100 + 6 * 254.0L / 96;
        const long double w = 81 * 254.0L / 96;
        const long double h = 33 * 254.0L / 96;
        const int l = Device(x);
        const int r = Device(x + w);
        const int corner = static_cast<int>(static_cast<float>(r - l) * c.roundFactor);
        EXPECT_EQ(PrimitivesOf(*printer.PageImage(1)),
                  Expected(c.shape, l, Device(y), r, Device(y + h), Device(x + w / 2),
                           Device(y + h / 2), corner));
        EXPECT_TRUE(shape.PrintComplete());
    }
}

TEST(Shape, PaintingFillsTheControlsOwnArea) {
    for (const ShapeCase& c : kShapes) {
        SCOPED_TRACE(static_cast<int>(c.shape));
        TQRShape shape;
        shape.SetBounds({40, 50, 65, 31});
        shape.SetShape(c.shape);
        shape.SetRoundFactor(c.roundFactor);
        EmfRecordingCanvas canvas(200, 200);
        shape.Paint(canvas);
        // Halves truncate (65 / 2 = 32); bottom and right lines lie on the last pixel row or
        // column; the corner is the width times the factor, fraction dropped (16.25 -> 16).
        const int corner = static_cast<int>(65 * c.roundFactor);
        Primitives expected = Expected(c.shape, 0, 0, 65, 31, 32, 15, corner);
        if (c.shape == TQRShapeType::qrsTopAndBottom) expected[1] = Box("line", 0, 30, 65, 30);
        if (c.shape == TQRShapeType::qrsRightAndLeft) expected[1] = Box("line", 64, 0, 64, 31);
        EXPECT_EQ(PrimitivesOf(*canvas.Finish()), expected);
    }
}

TEST(Shape, PenAndBrushReachTheCanvas) {
    TQRShape shape;
    shape.SetPen({Rgb(255, 0, 0), 3, PenStyle::psDash});
    shape.SetBrush({Rgb(0, 0, 255), BrushStyle::bsSolid});
    EmfRecordingCanvas canvas(100, 100);
    shape.Paint(canvas);
    std::vector<std::string> objects;
    canvas.Finish()->EnumerateRecords([&](std::uint32_t type, std::span<const std::uint8_t> r) {
        // Logical pen: style, width, colour (0x00BBGGRR); logical brush: style, colour.
        if (type == emf::kCreatePen) {
            objects.push_back("pen " + std::to_string(I32(r, 12)) + " " +
                              std::to_string(I32(r, 16)) + " " + std::to_string(I32(r, 24)));
        }
        if (type == emf::kCreateBrushIndirect) {
            objects.push_back("brush " + std::to_string(I32(r, 12)) + " " +
                              std::to_string(I32(r, 16)));
        }
        return true;
    });
    EXPECT_EQ(objects, (std::vector<std::string>{"pen 1 3 255", "brush 0 16711680"}));
}

// Writes down the printables it is told about.
class ShapeFilter : public TQRExportFilter {
public:
    std::vector<std::string> printables;
    bool Started() const override { return started_; }
    void Start(const FontSpec&, int, int) override { started_ = true; }
    void NewPage() override {}
    void Shape(const ExportShape&) override {}
    void Text(long double, long double, const FontSpec&, Color, TAlignment,
              std::string_view) override {}
    void EndBand(TQRCustomBand&, long double, int, int) override {}
    void EndPage() override {}
    void Finish() override {}
    bool WholePageRoom() override { return false; }
    void Printable(TQRPrintable& printable, int left, int top) override {
        printables.push_back(printable.Name() + " " + std::to_string(left) + "," +
                             std::to_string(top));
    }

private:
    bool started_ = false;
};

TEST(Shape, TheExportFilterHearsOfTheShapeAndItsPosition) {
    ScopedMeasurement metric(MeasurementSystem::kMetric);
    TRozerEdedid report;
    report.Bands().SetHasTitle(true);
    TQRShape& shape = report.Bands().TitleBand()->Insert(std::make_unique<TQRShape>(&report));
    shape.SetName("Box");
    shape.SetBounds({12, 6, 81, 33});
    ShapeFilter filter;
    report.SetExportFilter(&filter);
    testing::Generate(report);
    EXPECT_EQ(filter.printables,
              std::vector<std::string>{"Box " + std::to_string(Device(100 + 12 * 254.0L / 96)) +
                                       "," + std::to_string(Device(100 + 6 * 254.0L / 96))});
}

}  // namespace
}  // namespace quillon
